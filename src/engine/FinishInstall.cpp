#include "engine/FinishInstall.h"

#include "shell/CInstaller.h"
#include "shell/Registry.h"

void FinishInstall() {
    CInstaller& in = g_installer;
    if (const char* dir = ReadInstallDir()) in.gameDir = dir;
    in.finishing = true;
    in.wndProgress.SetProgress(1.0f);
    DrawAll();
    UpdateAll();
    // The marker file of the additional programs is read only for a complete copy: after a rollback
    // nothing may be left in the target folder.
    if (!in.copyComplete || in.cancelConfirmed) {
        ShowPage(&in.wndInstall);
        return;
    }
}
