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

} // namespace os
