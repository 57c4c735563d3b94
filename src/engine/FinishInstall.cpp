#include "shell/CInstaller.h"
#include "shell/Registry.h"

// The abandoned form; the complete form (shortcuts, log, registration, additional programs) follows
// the copy's success and is made by the quality page.
void CInstaller::FinishInstall() {
    CInstaller& in = *this;
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
