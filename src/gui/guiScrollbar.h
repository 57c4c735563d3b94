// A scroll bar: owns one slider and publishes its position; the owner sizes it from its content.
#pragma once

#include "gui/guiSlider.h"
#include "gui/guiWidget.h"

class guiScrollbar : public guiWidget {
  public:
    bool Draw() override;
    // Builds the slider over the whole bar with thumbSize = pageSize.
    bool Create() override;
    // Moves the content by pixels (negative: up), kept within the range the slider's drag allows, the
    // slider following.
    void ScrollPixels(int pixels);

    float position = 0.0f; // the slider's position, refreshed after every slider event
    float pageSize = 0.0f; // visible part of the content, a fraction of the whole
    guiSlider* slider = nullptr;
    int contentHeight = 1;
    int viewHeight = 0;
    int lineHeight = 0;
};
