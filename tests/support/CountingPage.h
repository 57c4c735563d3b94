// A page that counts the frames drawn of it, for the tests of loops that must keep drawing.
#pragma once

#include "gui/guiDialog.h"

#include <atomic>

struct CountingPage : guiDialog {
    std::atomic<int> frames{0};
    bool Draw() override {
        ++frames;
        return true;
    }
};
