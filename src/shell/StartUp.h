// The entry point's work: the first instance finds the disc and relaunches itself from the temporary
// folder; the relaunched instance runs the installation.
#pragma once

#include "shell/Switches.h"

#include <optional>
#include <string>

struct CommandLine {
    bool hasCDPath = false;
    std::string cdPath;             // everything after "-CDPath" and one blank
    bool additionalInstall = false; // "-AdditionalInstall", honoured only with "-CDPath"
    Switches switches;              // the caller's part of the line, before "-CDPath"
};

CommandLine ParseCommandLine(const char* commandLine);
// The RunOnce data that starts the setup program on the disc for the additional-installation phase;
// an installation without questions passes its quiet switch on, so the phase after the restart asks
// nothing either.
std::string RunOnceData(const char* program, const std::string& quietSwitch = std::string());
// The argument text the relaunched copy receives.
std::string RelaunchArguments(const char* commandLine, const char* drive);

// The relaunched copy lives in a folder of its own in the temporary folder: named with the system's
// random generator (so no program can prepare it in advance) and writable only by the user and the
// administrators (so none can change it after). Its name: the prefix and 32 hexadecimal digits.
constexpr const char* kPrivateFolderPrefix = "Brightvale-Setup.";
std::string PrivateFolderName(const std::string& tempFolder, const unsigned char (&random)[16]);
// True for a folder of that form directly in the temporary folder.
bool IsPrivateFolder(const std::string& folder, const std::string& tempFolder);
// True for the relaunched copy: a "$$$" file in such a folder.
bool IsTemporaryCopy(const std::string& modulePath, const std::string& tempFolder);
// Makes a new private folder; "" when none could be made.
std::string MakePrivateFolder(const std::string& tempFolder);
// Removes what earlier starts left in private folders they could not remove while running: their
// copies of the program and of the library, then the folders, never through a link.
void RemoveStalePrivateFolders(const std::string& tempFolder);

// Steps of the relaunched instance before its window: the current folder, the recorded disc and, for
// the additional installation, InstallDir and the marker. The exit code when the instance ends here;
// none when the window and the wizard take over.
std::optional<int> PrepareRelaunchedInstance(const CommandLine& args, const std::string& modulePath);

int SetupMain(void* instance, const char* commandLine);
