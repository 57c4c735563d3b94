// A long text file wrapped to the box's width, shown in a clipped area and scrolled by pixels with a
// vertical scroll bar, the mouse wheel, and while it has the focus the arrows Up and Down and Page Up
// and Page Down (the licence).
#pragma once

#include "gui/guiFont.h"
#include "gui/guiRect.h"
#include "gui/guiScrollbar.h"
#include "gui/guiWidget.h"

#include <string>
#include <vector>

class guiTextBox : public guiWidget {
  public:
    bool Draw() override;
    bool OnMouse(int event) override;
    // Builds the text area and the scroll bar, sized for the lines loaded so far.
    bool Create() override;
    // Up and Down: a line; Page Up and Page Down: the text area less a line.
    bool OnKey(int code) override;
    // Three lines a notch, as Windows scrolls by default; part notches add up.
    bool OnWheel(int x, int y, int delta) override;
    guiFocus FocusKind() const override { return guiFocus::Control; }

    void SetFont(guiFont* f) { font = f; }
    // Appends the wrapped lines of "<media folder>\<name>"; needs the font and rect. False when the
    // file cannot be opened or there is no font.
    bool LoadFile(const char* name);

    guiRect textArea;
    std::vector<std::string> lines;
    guiFont* font = nullptr;           // not owned
    guiScrollbar* scrollBar = nullptr; // a child
    int wheelRest = 0;                 // the part of a notch not yet scrolled
};
