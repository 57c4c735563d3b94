// Welcome page and main menu of a fresh installation: Install, README, home page, Exit.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiDialog.h"
#include "gui/guiImage.h"
#include "gui/guiPicture.h"

class wndInstall : public guiDialog {
  public:
    bool Create() override;
    // The children, then the logo on top of everything.
    bool Draw() override;

    guiButton* installButton = nullptr;
    guiButton* readmeButton = nullptr;
    guiButton* homepageButton = nullptr;
    guiButton* exitButton = nullptr;
    guiMouseTracker* rows = nullptr;
    guiPicture* label = nullptr;
    guiImage logo; // drawn by the page, not a child
};
