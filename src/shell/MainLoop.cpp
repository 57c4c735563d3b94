// CInstaller::Run: the main loop.
#include "engine/ConfirmCancel.h"
#include "gui/guiDialog.h"
#include "gui/guiRedraw.h"
#include "platform/OsThreads.h"
#include "shell/CInstaller.h"
#include "shell/MainWindow.h"

void FollowShutdownBlock(CInstaller& in) {
    if (!in.shutdownBlocked || in.copyRunning) return;
    os::UnblockShutdown(in.hwnd);
    in.shutdownBlocked = false;
}

namespace {

// Whatever ended the loop, a copy still running is cancelled, and undone, before the program ends.
void LeaveWithoutCopy(CInstaller& in) {
    g_leaving = true; // a box of the worker's answers at once: there is no one to click it
    if (!in.copyRunning) return;
    RequestCancel();
    while (in.copyRunning)
        if (!os::PumpOneMessage()) os::WaitThread(in.workerThread, 50);
    FollowShutdownBlock(in);
}

} // namespace

bool CInstaller::Run() {
    for (;;) {
        FollowShutdownBlock(*this);
        os::Pump pumped = os::PumpMessage();
        if (pumped == os::Pump::Quit) break;
        if (pumped == os::Pump::Dispatched) continue;
        if (!windowActive) {
            // Nothing is drawn or watched until a message makes the window active again.
            os::WaitForMessage();
            continue;
        }
        // Watched at every wake: no wait is longer than kLongestWaitMs.
        if (os::TopWindowExists(kEngineWindowClass, kEngineWindowTitle)) break;
        // Drawn only when something changed; otherwise the loop sleeps until a message or the next due
        // time.
        os::WaitForInput(RedrawIfDue());
    }
    LeaveWithoutCopy(*this);
    os::ComUninitialize();
    return true;
}
