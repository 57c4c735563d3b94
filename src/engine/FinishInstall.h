// The finishing steps: shortcuts, copies, install.log, registry, additional programs, restart.
#pragma once

#include <string>
#include <vector>

// The entries install.log gets: the list itself, or in the additional-installation phase the earlier
// log with the list's new entries added (that phase unpacks nothing, so its list alone is short).
std::vector<std::string> LogEntries(const std::string& logPath, const std::vector<std::string>& installed,
                                    bool additionalInstall);
// Restarts Windows; false when the shutdown privilege cannot be had.
bool RestartWindows();
