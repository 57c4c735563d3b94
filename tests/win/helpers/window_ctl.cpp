// Minimises or restores the installer's window from outside, as the taskbar would.
#include <cstring>
#include <windows.h>

int main(int argc, char** argv) {
    HWND w = FindWindowA("__INSTALL_WND__", nullptr);
    if (!w || argc < 2) return 1;
    ShowWindowAsync(w, std::strcmp(argv[1], "minimize") == 0 ? SW_MINIMIZE : SW_RESTORE);
    return 0;
}
