// Options page: target folder and shortcut choice. Its widgets arrive with the toolkit's controls.
#pragma once

#include "gui/guiDialog.h"

class wndOptions : public guiDialog {
  public:
    // Puts gameDir into the folder box; the page has no folder box yet, so there is nothing to refresh.
    void RefreshFolderBox() {}
};
