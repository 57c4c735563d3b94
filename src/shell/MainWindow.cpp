#include "shell/MainWindow.h"

#include "engine/ConfirmCancel.h"
#include "gui/guiDialog.h"
#include "gui/guiInput.h"
#include "gui/guiRedraw.h"
#include "shell/CInstaller.h"

#include <mutex>

std::array<os::Rect, 4> SurroundStrips(const guiRect& d, int R, int B) {
    return {{{0, 0, R, d.y}, {0, d.y, d.x, B}, {d.x, d.y + d.h, R, B}, {d.x + d.w, d.y, R, d.y + d.h}}};
}

namespace {

void SetActive(CInstaller& in, bool active) {
    in.windowActive = active;
    g_active = active;
}

void FillSurroundings(CInstaller& in, os::Window window) {
    os::Handle dc = os::ClientDC(window);
    int width = 0, height = 0;
    os::ScreenSize(dc, &width, &height);
    in.workArea.right = width;
    in.workArea.bottom = height;
    std::array<os::Rect, 4> strips = SurroundStrips(in.dialogRect, width, height);
    os::FillSolid(dc, kSurroundRed, kSurroundGreen, kSurroundBlue, strips.data(),
                  static_cast<int>(strips.size()));
    os::ReleaseWindowDC(window, dc);
}

int LowWord(std::uintptr_t v) {
    return static_cast<int>(v & 0xFFFF);
}
int LowWord(std::intptr_t v) {
    return static_cast<int>(static_cast<std::uintptr_t>(v) & 0xFFFF);
}
int HighWord(std::intptr_t v) {
    return static_cast<int>((static_cast<std::uintptr_t>(v) >> 16) & 0xFFFF);
}

} // namespace

std::intptr_t HandleWindowMessage(CInstaller& in, os::Window window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case os::kWmDestroy:
        // No box may wait for a click on a window that is gone, on either thread.
        g_leaving = true;
        os::PostQuit(0);
        break;
    case os::kWmClose:
        // The close button, Alt+F4, the taskbar and Task Manager: an open box is answered first, the copy
        // is cancelled as its Cancel row does (with the same question), the finishing steps end the
        // program themselves; otherwise the window goes, as Exit does.
        if (g_modalBox) return 0;
        if (in.copyRunning) {
            ConfirmCancel();
            return 0;
        }
        if (g_pageInputBlocked) return 0;
        break;
    case os::kWmSize:
        SetActive(in, !(wParam == os::kSizeMinimized || wParam == os::kSizeMaxHide));
        break;
    case os::kWmActivate: {
        std::uintptr_t state = static_cast<std::uintptr_t>(LowWord(wParam));
        if (state == os::kWaActive || state == os::kWaClickActive) {
            SetActive(in, true);
            UpdateAll();
            DrawAll();
        } else {
            SetActive(in, false);
        }
        break;
    }
    case os::kWmPaint:
        DrawAll();
        break;
    case os::kWmQueryEndSession:
        // During the copy the session waits, with the reason set when the copy began; ended anyway, it
        // leaves the journal for the next start.
        if (in.copyRunning) return 0;
        FollowShutdownBlock(in);
        in.shutdownPending = true;
        break;
    case os::kWmEraseBkgnd:
        FillSurroundings(in, window);
        return 1;
    case os::kWmDpiChanged: {
        // Moved to a display of another DPI: the wizard takes that display's scale, around the same centre.
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
        PlaceWizard(in, LowWord(wParam), os::ClientRect(window));
        FillSurroundings(in, window);
        MarkDirty();
        return 0;
    }
    case os::kWmKeyDown: {
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
        if (IsDeliveredVirtualKey(wParam))
            DeliverKey(static_cast<int>(wParam));
        else if (int code = FocusKeyCode(wParam, os::ShiftHeld()))
            DeliverKey(code);
        in.keyDown = true;
        break;
    }
    case os::kWmKeyUp: {
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
        in.keyDown = false;
        break;
    }
    case os::kWmChar:
        if (IsDeliveredCharacter(wParam)) DeliverKey(static_cast<int>(wParam));
        break;
    case os::kWmMouseWheel: {
        // Screen coordinates, unlike the other mouse messages.
        int x = static_cast<std::int16_t>(LowWord(lParam)), y = static_cast<std::int16_t>(HighWord(lParam));
        os::ScreenToClientPoint(window, &x, &y);
        DeliverWheelAt(x, y, static_cast<std::int16_t>(HighWord(static_cast<std::intptr_t>(wParam))));
        return 0;
    }
    default:
        if (int code = MouseEventCode(message)) DeliverMouseAt(LowWord(lParam), HighWord(lParam), code);
        break;
    }
    return os::DefaultWindowProc(window, message, wParam, lParam);
}

std::intptr_t InstallerWindowProc(os::Window window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    return HandleWindowMessage(g_installer, window, message, wParam, lParam);
}
