// The information box: the message, the caption and one OK button.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiMsgBox.h"

class guiOkBox : public guiMsgBox {
  public:
    guiOkBox();
    bool Create() override;

    guiButton* okButton = nullptr;
};
