// The additional programs of the install description (ADD_INSTALL_0 to ADD_INSTALL_15): each slot is
// dealt with once, marked in addinstf.bin before its program runs, so a restart never runs it twice.
#pragma once

#include "engine/AddInstallMarker.h"

#include <string>

namespace addinst {
// The drive and folder part of the recorded disc, "\" and the command, doubled separators collapsed.
std::string ProgramPath(const std::string& cdDrive, const std::string& command);
} // namespace addinst

// Runs the slots the marker does not hold as done, one at a time, each waited for.
void RunAdditionalPrograms(addinst::Marker& marker, const std::string& markerPath);
