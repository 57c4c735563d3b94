// Stand-in for the install log check, which lives with the engine: this file goes when it arrives there.
#include "shell/CInstaller.h"
#include "shell/Files.h"
#include "shell/Registry.h"

#include <string>

bool CInstaller::IsAlreadyInstalled() {
    const char* dir = ReadInstallDir();
    if (!dir) return false;
    std::string log = std::string(dir) + "//install.log";
    std::string uninstaller = std::string(dir) + "//uninstall.exe";
    return FileExists(log.c_str()) && FileExists(uninstaller.c_str());
}
