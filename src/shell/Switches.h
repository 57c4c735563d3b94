// The switches an administrator or a package manager gives setup.exe for an installation without
// questions: "/S [/D=folder]" as the script-driven installers take them, and "/SILENT" or
// "/VERYSILENT" with "/DIR=", "/LOG=", "/NORESTART", "/SUPPRESSMSGBOXES", "/NOICONS" and "/DISCWAIT=".
#pragma once

#include <string>

enum class Quiet {
    None,       // the wizard, with a person in front of it
    Silent,     // the progress page only, no question
    VerySilent, // nothing on screen at all
};

// What the caller's process ends with.
constexpr int kExitDone = 0;
constexpr int kExitBadCommandLine = 1;
constexpr int kExitCancelled = 1602;
constexpr int kExitFailed = 1603;
constexpr int kExitRestartNeeded = 3010;

// The longest /DISCWAIT: a day.
constexpr int kMaxDiscWaitSeconds = 86400;

struct Switches {
    bool valid = true;
    std::string problem; // what is wrong with the line, for the log and the debug output
    Quiet quiet = Quiet::None;
    std::string quietSwitch; // as given ("/S", "/SILENT", "/VERYSILENT"): passed on to a later phase
    bool hasDir = false;
    std::string dir;
    std::string logFile;
    bool noRestart = false;
    bool suppressBoxes = false;
    bool noIcons = false;
    int discWaitSeconds = 0;
    bool additionalInstall = false; // "-AdditionalInstall", our own, from the RunOnce entry
};

// Reads the caller's part of a command line (without the "-CDPath" the relaunch adds). "/S" and "/D="
// are case-sensitive, as their family has them; the other switches are not. "/D=" takes the rest of
// the line, blanks included; a value of the other switches may be quoted. An unknown switch, a value
// missing or out of range, or a folder that is not a plain absolute one makes the line invalid.
Switches ParseSwitches(const std::string& line);

// The switches this process was started with.
extern Switches g_switches;
inline bool Unattended() {
    return g_switches.quiet != Quiet::None;
}
