// The vertical thumb of a scroll bar, dragged by the left button relative to where it was pressed.
#pragma once

#include "gui/guiImage.h"
#include "gui/guiWidget.h"

#include <memory>

class guiSlider : public guiWidget {
  public:
    bool Draw() override;
    bool OnMouse(int event) override;
    // Loads the shared thumb tile "scroller.tga" the first time any slider is created.
    bool Create() override;

    float position = 0.0f;  // top of the thumb, a fraction of the height
    float thumbSize = 0.5f; // length of the thumb, a fraction of the height
    int dragX = 0;
    int dragY = 0;

    // The thumb tile of every slider, read once.
    static std::unique_ptr<guiImage> thumbTile;
};
