// install.log in the game folder: what the installation made, for the uninstaller.
#pragma once

#include "engine/InstallLogFormat.h"

#include <string>
#include <vector>

namespace installlog {

// gameDir followed by "\install.log" (a gameDir ending in "\" gives a doubled separator, which Windows
// accepts).
std::string PathIn(const std::string& gameDir);
// Writes one entry a line in text mode, replacing the file; false when it cannot be created.
bool Write(const std::string& path, const std::vector<std::string>& entries);
// The earlier log's entries in their order, then those of added that it does not hold yet (compared
// without regard to case, as Windows compares names).
std::vector<std::string> Merge(const std::vector<std::string>& earlier,
                               const std::vector<std::string>& added);

} // namespace installlog
