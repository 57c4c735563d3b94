#include "platform/Os.h"
#include "platform/win32/Win32.h"

#include <io.h>
#include <sddl.h>

namespace os {

bool SetCurrentDir(const char* path) {
    return SetCurrentDirectoryA(path) != 0;
}

std::string GetCurrentDir() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

FILE* OpenFile(const char* path, const char* mode) {
    return std::fopen(path, mode);
}

bool FindFirstExists(const char* nameOrPattern) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(nameOrPattern, &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

std::vector<DirEntry> ListDir(const char* pattern) {
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) return entries;
    do {
        entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return entries;
}

bool CreateDir(const char* path) {
    return CreateDirectoryA(path, nullptr) != 0;
}
bool CreateDirWide(const std::u16string& path) {
    return CreateDirectoryW(win32::W(path), nullptr) != 0;
}
bool CreatePrivateDir(const char* path) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    char buffer[256];
    DWORD size = 0;
    BOOL got = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    CloseHandle(token);
    LPSTR sid = nullptr;
    if (!got || !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) return false;
    // Protected (P): nothing inherited from the temporary folder; children inherit (OICI) these three.
    std::string sddl = std::string("D:P(A;OICI;FA;;;") + sid + ")(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
    LocalFree(sid);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &sa.lpSecurityDescriptor, nullptr))
        return false;
    BOOL made = CreateDirectoryA(path, &sa);
    LocalFree(sa.lpSecurityDescriptor);
    return made != 0;
}

bool FileCopy(const char* from, const char* to, bool failIfExists) {
    return CopyFileA(from, to, failIfExists) != 0;
}
bool SetFileAttrs(const char* path, std::uint32_t attrs) {
    return SetFileAttributesA(path, attrs) != 0;
}
bool FileDelete(const char* path) {
    return DeleteFileA(path) != 0;
}
bool RemoveDir(const char* path) {
    return RemoveDirectoryA(path) != 0;
}
bool DeleteAtReboot(const char* path) {
    return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool IsReparsePoint(const char* path) {
    DWORD attrs = GetFileAttributesA(path);
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string FinalPath(const char* path) {
    using Fn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto fn = kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetFinalPathNameByHandleA")))
                     : nullptr;
    if (!fn) return std::string();
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    char buffer[1024] = {};
    DWORD n = fn(h, buffer, sizeof buffer, 0 /* FILE_NAME_NORMALIZED, VOLUME_NAME_DOS */);
    CloseHandle(h);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

bool RemoveLink(const char* path) {
    DWORD attrs = GetFileAttributesA(path);
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path) != 0 : DeleteFileA(path) != 0;
}

bool MoveOnDisk(const char* from, const char* to, bool replace) {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExA(from, to, flags) != 0;
}

bool FlushToDisk(FILE* file) {
    if (!file || std::fflush(file) != 0) return false;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}

bool ShortPathWide(const std::u16string& path, std::u16string* shortPath) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetShortPathNameW(win32::W(path), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    *shortPath = win32::U16(buffer);
    return true;
}

bool ShortPath(const char* path, std::string* shortPath) {
    char buffer[MAX_PATH] = {};
    DWORD n = GetShortPathNameA(path, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    *shortPath = buffer;
    return true;
}

std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t size) {
    return GetLogicalDriveStringsA(size, buffer);
}
std::uint32_t DriveType(const char* root) {
    return GetDriveTypeA(root);
}

int FreeSpaceEx(const char* root, std::uint64_t* availableToCaller) {
    using Fn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto fn =
        kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")))
               : nullptr;
    if (!fn) return -1;
    ULARGE_INTEGER avail, total, free;
    if (!fn(root, &avail, &total, &free)) return 0;
    *availableToCaller = avail.QuadPart;
    return 1;
}

bool FreeSpaceLegacy(const char* root, std::uint32_t* sectorsPerCluster, std::uint32_t* bytesPerSector,
                     std::uint32_t* freeClusters) {
    DWORD spc = 0, bps = 0, fc = 0, tc = 0;
    if (!GetDiskFreeSpaceA(root, &spc, &bps, &fc, &tc)) return false;
    *sectorsPerCluster = spc;
    *bytesPerSector = bps;
    *freeClusters = fc;
    return true;
}

} // namespace os
