// The world of the control tests: the double, a recording painter bound as g_painter, the pointer
// at the origin, the shared skins of the controls not yet loaded, and skin files written on demand.
#pragma once

#include "support/TgaBytes.h"
#include "support/World.h"
#include "unit/RecordingPainter.h"

#include "gui/guiCheckBox.h"
#include "gui/guiDialog.h"
#include "gui/guiEditBox.h"
#include "gui/guiSlider.h"

#include <string>

class ControlsWorld : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        g_painter = &painter;
        g_mouseX = g_mouseY = 0;
        g_installer.keyDown = false;
        g_topLevelDialogs.clear();
        g_currentPage = nullptr;
        g_modalBox = nullptr;
        g_active = true;
        guiCheckBox::tickImage.reset();
        guiSlider::thumbTile.reset();
        guiEditBox::caretImage.reset();
    }
    void TearDown() override {
        g_painter = nullptr;
        g_topLevelDialogs.clear();
        g_currentPage = nullptr;
        g_modalBox = nullptr;
        g_active = false;
        guiCheckBox::tickImage.reset();
        guiSlider::thumbTile.reset();
        guiEditBox::caretImage.reset();
        World::TearDown();
    }

    // A 32-bit skin of one colour in the media folder.
    void Skin(const std::string& name, int w, int h, int blue = 200, int alpha = 255) {
        Write("C:\\Media\\" + name,
              tgabytes::Solid(w, h, std::string{static_cast<char>(blue), 0, 0, static_cast<char>(alpha)}));
    }

    // Moves the pointer and delivers a mouse event to a widget, as the window procedure does.
    static bool Mouse(guiWidget& to, int event, int x, int y) {
        g_mouseX = x;
        g_mouseY = y;
        return to.OnMouse(event);
    }

    RecordingPainter painter;
};
