// Language page: picks the media folder of a language, then the welcome page.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiDialog.h"

class wndSelLang : public guiDialog {
  public:
    bool Create() override;

    guiButton* languageButtons[5] = {};
    guiButton* exitButton = nullptr;
    guiMouseTracker* rows = nullptr;
};
