// CInstaller::Run: the main loop.
#include "gui/guiDialog.h"
#include "shell/CInstaller.h"
#include "shell/MainWindow.h"

bool CInstaller::Run() {
    for (;;) {
        os::Pump pumped = os::PumpMessage();
        if (pumped == os::Pump::Quit) break;
        if (pumped == os::Pump::Dispatched) continue;
        if (!windowActive) {
            // Nothing is drawn or watched until a message makes the window active again.
            os::WaitForMessage();
            continue;
        }
        if (os::TopWindowExists(kEngineWindowClass, kEngineWindowTitle)) break;
        UpdateAll();
        DrawAll();
    }
    os::ComUninitialize();
    return true;
}
