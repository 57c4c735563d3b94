// Asks the installer's window whether the session may end, as Windows does at log-off, and records
// the answer (HKCU\SOFTWARE\Orelwick\EndSession, "Answer": "yes", "no", "no window" or "no reply").
// Run as an additional program, it stands for a log-off while such a program runs.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* answer = "no window";
    if (HWND w = FindWindowA("__INSTALL_WND__", nullptr)) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &result))
            answer = "no reply";
        else
            answer = result ? "yes" : "no";
    }
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Orelwick\\EndSession", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 1;
    RegSetValueExA(key, "Answer", 0, REG_SZ, reinterpret_cast<const BYTE*>(answer),
                   static_cast<DWORD>(lstrlenA(answer) + 1));
    RegCloseKey(key);
    return 0;
}
