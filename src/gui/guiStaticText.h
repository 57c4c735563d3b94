// A text laid out once, when it is set, into lines inside the widget's rectangle.
#pragma once

#include "gui/guiFont.h"
#include "gui/guiWidget.h"

#include <cstdint>
#include <string>
#include <vector>

class guiStaticText : public guiWidget {
  public:
    bool Draw() override;
    bool Create() override { return true; }
    // Set font, alignment and rect first: the layout is made here only.
    void SetText(const char* value);

    int alignment = ALIGN_BOTTOM_RIGHT;
    guiFont* font = nullptr; // not owned
    std::string text;
    std::vector<std::int16_t> lines; // (x offset, byte count) per line
    int verticalOffset = 0;
};
