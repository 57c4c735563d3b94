// A clickable zone: a release of the left button over it is a click, reported through the parent's
// callback. It may show a normal and a hover image and a centred caption.
#pragma once

#include "gui/guiFont.h"
#include "gui/guiImage.h"
#include "gui/guiWidget.h"

#include <string>

class guiButton : public guiWidget {
  public:
    bool Draw() override;
    bool OnMouse(int event) override;
    bool Create() override { return true; }
    bool Update() override;
    // A button with an action is a row of the page's keyboard; a hover caption without one is not.
    guiFocus FocusKind() const override {
        return callbackIndex != kNoCallback ? guiFocus::Row : guiFocus::None;
    }

    // The images are not owned.
    void SetHoverImage(guiImage* img) { hoverImage = img; }
    void SetNormalImage(guiImage* img) { normalImage = img; }
    void SetCaption(const char* text) { caption = text ? text : ""; }

    guiImage* hoverImage = nullptr;
    guiImage* normalImage = nullptr;
    guiFont* font = nullptr; // not owned
    std::string caption;
    std::uint8_t hovered = 0;
};
