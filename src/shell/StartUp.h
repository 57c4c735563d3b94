// The entry point's work: the first instance finds the disc and relaunches itself from the temporary
// folder; the relaunched instance runs the installation.
#pragma once

#include <optional>
#include <string>

struct CommandLine {
    bool hasCDPath = false;
    std::string cdPath;             // everything after "-CDPath" and one blank
    bool additionalInstall = false; // "-AdditionalInstall", honoured only with "-CDPath"
};

CommandLine ParseCommandLine(const char* commandLine);
// The RunOnce data that starts the setup program on the disc for the additional-installation phase.
std::string RunOnceData(const char* program);
// The argument text the relaunched copy receives.
std::string RelaunchArguments(const char* commandLine, const char* drive);

// True for the relaunched copy: a "$$$" file directly in the temporary folder.
bool IsTemporaryCopy(const std::string& modulePath, const std::string& tempFolder);

// Steps of the relaunched instance before its window: the current folder, the recorded disc and, for
// the additional installation, InstallDir and the marker. The exit code when the instance ends here;
// none when the window and the wizard take over.
std::optional<int> PrepareRelaunchedInstance(const CommandLine& args, const std::string& modulePath);

int SetupMain(void* instance, const char* commandLine);
