// The row widgets of the options and progress pages: select buttons, their trackers and the label.
// (The same conventions as every page: no face of its own for a select button, its image is the
// highlight a row tracker draws under the pointer.)
#pragma once

#include "gui/guiButton.h"
#include "gui/guiPicture.h"
#include "gui/guiRect.h"
#include "gui/guiWidget.h"

#include <initializer_list>

// With fn, the button's callback is appended to the page's table right after it is added.
guiButton* AddRowButton(guiWidget& page, const char* image, const guiRect& r, guiCallback fn);
guiPicture* AddRowLabel(guiWidget& page, const char* image, const guiRect& r);
guiMouseTracker* AddRows(guiWidget& page, const guiRect& r, std::initializer_list<guiWidget*> items);
