// What the pages share when they build themselves: the created rule and the common widgets.
#pragma once

#include "gui/guiButton.h"
#include "gui/guiPicture.h"
#include "gui/guiRect.h"
#include "gui/guiWidget.h"

#include <initializer_list>

// A page is built once: true (and the page marked as built) only on the first call.
inline bool BeginCreate(guiWidget& page) {
    if (page.created) return false;
    page.created = 1;
    return true;
}

// A select button: no face of its own; image is the highlight a row tracker draws while the pointer is
// over it. With fn, the button's callback is appended to the page's table right after it is added.
guiButton* AddSelectButton(guiWidget& page, const char* image, const guiRect& r, guiCallback fn);
// A label picture: one image carrying the texts of all rows.
guiPicture* AddLabel(guiWidget& page, const char* image, const guiRect& r);
// A row tracker over the items, in row order.
guiMouseTracker* AddRowTracker(guiWidget& page, const guiRect& r, std::initializer_list<guiWidget*> items);

// The rows the welcome and the maintenance pages share.
int OnReadmeRow(guiWidget*);
int OnHomepageRow(guiWidget*);
int OnExitRow(guiWidget*);
