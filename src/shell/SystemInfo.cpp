#include "shell/SystemInfo.h"

#include "gui/guiDialog.h"
#include "platform/Os.h"
#include "shell/Text.h"

bool IsWindowsNT() {
    std::uint32_t platform = 0, major = 0;
    return os::VersionInfo(148, &platform, &major) && platform == 2;
}

int WindowsMajorVersion() {
    std::uint32_t platform = 0, major = 0;
    if (!os::VersionInfo(156, &platform, &major) || platform != 2 || major <= 4) return 0;
    return static_cast<int>(major);
}

bool HasNewShell() {
    return IsWindowsNT() && WindowsMajorVersion() > 4;
}

bool StartProcess(const char* program, const char* arguments, bool wait) {
    std::string commandLine = text::Format(32768, "\"%s\" %s", program, arguments);
    os::Handle process = os::StartProgram(commandLine.c_str(), os::kSwShowDefault);
    if (!process) return false;
    if (wait) {
        // Keep the window alive while the program runs: messages first, else one frame. A quit taken
        // meanwhile is kept for the loop outside: the program is waited for all the same.
        bool quit = false;
        for (;;) {
            std::uint32_t code = 0;
            if (!os::ExitCode(process, &code)) break;
            os::Sleep(100);
            os::Pump pumped = os::PumpMessage();
            if (pumped == os::Pump::Quit) quit = true;
            if (pumped == os::Pump::None) {
                UpdateAll();
                DrawAll();
            }
            if (code != os::kStillActive) break;
        }
        for (os::Pump p; (p = os::PumpMessage()) != os::Pump::None;)
            if (p == os::Pump::Quit) quit = true;
        if (quit) os::PostQuit(0);
    }
    os::HandleClose(process);
    return true;
}
