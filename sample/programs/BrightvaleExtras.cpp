// The sample's additional program: records that it ran (HKCU\SOFTWARE\Orelwick\BrightvaleExtras,
// "Installed" = "1", "Runs" counted up), takes five seconds as a real one would, and exits with 0.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Orelwick\\BrightvaleExtras", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 1;
    DWORD runs = 0, size = sizeof runs;
    RegQueryValueExA(key, "Runs", nullptr, nullptr, reinterpret_cast<BYTE*>(&runs), &size);
    ++runs;
    RegSetValueExA(key, "Runs", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&runs), sizeof runs);
    RegSetValueExA(key, "Installed", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegCloseKey(key);
    // A player who grows impatient clicks again meanwhile: the installer must not run it twice.
    Sleep(5000);
    return 0;
}
