// The installation progress bar: its skin revealed from the left in steps of 8 pixels, and a
// percentage text in its own font.
#pragma once

#include "gui/guiFont.h"
#include "gui/guiImage.h"
#include "gui/guiWidget.h"

class guiProgress : public guiWidget {
  public:
    guiProgress();
    bool Draw() override;
    // Loads "progress_bar.tga" and builds the "Arial" 8 font.
    bool Create() override;
    // fraction of the work done, 0 to 1.
    void SetProgress(float fraction);

    int textX = 308;
    int textY = 282;
    guiImage barImage;
    guiFont font;
    int fillWidth = 0;
    int barY = 0;
    char text[32] = {};
};
