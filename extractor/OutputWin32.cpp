// The stand-in's file system layer on Windows: names reach the system as UTF-16, converted from the
// OEM code page (RAR 4 names) or from UTF-8 (RAR 5 names).
#include "Output.h"

#include "engine/ExtractorApi.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace standin {

namespace {

std::wstring Widen(const std::string& s, UINT codePage) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::wstring WideName(const rar::Member& m) {
    std::wstring w = Widen(m.name, m.nameIsUtf8 ? CP_UTF8 : CP_OEMCP);
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

std::wstring Join(const std::string& destination, const rar::Member& m) {
    std::wstring d = Widen(destination, CP_OEMCP);
    std::wstring name = WideName(m);
    if (d.empty()) return name;
    return d.back() == L'\\' || d.back() == L'/' ? d + name : d + L"\\" + name;
}

class Win32File : public OutputFile {
  public:
    explicit Win32File(HANDLE h) : handle(h) {}
    ~Win32File() override { Close(); }
    bool Write(const std::uint8_t* data, std::size_t length) override {
        while (length > 0) {
            DWORD n = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length), written = 0;
            if (!WriteFile(handle, data, n, &written, nullptr) || written != n) return false;
            data += n;
            length -= n;
        }
        return true;
    }
    bool Close() override {
        if (handle == INVALID_HANDLE_VALUE) return true;
        bool ok = CloseHandle(handle) != 0;
        handle = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE handle;
};

class Win32Source : public rar::Source {
  public:
    explicit Win32Source(HANDLE h) : handle(h) {
        LARGE_INTEGER s;
        size = GetFileSizeEx(handle, &s) ? static_cast<std::uint64_t>(s.QuadPart) : 0;
    }
    ~Win32Source() override { CloseHandle(handle); }
    std::uint64_t Size() const override { return size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override {
        if (offset != at) {
            LARGE_INTEGER to;
            to.QuadPart = static_cast<LONGLONG>(offset);
            if (!SetFilePointerEx(handle, to, nullptr, FILE_BEGIN)) return false;
        }
        auto* p = static_cast<std::uint8_t*>(buffer);
        std::size_t left = length;
        while (left > 0) {
            DWORD n = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left), got = 0;
            if (!ReadFile(handle, p, n, &got, nullptr) || got == 0) break;
            p += got;
            left -= got;
        }
        at = offset + (length - left);
        return left == 0;
    }

  private:
    HANDLE handle;
    std::uint64_t size = 0;
    std::uint64_t at = 0;
};

} // namespace

std::string RecordName(const rar::Member& m) {
    std::wstring w = WideName(m);
    if (w.empty()) return std::string();
    int n =
        WideCharToMultiByte(CP_OEMCP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_OEMCP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

bool Output::MakePath(const std::wstring& path) {
    if (path == lastFolder) return true;
    // The levels before made are there. Below the last folder only the new levels need a look;
    // otherwise the deepest level that is there is looked for from the end: a package's members land
    // in the target or just below it, and each level from the drive down is a trip to the file system
    // (under Wine a third of a millisecond for a failed create and its look).
    std::size_t made = 0;
    if (!lastFolder.empty() && path.size() > lastFolder.size() &&
        (path[lastFolder.size()] == L'\\' || path[lastFolder.size()] == L'/') &&
        path.compare(0, lastFolder.size(), lastFolder) == 0) {
        made = lastFolder.size();
    } else {
        for (std::size_t end = path.size(); end > 0;) {
            if (end == 2 && path[1] == L':') break; // the drive itself
            DWORD attrs = GetFileAttributesW(path.substr(0, end).c_str());
            if (attrs != INVALID_FILE_ATTRIBUTES) {
                if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return false; // a file where a folder must be
                made = end;
                break;
            }
            std::size_t slash = path.find_last_of(L"\\/", end - 1);
            if (slash == std::wstring::npos) break;
            end = slash;
        }
    }
    for (std::size_t i = made + 1; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != L'\\' && path[i] != L'/') continue;
        std::wstring part = path.substr(0, i);
        if (part.size() == 2 && part[1] == L':') continue; // the drive itself
        if (CreateDirectoryW(part.c_str(), nullptr)) continue;
        // It may be there already (or be a file, which is not a folder).
        DWORD attrs = GetFileAttributesW(part.c_str());
        if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
    }
    lastFolder = path;
    return true;
}

int Output::MakeFolders(const std::string& destination, const rar::Member& m) {
    std::wstring path = Join(destination, m);
    if (!m.isDir) {
        std::size_t slash = path.find_last_of(L"\\/");
        if (slash == std::wstring::npos) return extractor::kSuccess;
        path.resize(slash);
    }
    return MakePath(path) ? extractor::kSuccess : extractor::kECreate;
}

namespace {

// Replaces the file at path (truncating it); invalid when it cannot be.
HANDLE ReplaceExisting(const std::wstring& path) {
    auto create = [&] {
        return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    };
    const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    HANDLE h = create();
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        // An existing read-only, hidden or system file is replaced too: its attributes go first, and
        // come back when the create still fails.
        DWORD attrs = GetFileAttributesW(path.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY) && (attrs & blocking) &&
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
            h = create();
            if (h == INVALID_HANDLE_VALUE) SetFileAttributesW(path.c_str(), attrs);
        }
    } else if (h != INVALID_HANDLE_VALUE) {
        // A system that replaced such a file without asking (Wine run by root) may have kept its
        // attributes: the member is an ordinary file.
        BY_HANDLE_FILE_INFORMATION info;
        if (GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & blocking))
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    return h;
}

} // namespace

std::unique_ptr<OutputFile> Output::Create(const std::string& destination, const rar::Member& m, int* error) {
    std::wstring path = Join(destination, m);
    // A new file first: what a package replaces was moved aside before, so the name is mostly free.
    // Replacing truncates, and under Wine a truncated file's close waited for the write-back of all
    // it was given since (10 ms for 64 MiB on ext4, where a new file's close takes nothing).
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) h = ReplaceExisting(path);
    if (h == INVALID_HANDLE_VALUE) {
        *error = extractor::kECreate;
        return nullptr;
    }
    *error = extractor::kSuccess;
    return std::make_unique<Win32File>(h);
}

std::unique_ptr<rar::Source> OpenArchiveFile(const char* name) {
    HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32Source>(h);
}

} // namespace standin
