#include "gui/guiWidget.h"

#include "gui/guiPainter.h"

#include <algorithm>

int g_mouseX = 0;
int g_mouseY = 0;

bool HitTest(const guiRect& r, int px, int py) {
    return r.x <= px && px < r.x + r.w && r.y <= py && py < r.y + r.h;
}

guiWidget::~guiWidget() {
    for (guiWidget* child : children)
        delete child;
}

bool guiWidget::Draw() {
    bool result = false;
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i]->visible) result |= children[i]->Draw();
    return result;
}

bool guiWidget::OnMouse(int event) {
    int px = g_mouseX, py = g_mouseY;
    bool result = false;
    for (std::size_t i = 0; i < children.size(); ++i) {
        guiWidget* child = children[i];
        if (!HitTest(child->rect, px, py)) continue;
        bool r = child->OnMouse(event);
        result |= r;
        if (r && child->callbackIndex != kNoCallback && child->callbackIndex < callbacks.size()) {
            // One click, one action: rows drawn a pixel into each other share that pixel, and the first
            // action may have switched the page or opened a box already.
            callbacks[child->callbackIndex](child);
            break;
        }
    }
    return result;
}

bool guiWidget::Create() {
    bool result = false;
    for (std::size_t i = 0; i < children.size(); ++i)
        result |= children[i]->Create();
    return result;
}

bool guiWidget::Update() {
    bool result = false;
    for (std::size_t i = 0; i < children.size(); ++i)
        result |= children[i]->Update();
    return result;
}

bool guiWidget::OnKey(int code) {
    for (std::size_t i = 0; i < children.size(); ++i) {
        guiWidget* child = children[i];
        if (child->OnKey(code) && child->callbackIndex != kNoCallback &&
            child->callbackIndex < callbacks.size()) {
            callbacks[child->callbackIndex](child); // one key, one action
            return true;
        }
    }
    return false;
}

bool guiWidget::OnWheel(int x, int y, int delta) {
    for (guiWidget* child : children)
        if (child->visible && HitTest(child->rect, x, y) && child->OnWheel(x, y, delta)) return true;
    return false;
}

void guiWidget::AddChild(guiWidget* child) {
    children.erase(std::remove(children.begin(), children.end(), child), children.end());
    children.push_back(child);
    child->parent = this;
}

void guiWidget::RegisterCallback(guiWidget* child, guiCallback fn) {
    callbacks.push_back(fn);
    child->callbackIndex = static_cast<std::uint16_t>(callbacks.size() - 1);
}

bool guiMouseTracker::OnMouse(int event) {
    if (event != kMouseMove) return false;
    hovered = nullptr;
    for (guiWidget* item : items) {
        if (HitTest(item->rect, g_mouseX, g_mouseY)) {
            hovered = item;
            return true;
        }
    }
    return false;
}

namespace {

// The item's image centred on its row, under the tracker's clip.
void DrawHighlight(const guiRect& clip, guiWidget* item) {
    if (!g_painter) return;
    g_painter->SetClipRect(&clip);
    guiImage& img = item->image;
    img.EnsureLoaded(); // its size places it; the blit below does not try a missing file again
    if (img.pixels) {
        const guiRect& r = item->rect;
        g_painter->DrawImage(&img, r.x + r.w / 2 - img.width / 2, r.y + r.h / 2 - img.height / 2, 1.0f);
    }
    g_painter->SetClipRect(nullptr);
}

} // namespace

guiWidget* guiMouseTracker::FocusedItem() const {
    const guiWidget* focused = parent ? parent->FocusedChild() : nullptr;
    if (!focused || focused->FocusKind() != guiFocus::Row) return nullptr;
    int cx = focused->rect.x + focused->rect.w / 2, cy = focused->rect.y + focused->rect.h / 2;
    for (guiWidget* item : items)
        if (HitTest(item->rect, cx, cy)) return item;
    return nullptr;
}

bool guiMouseTracker::Draw() {
    bool over = HitTest(rect, g_mouseX, g_mouseY);
    guiWidget* shown = over ? hovered : nullptr;
    if (shown) DrawHighlight(rect, shown);
    guiWidget* focusItem = FocusedItem();
    if (focusItem && focusItem != shown) DrawHighlight(rect, focusItem);
    return over;
}

bool guiMouseTracker::Create() {
    return true;
}
