#include "StringsFile.h"

#include "Text.h"

#include "shell/CStringTable.h"

#include <cctype>

namespace mkdisc {

namespace {

bool Ends(char16_t c) {
    return c == u'\t' || c == u' ' || c == u'\r' || c == u'\n';
}

bool Digits(const std::string& s) {
    if (s.empty() || (s.size() > 1 && s[0] == '0')) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

} // namespace

bool StringsFile::IsWrittenKey(const std::string& key) {
    for (const char* prefix : {"SOURCE", "ADD_INSTALL_", "CONFIRM_ADD_INSTALL_"}) {
        std::string p = prefix;
        if (key.compare(0, p.size(), p) == 0 && Digits(key.substr(p.size()))) return true;
    }
    return key == "SPACE_NEED";
}

StringsFile::StringsFile(std::string bytes, std::string codePage)
    : raw(std::move(bytes)), ansi(std::move(codePage)) {
    isWide = raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
             static_cast<unsigned char>(raw[1]) == 0xFE;
    std::size_t unit = isWide ? 2 : 1;
    std::size_t at = isWide ? 2 : 0;
    auto ch = [&](std::size_t i) -> char16_t {
        if (!isWide) return static_cast<unsigned char>(raw[i]);
        return static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                     (i + 1 < raw.size() ? static_cast<unsigned char>(raw[i + 1]) << 8 : 0));
    };
    while (at + unit <= raw.size()) {
        Line line{at, at, {}};
        bool keyDone = false, ascii = true;
        std::size_t i = at;
        for (; i + unit <= raw.size(); i += unit) {
            char16_t c = ch(i);
            if (!keyDone && Ends(c)) keyDone = true;
            if (!keyDone) {
                if (c > 0x7F) ascii = false;
                line.key += static_cast<char>(c);
            }
            if (c == u'\n') {
                i += unit;
                break;
            }
        }
        line.end = i;
        if (!ascii) line.key.clear();
        lines.push_back(line);
        at = i;
    }
}

std::string StringsFile::Value(const std::string& key) const {
    std::string value;
    std::size_t unit = isWide ? 2 : 1;
    for (const Line& l : lines) {
        if (l.key != key) continue;
        std::string text = raw.substr(l.begin, l.end - l.begin);
        std::string utf8;
        if (!Convert(text, isWide ? "UTF-16LE" : ansi, "UTF-8", &utf8)) {
            utf8.clear();
            for (std::size_t i = 0; i + unit <= text.size(); i += unit)
                utf8 += (static_cast<unsigned char>(text[i]) < 0x80 && (!isWide || text[i + 1] == 0))
                            ? text[i]
                            : '?';
        }
        std::size_t v = utf8.find_first_not_of(" \t\r\n", key.size());
        value = v == std::string::npos ? std::string() : utf8.substr(v);
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n'))
            value.pop_back();
    }
    return value;
}

std::size_t StringsFile::InstallerChars() const {
    std::size_t unit = isWide ? 2 : 1;
    std::size_t chars = 1; // the empty string every missing key reads as
    auto ch = [&](std::size_t i) -> char16_t {
        return isWide ? static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                              static_cast<unsigned char>(raw[i + 1]) << 8)
                      : static_cast<unsigned char>(raw[i]);
    };
    // The installer reads a line in pieces of kPieceChars, each stored as a key and a value.
    for (std::size_t at = isWide ? 2 : 0; at + unit <= raw.size();) {
        std::size_t end = at;
        for (std::size_t n = 0; n < CStringTable::kPieceChars && end + unit <= raw.size(); ++n) {
            end += unit;
            if (ch(end - unit) == u'\n') break;
        }
        std::size_t i = at;
        while (i < end && !Ends(ch(i)))
            i += unit;
        std::size_t key = (i - at) / unit;
        while (i < end && Ends(ch(i)))
            i += unit;
        std::size_t valueEnd = end;
        while (valueEnd > i && (ch(valueEnd - unit) == u'\r' || ch(valueEnd - unit) == u'\n'))
            valueEnd -= unit;
        chars += key + 1 + (valueEnd - i) / unit + 1;
        at = end;
    }
    return chars;
}

bool StringsFile::Complete(const std::string& add, std::string* bytes, std::string* error) const {
    std::string out = isWide ? raw.substr(0, 2) : std::string();
    for (const Line& l : lines)
        if (!IsWrittenKey(l.key)) out.append(raw, l.begin, l.end - l.begin);
    bool endsInLineFeed = out.size() <= (isWide ? 2u : 0u) ||
                          (isWide ? out[out.size() - 2] == '\n' && out.back() == '\0' : out.back() == '\n');
    std::string text = (endsInLineFeed ? "" : "\r\n") + add;
    std::string encoded;
    if (!Convert(text, "UTF-8", isWide ? "UTF-16LE" : ansi, &encoded)) {
        // Name the line that does not fit, so the publisher knows what to change.
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
            std::string ignored;
            if (!Convert(line, "UTF-8", isWide ? "UTF-16LE" : ansi, &ignored)) {
                while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                    line.pop_back();
                *error = "\"" + line + "\" cannot be written in code page " + ansi +
                         " (save that strings.txt as UTF-16 to hold any character)";
                return false;
            }
            if (end == std::string::npos) break;
            at = end + 1;
        }
        *error = "the entries cannot be written in code page " + ansi;
        return false;
    }
    *bytes = out + encoded;
    return true;
}

} // namespace mkdisc
