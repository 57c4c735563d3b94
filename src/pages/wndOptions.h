// Options page: the target folder (typed, or chosen with the folder browser), whether shortcuts are
// made, and the install button.
#pragma once

#include "gui/guiDialog.h"
#include "gui/guiFont.h"

class guiCheckBox;
class guiEditBox;

class wndOptions : public guiDialog {
  public:
    bool Create() override;
    // Refills an empty folder box (one created before gameDir was known), then draws the children.
    bool Draw() override;
    // Puts gameDir into the folder box.
    void RefreshFolderBox();

    guiFont pageFont;
    guiCheckBox* iconsBox = nullptr;
    guiEditBox* folderBox = nullptr;
};
