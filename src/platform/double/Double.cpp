// Native test double of the OS seam: an in-memory registry, drive letters mapped to host folders,
// scripted message boxes and processes. The ANSI code page is 1251 and the OEM code page 866, so the
// Cyrillic conversions of the installer are exercised for real (through iconv). This file holds the
// double's state and the path rules its parts share; each part stands for one file of the Win32 back end.
#include "platform/double/DoubleInternal.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <sys/stat.h>

namespace os::testdouble {

State& Double() {
    static State state;
    return state;
}

void Reset() {
    Double() = State();
}

void UseLeadBytesOf(int codePage) {
    auto& lead = Double().leadBytes;
    lead.fill(false);
    auto range = [&](int from, int to) {
        for (int c = from; c <= to; ++c)
            lead[static_cast<std::size_t>(c)] = true;
    };
    if (codePage == 932) {
        range(0x81, 0x9F);
        range(0xE0, 0xFC);
    } else if (codePage == 936 || codePage == 949 || codePage == 950) {
        range(0x81, 0xFE);
    }
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsSep(char c) {
    return c == '\\' || c == '/';
}

// Absolute, normalised Windows form ("D:\a\b") of a path relative to the current folder.
std::string Absolute(const std::string& path) {
    const std::string& cur = Double().currentDir;
    std::string full;
    if (path.size() >= 2 && path[1] == ':') {
        if (path.size() >= 3 && IsSep(path[2]))
            full = path;
        else
            full = path.substr(0, 2) + "\\" + path.substr(2); // drive-relative: taken from the root
    } else if (!path.empty() && IsSep(path[0])) {
        full = cur.substr(0, 2) + path;
    } else {
        full = cur + "\\" + path;
    }
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 3; i <= full.size(); ++i) {
        if (i == full.size() || IsSep(full[i])) {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += full[i];
        }
    }
    std::string out;
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
    out += ":\\";
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? "\\" : "") + parts[i];
    return out;
}

std::string HostPath(const std::string& windowsPath) {
    std::string abs = Absolute(windowsPath);
    auto it = Double().drives.find(abs[0]);
    if (it == Double().drives.end()) return std::string();
    std::string host = it->second;
    for (size_t i = 3; i < abs.size(); ++i)
        host += abs[i] == '\\' ? '/' : abs[i];
    if (abs.size() > 3) host.insert(it->second.size(), "/");
    return host;
}

std::string Convert(const char* from, const char* to, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // Like the system conversions, an unmappable character becomes a question mark.
        ++src;
        --srcLeft;
        if (dstLeft) {
            *dst++ = '?';
            --dstLeft;
            if (std::strncmp(to, "UTF-16", 6) == 0 && dstLeft) {
                *dst++ = '\0';
                --dstLeft;
            }
        }
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

std::string ToUtf8(const std::u16string& s) {
    return Convert("UTF-16LE", "UTF-8", std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2));
}

std::u16string FromUtf8(const std::string& s) {
    std::string bytes = Convert("UTF-8", "UTF-16LE", s);
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

bool IsDir(const std::string& host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0;
}

} // namespace os::testdouble
