// uninstall.exe: started with no arguments from the game folder, it reads install.log beside it,
// asks once, and hands the work to a copy of itself in the temporary folder (a running program
// cannot delete its own file, nor the folder it lies in). The copy removes what the log names,
// the installation's registry entries, and at last the game folder when nothing else is left.
#pragma once

#include "UninstallPlan.h"

#include <string>

namespace uninstall {

constexpr const char* kTitle = "Brightvale Uninstall";
constexpr const char* kRemoveSwitch = "/remove";
// Removes without a question or any window; the exit code tells the outcome (0 removed, 1 not).
constexpr const char* kQuietSwitch = "/S";

// The folders of this computer the plan is checked against, from the shell and the registry.
Environment CurrentEnvironment(const std::string& gameFolder);
// The game folder the working copy is given after the switch; "" when the command line does not hold
// the switch: the user started the program.
std::string WorkingFolder(const char* commandLine);
// Whether the command line holds the quiet switch (a word of its own, before the working copy's folder).
bool QuietSwitch(const char* commandLine);
// The whole program; the exit code.
int Run(const std::string& modulePath, const char* commandLine);

} // namespace uninstall
