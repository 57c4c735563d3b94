#include "platform/Os.h"
#include "platform/win32/Win32.h"
#include "shell/StartUp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // Probing an empty CD-ROM drive must not bring up Windows' own "no disk in drive" box: the
    // installer asks for its discs itself.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    os::DeclareDpiAware();
    return SetupMain(instance, commandLine);
}
