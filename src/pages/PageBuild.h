// What the pages share when they build themselves.
#pragma once

#include "gui/guiWidget.h"

// A page is built once: true (and the page marked as built) only on the first call.
inline bool BeginCreate(guiWidget& page) {
    if (page.created) return false;
    page.created = 1;
    return true;
}
