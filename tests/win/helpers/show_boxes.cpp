// Opens the installer's window on the disc in D: as the relaunched copy does, then shows the OK box
// and the Yes/No box twice over the welcome page. Exit code: the three results as digits (1, 3, 4 when
// the test clicks OK, YES, NO).
#include "shell/CInstaller.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    SetCurrentDirectoryA("D:\\");
    g_installer.cdDrive = "D:";
    g_installer.sourceDir = "D:";
    if (!g_installer.Init(instance)) return 99;
    int ok = g_installer.okBox->Show("The disc is ready.", "Brightvale");
    int first = g_installer.yesNoBox->Show("Answer yes.", "Brightvale");
    int second = g_installer.yesNoBox->Show("Answer no.", "Brightvale");
    return ok * 100 + first * 10 + second;
}
