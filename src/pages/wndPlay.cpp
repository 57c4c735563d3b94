#include "pages/wndPlay.h"

#include "pages/PageBuild.h"
#include "shell/CInstaller.h"

namespace {
int OnPlay(guiWidget*) {
    g_installer.RunGame();
    return 0;
}
int OnUninstall(guiWidget*) {
    g_installer.RunUninstaller();
    return 0;
}
} // namespace

bool wndPlay::Create() {
    if (!BeginCreate(*this)) return false;
    bool ok = AddPicture("back_play.tga");
    playButton = AddSelectButton(*this, "text_select.tga", {0, 117, 550, 21}, OnPlay);
    readmeButton = AddSelectButton(*this, "text_select.tga", {0, 137, 550, 21}, OnReadmeRow);
    homepageButton = AddSelectButton(*this, "text_select.tga", {0, 157, 550, 21}, OnHomepageRow);
    uninstallButton = AddSelectButton(*this, "text_select.tga", {0, 177, 550, 21}, OnUninstall);
    exitButton = AddSelectButton(*this, "text_select.tga", {0, 197, 550, 21}, OnExitRow);
    rows = AddRowTracker(*this, {0, 117, 560, 100},
                         {playButton, readmeButton, homepageButton, uninstallButton, exitButton});
    guiDialog::Create();
    label = AddLabel(*this, "text_play.tga", {0, 121, 560, 100});
    SetKeyboard(playButton, exitButton);
    return ok;
}
