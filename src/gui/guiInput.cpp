#include "gui/guiInput.h"

#include "gui/guiDialog.h"
#include "gui/guiPainter.h"
#include "gui/guiRedraw.h"
#include "platform/Os.h"

#include <mutex>

guiRect g_dialogArea;

void SetDialogArea(const guiRect& area) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    g_dialogArea = area;
    if (g_painter) g_painter->SetViewport(&area);
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
    g_mouseX = clientX - g_dialogArea.x;
    g_mouseY = clientY - g_dialogArea.y;
    return DeliverMouse(code);
}

bool DeliverWheelAt(int clientX, int clientY, int delta) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    if (g_modalBox || g_pageInputBlocked) return false;
    if (guiDialog* page = g_currentPage)
        return page->OnWheel(clientX - g_dialogArea.x, clientY - g_dialogArea.y, delta);
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
