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

// True when a slot the marker does not hold as done has a program to run.
bool SlotsDue(const addinst::Marker& marker);
// The RunOnce entry that starts the setup program on the disc for the additional-installation phase
// after a restart. It lives only while a slot is due: armed before the programs run, disarmed once the
// marker is complete or the installation is abandoned.
void ArmAdditionalInstall();
void DisarmAdditionalInstall();

// The setup program on the disc, which the RunOnce entry starts.
constexpr const char* kDiscProgram = "setup.exe";
