// Dialogs and the registry of top-level dialogs: the pages and message boxes, the current page and
// the open message box, with the per-frame update and draw passes.
#pragma once

#include "gui/guiWidget.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class guiMsgBox;

class guiDialog : public guiWidget {
  public:
    ~guiDialog() override;
    bool OnMouse(int event) override { return guiWidget::OnMouse(event); }
    // Adds a background or decoration image as a child; false (and nothing added) when it cannot load.
    bool AddPicture(const char* fileName);

    std::string title;
};

extern std::vector<guiDialog*> g_topLevelDialogs;
extern std::atomic<guiDialog*> g_currentPage;
extern std::atomic<guiMsgBox*> g_modalBox;
extern std::atomic<bool> g_active;
// The program is ending (its window is gone, or a quit was taken from the queue): every box answers
// with its negative answer at once, and nothing waits for a click any more.
extern std::atomic<bool> g_leaving;
// While set, the current page takes no mouse or key input (an open box still does): the page's action
// is running and must not run twice.
extern std::atomic<bool> g_pageInputBlocked;

// Drawing and updating happen on the main thread and, while a box is open from the worker thread, on
// the worker too: every pass, and every page switch, holds this lock, so only one thread draws at a
// time and no thread draws a page that is half switched.
std::recursive_mutex& GuiLock();

void AddTopLevelDialog(guiDialog* dialog);
bool ShowPage(guiDialog* dialog);
bool DrawAll();
bool UpdateAll();

// The message boxes, complete wherever the registry is seen (the installer owns one of each).
#include "gui/guiMsgBox.h"
