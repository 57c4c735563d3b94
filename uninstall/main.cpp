#include "Uninstaller.h"
#include "platform/Os.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    return uninstall::Run(os::ModulePath(), commandLine);
}
