#include "engine/AdditionalPrograms.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Registry.h"
#include "shell/StartUp.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/SystemInfo.h"
#include "shell/Text.h"

#include <cstdio>

namespace addinst {

std::string ProgramPath(const std::string& cdDrive, const std::string& command) {
    // As a path splits: "D:" and "D:\sub\" are folders, the last name of "D:\sub" is taken for a file.
    std::size_t cut = cdDrive.find_last_of("\\/");
    std::string folder;
    if (cut != std::string::npos)
        folder = cdDrive.substr(0, cut + 1);
    else if (cdDrive.size() >= 2 && cdDrive[1] == ':')
        folder = cdDrive.substr(0, 2);
    std::string path = text::Fit(folder + "\\" + command, text::kMaxPath);
    CollapseSeparators(path);
    return path;
}

} // namespace addinst

bool SlotsDue(const addinst::Marker& marker) {
    for (int i = 0; i < addinst::kSlots; ++i) {
        if (marker[i] == addinst::kDone) continue;
        char key[32];
        std::snprintf(key, sizeof key, "ADD_INSTALL_%d", i);
        if (*g_strings.GetText(key)) return true;
    }
    return false;
}

void ArmAdditionalInstall() {
    CInstaller& in = g_installer;
    std::string program = addinst::ProgramPath(in.cdDrive, kDiscProgram);
    reg::WriteString(os::kHkeyCurrentUser, reg::kRunOnceKey, reg::kRunOnceValue, RunOnceData(program.c_str(), g_switches.quietSwitch));
}

void DisarmAdditionalInstall() {
    if (os::Handle key = os::RegOpen(os::kHkeyCurrentUser, reg::kRunOnceKey, os::kKeyAllAccess)) {
        os::RegRemoveValue(key, reg::kRunOnceValue);
        os::RegClose(key);
    }
}

void RunAdditionalPrograms(addinst::Marker& marker, const std::string& markerPath) {
    CInstaller& in = g_installer;
    for (int i = 0; i < addinst::kSlots; ++i) {
        if (marker[i] == addinst::kDone) continue;
        marker[i] = addinst::kDone;
        if (!addinst::Write(markerPath.c_str(), marker)) {
            ReportError("Cannot open file %s", markerPath.c_str());
            ShowLastError();
            break;
        }
        char key[32];
        std::snprintf(key, sizeof key, "ADD_INSTALL_%d", i);
        std::string command = g_strings.GetText(key);
        // A program on the disc, by a name that stays on it: anything else counts as no program.
        if (command.empty() || !IsPlainRelativeName(command)) continue;
        std::snprintf(key, sizeof key, "CONFIRM_ADD_INSTALL_%d", i);
        std::string question = g_strings.GetText(key);
        bool run = question.empty() || AskYesNo("%s", question.c_str());
        if (run) {
            // The drive checked at start-up: the registry, which any program of the user's can write,
            // is not read again here.
            std::string program = addinst::ProgramPath(in.cdDrive, command);
            StartProcess(program.c_str(), "", true);
        }
        if (in.shutdownPending) break;
    }
}
