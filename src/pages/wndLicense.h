// Licence page: the licence text with Accept and Decline.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiDialog.h"
#include "gui/guiFont.h"
#include "gui/guiPicture.h"
#include "gui/guiTextBox.h"

class wndLicense : public guiDialog {
  public:
    bool Create() override;

    guiFont font; // the text box's
    guiTextBox* textBox = nullptr;
    guiButton* acceptButton = nullptr;
    guiButton* declineButton = nullptr;
    guiButton* acceptHover = nullptr;
    guiButton* declineHover = nullptr;
    guiMouseTracker* selectRows = nullptr;
    guiMouseTracker* hoverRows = nullptr;
    guiPicture* label = nullptr;
};
