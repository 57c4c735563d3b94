#include "pages/wndLicense.h"

#include "gui/guiColor.h"
#include "pages/PageBuild.h"
#include "shell/CInstaller.h"

namespace {
int OnAccept(guiWidget*) {
    ShowPage(&g_installer.wndOptions);
    return 0;
}
int OnDecline(guiWidget*) {
    ShowPage(&g_installer.wndInstall);
    return 0;
}
} // namespace

bool wndLicense::Create() {
    if (!BeginCreate(*this)) return false;
    font.Build("Arial", 9, guiColor::FromBytes(18, 40, 49, 255), false);
    bool ok = AddPicture("back_license.tga");
    textBox = new guiTextBox;
    textBox->rect = {20, 108, 501, 201};
    textBox->SetFont(&font);
    textBox->LoadFile("license.txt");
    AddChild(textBox);
    acceptButton = AddSelectButton(*this, "text_select.tga", {0, 326, 550, 20}, OnAccept);
    declineButton = AddSelectButton(*this, "text_select.tga", {0, 346, 550, 20}, OnDecline);
    label = AddLabel(*this, "text_license.tga", {0, 329, 550, 80});
    acceptHover = AddSelectButton(*this, "text_license_accept_over.tga", {0, 328, 550, 20}, nullptr);
    declineHover = AddSelectButton(*this, "text_licence_reject_over.tga", {0, 346, 550, 20}, nullptr);
    selectRows = AddRowTracker(*this, {0, 326, 550, 40}, {acceptButton, declineButton});
    hoverRows = AddRowTracker(*this, {0, 326, 550, 40}, {acceptHover, declineHover});
    guiDialog::Create(); // the text box builds its scroll bar for the lines loaded
    SetKeyboard(acceptButton, declineButton);
    return ok;
}
