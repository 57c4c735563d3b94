// Maintenance page: Play, README, home page, Uninstall, Exit.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiDialog.h"
#include "gui/guiPicture.h"

class wndPlay : public guiDialog {
  public:
    bool Create() override;

    guiButton* playButton = nullptr;
    guiButton* readmeButton = nullptr;
    guiButton* homepageButton = nullptr;
    guiButton* uninstallButton = nullptr;
    guiButton* exitButton = nullptr;
    guiMouseTracker* rows = nullptr;
    guiPicture* label = nullptr;
};
