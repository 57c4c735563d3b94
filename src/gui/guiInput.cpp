#include "gui/guiInput.h"

#include "gui/guiDialog.h"
#include "gui/guiPainter.h"
#include "gui/guiRedraw.h"
#include "platform/Os.h"

#include <mutex>

guiRect g_dialogArea;
int g_wizardScale = 1;

namespace {
// Rounds toward minus infinity: a point just left of or above the wizard stays outside it.
int FloorDiv(int value, int by) {
    return value >= 0 ? value / by : -((-value + by - 1) / by);
}
} // namespace

void SetDialogArea(const guiRect& area, int scale) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    g_dialogArea = area;
    g_wizardScale = scale < 1 ? 1 : scale;
    if (g_painter) g_painter->SetViewport(&area, g_wizardScale);
}

int WizardScale(int dpi, int width, int height, int areaWidth, int areaHeight) {
    constexpr int kMostScale = 8;
    int scale = dpi <= 0 ? 1 : (dpi + 48) / 96;
    if (scale > kMostScale) scale = kMostScale;
    while (scale > 1 && (static_cast<long long>(width) * scale > areaWidth ||
                         static_cast<long long>(height) * scale > areaHeight))
        --scale;
    return scale < 1 ? 1 : scale;
}

bool DeliverMouse(int code) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    MarkDirty(); // a hover, a press, a drag: whatever the event changed is drawn at the next pass
    if (guiMsgBox* box = g_modalBox) return box->OnMouse(code);
    if (g_pageInputBlocked) return false;
    if (guiDialog* page = g_currentPage) return page->OnMouse(code);
    return false;
}

bool DeliverKey(int code) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    MarkDirty();
    if (guiMsgBox* box = g_modalBox) return box->OnKey(code);
    if (g_pageInputBlocked) return false;
    if (guiDialog* page = g_currentPage) return page->OnKey(code);
    return false;
}

bool DeliverMouseAt(int clientX, int clientY, int code) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    g_mouseX = FloorDiv(clientX - g_dialogArea.x, g_wizardScale);
    g_mouseY = FloorDiv(clientY - g_dialogArea.y, g_wizardScale);
    return DeliverMouse(code);
}

bool DeliverWheelAt(int clientX, int clientY, int delta) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    if (g_modalBox || g_pageInputBlocked) return false;
    if (guiDialog* page = g_currentPage)
        return page->OnWheel(FloorDiv(clientX - g_dialogArea.x, g_wizardScale),
                             FloorDiv(clientY - g_dialogArea.y, g_wizardScale), delta);
    return false;
}

int MouseEventCode(std::uint32_t message) {
    switch (message) {
    case os::kWmMouseMove:
        return kMouseMove;
    case os::kWmLButtonDown:
        return kLeftDown;
    case os::kWmLButtonUp:
        return kLeftUp;
    case os::kWmRButtonDown:
        return kRightDown;
    case os::kWmRButtonUp:
        return kRightUp;
    case os::kWmMButtonDown:
        return kMiddleDown;
    case os::kWmMButtonUp:
        return kMiddleUp;
    case os::kWmLButtonDblClk:
        return kLeftDouble;
    case os::kWmRButtonDblClk:
        return kRightDouble;
    case os::kWmMButtonDblClk:
        return kMiddleDouble;
    default:
        return 0;
    }
}

bool IsDeliveredVirtualKey(std::uintptr_t key) {
    return key == 35 || key == 36 || key == 37 || key == 39 || key == 46;
}

int FocusKeyCode(std::uintptr_t virtualKey, bool shift) {
    switch (virtualKey) {
    case 9: // VK_TAB
        return shift ? kKeyBackTab : kKeyTab;
    case 33: // VK_PRIOR
        return kKeyPageUp;
    case 34: // VK_NEXT
        return kKeyPageDown;
    case 38: // VK_UP
        return kKeyUp;
    case 40: // VK_DOWN
        return kKeyDown;
    default:
        return 0;
    }
}

bool IsDeliveredCharacter(std::uintptr_t character) {
    return character != 9;
}
