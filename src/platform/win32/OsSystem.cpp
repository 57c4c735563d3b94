#include "platform/Os.h"
#include "platform/win32/Win32.h"

#include <cstdio>
#include <cstring>

namespace os {

bool VersionInfo(std::uint32_t recordSize, std::uint32_t* platformId, std::uint32_t* major) {
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = recordSize;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
    *platformId = info.dwPlatformId;
    *major = info.dwMajorVersion;
    return true;
}

std::string TempPath() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string TempFileName(const char* folder, const char* prefix) {
    char buffer[MAX_PATH] = {};
    if (!GetTempFileNameA(folder, prefix, 0, buffer)) return std::string();
    return buffer;
}

std::string ModulePath() {
    char buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

bool RandomBytes(void* out, std::size_t size) {
    using Fn = BOOLEAN(WINAPI*)(PVOID, ULONG);
    HMODULE advapi = LoadLibraryExA("advapi32.dll", nullptr, 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    if (!advapi) advapi = LoadLibraryA("advapi32.dll");
    auto fn = advapi ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(advapi, "SystemFunction036")))
                     : nullptr;
    return fn && fn(out, static_cast<ULONG>(size));
}

Rect WorkArea() {
    RECT r = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return {r.left, r.top, r.right, r.bottom};
}

std::string LocalDate() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char s[16];
    std::snprintf(s, sizeof s, "%04u%02u%02u", t.wYear % 10000u, t.wMonth % 100u, t.wDay % 100u);
    return s;
}

std::uint32_t TickCount() {
    return GetTickCount();
}
void Sleep(std::uint32_t ms) {
    ::Sleep(ms);
}
bool LeftButtonHeld() {
    return (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
}
bool ShiftHeld() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}
void SetIBeamCursor() {
    SetCursor(LoadCursor(nullptr, IDC_IBEAM));
}
bool IsLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != 0;
}
std::string LastErrorText() {
    char buffer[1024] = {};
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(),
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    return std::string(buffer, n);
}

Handle StartProgram(const char* commandLine, int showCommand) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info;
    std::memset(&info, 0, sizeof info);
    std::string line(commandLine); // CreateProcessA may write into its command line
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    return reinterpret_cast<Handle>(info.hProcess);
}

bool ExitCode(Handle process, std::uint32_t* code) {
    DWORD c = 0;
    if (!GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &c)) return false;
    *code = c;
    return true;
}

bool PumpOneMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void RestrictDllSearch() {
    // Looked up by name: older systems lack it, and there the plain search order stays.
    using Fn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto fn = kernel ? reinterpret_cast<Fn>(
                           reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                     : nullptr;
    if (fn) fn(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}

Handle LoadLibraryPath(const char* fullPath) {
    return reinterpret_cast<Handle>(LoadLibraryA(fullPath));
}

void* LibrarySymbol(Handle library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

Handle MutexOpen(const char* name) {
    return reinterpret_cast<Handle>(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name));
}
Handle MutexCreate(const char* name) {
    return reinterpret_cast<Handle>(CreateMutexA(nullptr, FALSE, name));
}
void MutexRelease(Handle mutex) {
    if (mutex) ReleaseMutex(reinterpret_cast<HANDLE>(mutex));
}
void HandleClose(Handle handle) {
    if (handle) CloseHandle(reinterpret_cast<HANDLE>(handle));
}

int MsgBoxA(Window owner, const char* text, const char* caption, std::uint32_t flags) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, flags);
}

int MsgBoxW(Window owner, const std::u16string& text, const std::u16string& caption, std::uint32_t flags) {
    return MessageBoxW(static_cast<HWND>(owner), win32::W(text), win32::W(caption), flags);
}

void DebugText(const char* text) {
    OutputDebugStringA(text);
}

std::u16string AnsiToWide(const char* text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::u16string();
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(out.data()), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string WideToAnsi(const std::u16string& text) {
    const wchar_t* w = win32::W(text);
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string OemToAnsiText(const char* text) {
    std::string out(text);
    if (!out.empty()) OemToCharBuffA(text, out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::string AnsiToOemText(const char* text) {
    std::string out(text);
    if (!out.empty()) CharToOemBuffA(text, out.data(), static_cast<DWORD>(out.size()));
    return out;
}

void SetWindowTitleWide(Window window, const std::u16string& title) {
    // The window is an ANSI one: SetWindowTextW would pass the title through the ANSI code page
    // ("????" for Cyrillic on a Western system). Its own procedure stores it whole.
    if (window)
        SendMessageW(static_cast<HWND>(window), win32::kWmSetWideTitle, 0,
                     reinterpret_cast<LPARAM>(win32::W(title)));
}

} // namespace os
