// Options page: target folder and shortcut choice, and the install button.
#pragma once

#include "gui/guiDialog.h"

class wndOptions : public guiDialog {
  public:
    // Puts gameDir into the folder box.
    void RefreshFolderBox() {}
};
