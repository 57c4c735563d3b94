// The question box: the message, the caption and the YES and NO buttons.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiMsgBox.h"

class guiYesNoBox : public guiMsgBox {
  public:
    guiYesNoBox();
    bool Create() override;
    int NegativeResult() const override { return kNo; }
    int PositiveResult() const override { return kYes; }

    guiButton* yesButton = nullptr;
    guiButton* noButton = nullptr;
};
