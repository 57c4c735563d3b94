#include "pages/wndInstall.h"

#include "gui/guiPainter.h"
#include "pages/PageBuild.h"
#include "shell/CInstaller.h"

namespace {
int OnInstall(guiWidget*) {
    ShowPage(&g_installer.wndLicense);
    return 0;
}
} // namespace

bool wndInstall::Create() {
    if (!BeginCreate(*this)) return false;
    bool ok = AddPicture("back_install.tga");
    logo.Load("logoR.tga", false);
    installButton = AddSelectButton(*this, "text_select.tga", {0, 117, 560, 21}, OnInstall);
    readmeButton = AddSelectButton(*this, "text_select.tga", {0, 137, 560, 21}, OnReadmeRow);
    homepageButton = AddSelectButton(*this, "text_select.tga", {0, 157, 560, 21}, OnHomepageRow);
    exitButton = AddSelectButton(*this, "text_select.tga", {0, 177, 560, 21}, OnExitRow);
    rows =
        AddRowTracker(*this, {0, 117, 560, 101}, {installButton, readmeButton, homepageButton, exitButton});
    label = AddLabel(*this, "text_install.tga", {0, 121, 560, 80});
    guiDialog::Create();
    SetKeyboard(installButton, exitButton);
    return ok;
}

bool wndInstall::Draw() {
    bool result = guiDialog::Draw();
    if (g_painter) {
        g_painter->SetClipRect(nullptr);
        g_painter->DrawImage(&logo, 0, 0, 1.0f);
    }
    return result;
}
