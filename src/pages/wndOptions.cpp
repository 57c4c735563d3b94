#include "pages/wndOptions.h"

#include "engine/PreInstallChecks.h"
#include "gui/guiCheckBox.h"
#include "gui/guiEditBox.h"
#include "pages/PageBuild.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"

namespace {

int OnIcons(guiWidget* sender) {
    g_installer.createIcons = static_cast<guiCheckBox*>(sender)->checked != 0;
    return 0;
}
// Every key the box handles: the folder follows the box at once, also when it is cleared.
int OnFolder(guiWidget* sender) {
    g_installer.gameDir = static_cast<guiEditBox*>(sender)->text;
    return 0;
}
int OnInstall(guiWidget*) {
    PreInstallChecks();
    return 0;
}
int OnBrowse(guiWidget*) {
    g_installer.BrowseForGameDir();
    return 0;
}
int OnBack(guiWidget*) {
    ShowPage(&g_installer.wndInstall);
    return 0;
}

} // namespace

bool wndOptions::Create() {
    if (!BeginCreate(*this)) return false;
    bool ok = AddPicture("back_options.tga");
    pageFont.Build("MS Sans Serif", 7, guiColor::FromBytes(18, 40, 49, 255), false);

    iconsBox = new guiCheckBox;
    iconsBox->rect = {g_strings.GetNumber("ICON_CB_X"), g_strings.GetNumber("ICON_CB_Y"), 20, 20};
    iconsBox->checked = 1;
    AddChild(iconsBox);
    RegisterCallback(iconsBox, OnIcons);

    folderBox = new guiEditBox;
    folderBox->rect = {75, 151, 405, 20};
    folderBox->font = &pageFont;
    folderBox->align = 7;
    folderBox->readOnly = 0;
    folderBox->SetText(g_installer.gameDir.c_str());
    AddChild(folderBox);
    RegisterCallback(folderBox, OnFolder);

    guiButton* install = AddSelectButton(*this, "text_select.tga", {0, 177, 550, 20}, OnInstall);
    guiButton* browse = AddSelectButton(*this, "text_select.tga", {0, 197, 550, 20}, OnBrowse);
    guiButton* back = AddSelectButton(*this, "text_select.tga", {0, 217, 550, 20}, OnBack);
    AddRowTracker(*this, {0, 177, 550, 361}, {install, browse, back});
    AddLabel(*this, "text_options.tga", {0, 181, 560, 80});
    guiDialog::Create();
    SetKeyboard(install, back);
    return ok;
}

bool wndOptions::Draw() {
    if (folderBox && folderBox->text.empty()) RefreshFolderBox();
    return guiDialog::Draw();
}

void wndOptions::RefreshFolderBox() {
    if (folderBox) folderBox->SetText(g_installer.gameDir.c_str());
}
