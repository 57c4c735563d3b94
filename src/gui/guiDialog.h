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
    // The children, then a frame around a focused control (a focused row shows its row highlight).
    bool Draw() override;
    // A press on a control of the focus order gives it the focus first; then as every widget.
    bool OnMouse(int event) override;
    // With a focus order: the focused control takes the key first (not Tab); then Tab and Down go to
    // the next widget, Shift+Tab and Up to the one before (round the end), Enter activates the focused
    // row, or the main row from a control, Space the focused row, Esc the way-out row. Without one, every
    // child is offered the key.
    bool OnKey(int code) override;
    const guiWidget* FocusedChild() const override { return Focused(); }
    bool KeysReach(const guiWidget* child) const override { return focusOrder.empty() || Focused() == child; }
    // Adds a background or decoration image as a child; false (and nothing added) when it cannot load.
    bool AddPicture(const char* fileName);

    // Makes the page take the keyboard: its rows and controls as they are now, in screen order (top to
    // bottom, then left to right), the focus on the first row. mainRow answers Enter on a control and
    // wayOut answers Esc; either may be null. Both must be rows of this page.
    void SetKeyboard(guiWidget* mainRow, guiWidget* wayOut);
    // The focus back on the first row (on the first widget when there is no row).
    void FocusFirstRow();
    // False, and the focus unchanged, when the widget is not in the focus order.
    bool Focus(const guiWidget* widget);
    guiWidget* Focused() const { return focusOrder.empty() ? nullptr : focusOrder[focusIndex]; }
    // What a click on the row does: its callback, once. False when it has none here.
    bool Activate(guiWidget* row);

    std::string title;
    std::vector<guiWidget*> focusOrder;
    std::size_t focusIndex = 0;
    guiWidget* mainRow = nullptr;
    guiWidget* wayOutRow = nullptr;

  private:
    guiImage focusFrame; // built for the size of the control it frames
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
// The page becomes the current one, its focus on its first row.
bool ShowPage(guiDialog* dialog);
bool DrawAll();
bool UpdateAll();

// The message boxes, complete wherever the registry is seen (the installer owns one of each).
#include "gui/guiMsgBox.h"
