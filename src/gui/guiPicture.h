// A widget that shows one image: at the same time a widget and the image it shows.
#pragma once

#include "gui/guiImage.h"
#include "gui/guiWidget.h"

class guiPicture : public guiWidget, public guiImage {
  public:
    bool Draw() override;
    bool Create() override { return true; }
    float opacity = 1.0f;
};
