#include "gui/guiDialog.h"

#include "gui/guiPainter.h"
#include "gui/guiPicture.h"
#include "gui/guiRedraw.h"
#include "platform/Os.h"

#include <algorithm>

std::vector<guiDialog*> g_topLevelDialogs;
std::atomic<guiDialog*> g_currentPage{nullptr};
std::atomic<guiMsgBox*> g_modalBox{nullptr};
std::atomic<bool> g_active{false};
std::atomic<bool> g_leaving{false};
std::atomic<bool> g_pageInputBlocked{false};

std::recursive_mutex& GuiLock() {
    static std::recursive_mutex lock;
    return lock;
}

guiDialog::~guiDialog() {
    title.clear();
}

bool guiDialog::AddPicture(const char* fileName) {
    auto* picture = new guiPicture;
    if (!picture->Load(fileName, false)) {
        delete picture;
        return false;
    }
    AddChild(picture);
    return true;
}

bool guiDialog::Draw() {
    bool result = guiWidget::Draw();
    guiWidget* focused = Focused();
    if (!focused || focused->FocusKind() != guiFocus::Control || !g_painter) return result;
    // A one-pixel frame two pixels outside the control, in the pages' text colour.
    const guiRect& r = focused->rect;
    int w = r.w + 4, h = r.h + 4;
    if (w < 3 || h < 3) return result;
    if (focusFrame.width != w || focusFrame.height != h) {
        if (!focusFrame.Allocate(w, h, PF_BGRA32, false)) return result;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = focusFrame.PixelAt(x, y);
                bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                p[0] = 49, p[1] = 40, p[2] = 18, p[3] = edge ? 255 : 0;
            }
    }
    g_painter->SetClipRect(nullptr);
    g_painter->DrawImage(&focusFrame, r.x - 2, r.y - 2, 1.0f);
    return result;
}

bool guiDialog::OnMouse(int event) {
    if (event == kLeftDown)
        for (guiWidget* w : focusOrder)
            if (w->FocusKind() == guiFocus::Control && w->visible && HitTest(w->rect, g_mouseX, g_mouseY)) {
                Focus(w);
                break;
            }
    return guiWidget::OnMouse(event);
}

void guiDialog::SetKeyboard(guiWidget* main, guiWidget* wayOut) {
    focusOrder.clear();
    for (guiWidget* child : children)
        if (child->FocusKind() != guiFocus::None) focusOrder.push_back(child);
    std::stable_sort(focusOrder.begin(), focusOrder.end(), [](const guiWidget* a, const guiWidget* b) {
        return a->rect.y != b->rect.y ? a->rect.y < b->rect.y : a->rect.x < b->rect.x;
    });
    mainRow = main;
    wayOutRow = wayOut;
    FocusFirstRow();
}

void guiDialog::FocusFirstRow() {
    focusIndex = 0;
    for (std::size_t i = 0; i < focusOrder.size(); ++i)
        if (focusOrder[i]->FocusKind() == guiFocus::Row) {
            focusIndex = i;
            return;
        }
}

bool guiDialog::Focus(const guiWidget* widget) {
    for (std::size_t i = 0; i < focusOrder.size(); ++i)
        if (focusOrder[i] == widget) {
            focusIndex = i;
            return true;
        }
    return false;
}

bool guiDialog::Activate(guiWidget* row) {
    if (!row || row->parent != this || row->callbackIndex == kNoCallback || row->callbackIndex >= callbacks.size())
        return false;
    callbacks[row->callbackIndex](row);
    return true;
}

bool guiDialog::OnKey(int code) {
    if (focusOrder.empty()) return guiWidget::OnKey(code);
    guiWidget* focused = Focused();
    bool onRow = focused->FocusKind() == guiFocus::Row;
    if (!onRow && code != kKeyTab && code != kKeyBackTab && focused->OnKey(code)) {
        // As a click on it: the control's own callback, once.
        if (focused->callbackIndex != kNoCallback && focused->callbackIndex < callbacks.size())
            callbacks[focused->callbackIndex](focused);
        return true;
    }
    std::size_t n = focusOrder.size();
    switch (code) {
    case kKeyTab:
    case kKeyDown:
        focusIndex = (focusIndex + 1) % n;
        return true;
    case kKeyBackTab:
    case kKeyUp:
        focusIndex = (focusIndex + n - 1) % n;
        return true;
    case kKeyEnter:
        return Activate(onRow ? focused : mainRow);
    case kKeySpace:
        return onRow && Activate(focused);
    case kKeyEscape:
        return Activate(wayOutRow);
    default:
        return false;
    }
}

void AddTopLevelDialog(guiDialog* dialog) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    g_topLevelDialogs.erase(std::remove(g_topLevelDialogs.begin(), g_topLevelDialogs.end(), dialog),
                            g_topLevelDialogs.end());
    g_topLevelDialogs.push_back(dialog);
    dialog->visible = 0;
}

bool ShowPage(guiDialog* dialog) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    if (guiDialog* current = g_currentPage) current->visible = 0;
    g_currentPage = dialog;
    dialog->visible = 1;
    MarkDirty(); // the new page's update pass (its title, its bar) follows
    dialog->FocusFirstRow();
    DrawAll();
    return false;
}

bool DrawAll() {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    for (std::size_t i = 0; i < g_topLevelDialogs.size(); ++i)
        if (g_topLevelDialogs[i]->visible) g_topLevelDialogs[i]->Draw();
    if (g_painter) g_painter->Present();
    NoteFrame();
    return false;
}

bool UpdateAll() {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    for (std::size_t i = 0; i < g_topLevelDialogs.size(); ++i)
        if (g_topLevelDialogs[i]->visible) g_topLevelDialogs[i]->Update();
    bool pageResult = false;
    if (guiDialog* page = g_currentPage) pageResult = page->Update();
    if (guiMsgBox* box = g_modalBox) return box->Update();
    return pageResult;
}
