// The maintenance page's actions that start programs of the installed game.
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/Registry.h"
#include "shell/SystemInfo.h"
#include "shell/Text.h"

void CInstaller::RunGame() {
    const char* dir = ReadInstallDir();
    // The maintenance page is shown only with InstallDir recorded; without it there is no game to start.
    if (!dir) return;
    std::string folder = dir;
    os::SetCurrentDir(folder.c_str());
    std::string program = text::Fit(folder + "\\" + g_strings.GetText("GAME_EXE"), text::kMaxPath);
    os::Sleep(200);
    StartProcess(program.c_str(), "", false); // the installer ends whether or not the game starts
    os::PostQuit(0);
}

void CInstaller::RunUninstaller() {
    const char* dir = ReadInstallDir();
    if (!dir) return;
    std::string program = text::Fit(std::string(dir) + "\\uninstall.exe", text::kMaxPath);
    if (!FileExists(program.c_str())) return;
    StartProcess(program.c_str(), "", false);
    os::PostQuit(0);
}
