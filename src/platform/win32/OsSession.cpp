#include "platform/Os.h"
#include "platform/win32/Win32.h"

namespace os {

void EndProcess(std::uint32_t code) {
    ExitProcess(code);
}

bool RebootSystem(bool nt) {
    if (!nt) {
        FreeConsole();
        return ExitWindowsEx(EWX_REBOOT, 0) != 0;
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES wanted = {};
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &wanted.Privileges[0].Luid)) {
        DWORD error = GetLastError();
        CloseHandle(token);
        SetLastError(error);
        return false;
    }
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous = {};
    DWORD previousSize = sizeof previous;
    if (!AdjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &previousSize)) {
        CloseHandle(token);
        return false;
    }
    ExitWindowsEx(EWX_REBOOT, 0);
    DWORD error = GetLastError();
    AdjustTokenPrivileges(token, FALSE, &previous, 0, nullptr, nullptr);
    CloseHandle(token);
    SetLastError(error);
    return true;
}

namespace {
using ReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using ReasonDestroyFn = BOOL(WINAPI*)(HWND);
void* User32Entry(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}
} // namespace

void BlockShutdown(Window window, const std::u16string& reason) {
    if (auto create = reinterpret_cast<ReasonCreateFn>(User32Entry("ShutdownBlockReasonCreate")))
        create(static_cast<HWND>(window), win32::W(reason));
}

void UnblockShutdown(Window window) {
    if (auto destroy = reinterpret_cast<ReasonDestroyFn>(User32Entry("ShutdownBlockReasonDestroy")))
        destroy(static_cast<HWND>(window));
}

} // namespace os
