#include "platform/win32/Win32.h"
#include "shell/StartUp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return SetupMain(instance, commandLine);
}
