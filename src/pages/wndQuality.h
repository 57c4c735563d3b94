// Quality page: the graphics preset unpacked before the finishing steps.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiCheckBox.h"
#include "gui/guiDialog.h"
#include "gui/guiPicture.h"

class wndQuality : public guiDialog {
  public:
    bool Create() override;
    // The settings package of the checked box; null with neither checked.
    const char* ChosenPackage() const;
    // OK: unpacks the chosen preset into the game folder and runs the finishing steps.
    void Apply();

    guiCheckBox* lowBox = nullptr;
    guiCheckBox* highBox = nullptr;
    guiButton* okButton = nullptr;
    guiMouseTracker* rows = nullptr;
    guiPicture* label = nullptr;
};

// The two boxes, reachable from their callbacks.
extern guiCheckBox* g_qualityLow;
extern guiCheckBox* g_qualityHigh;
