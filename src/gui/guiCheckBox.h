// A check box: toggles on a left-button press, or on Space while it has the focus, and shows the tick
// shared by all check boxes.
#pragma once

#include "gui/guiImage.h"
#include "gui/guiWidget.h"

#include <memory>

class guiCheckBox : public guiWidget {
  public:
    bool Draw() override;
    bool OnMouse(int event) override;
    // Loads the shared tick "text_icon_on.tga" the first time any check box is created.
    bool Create() override;
    bool OnKey(int code) override;
    guiFocus FocusKind() const override { return guiFocus::Control; }

    std::uint8_t checked = 0;

    // The tick of every check box, read once.
    static std::unique_ptr<guiImage> tickImage;
};
