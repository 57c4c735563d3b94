#include "shell/StartUp.h"

#include "engine/AddInstallMarker.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/Registry.h"
#include "shell/SystemInfo.h"
#include "shell/Text.h"

#include <cctype>
#include <cstring>

CommandLine ParseCommandLine(const char* commandLine) {
    CommandLine c;
    std::string line = commandLine ? commandLine : "";
    std::size_t at = line.find("-CDPath");
    if (at == std::string::npos) return c;
    c.hasCDPath = true;
    std::size_t path = at + std::strlen("-CDPath") + 1;
    if (path < line.size()) c.cdPath = text::Fit(line.substr(path), text::kMaxPath);
    c.additionalInstall = line.find("-AdditionalInstall") != std::string::npos;
    return c;
}

std::string RunOnceData(const char* program) {
    return std::string("\"") + program + "\" -AdditionalInstall";
}

bool IsTemporaryCopy(const std::string& modulePath, const std::string& tempFolder) {
    std::size_t slash = modulePath.find_last_of('\\');
    if (slash == std::string::npos || tempFolder.empty()) return false;
    std::string folder = modulePath.substr(0, slash + 1), temp = tempFolder;
    if (temp.back() != '\\') temp += '\\';
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    return lower(folder) == lower(temp) && modulePath.compare(slash + 1, 3, "$$$") == 0;
}

std::string RelaunchArguments(const char* commandLine, const char* drive) {
    return text::Format(32768, "%s -CDPath %s", commandLine ? commandLine : "", drive);
}

namespace {

void ReleaseInstanceMutex() {
    os::MutexRelease(g_instanceMutex);
    os::HandleClose(g_instanceMutex);
    g_instanceMutex = 0;
}

int FirstInstance(const std::string& modulePath, const char* commandLine) {
    const char* drive;
    while (!(drive = FindDiscMarker("cd1")))
        if (!AskYesNo("Please, insert Brightvale disk CD1.")) return 0;
    CInstaller& in = g_installer;
    in.cdDrive = drive;
    in.WriteExeCDPath();
    // No RunOnce entry here: the finishing steps arm it when an additional program is due, so that a
    // disc left in the drive does not start the setup program at every logon.

    std::string temp = os::TempPath();
    std::string copy = os::TempFileName(temp.c_str(), "$$$");
    if (!copy.empty()) os::FileCopy(modulePath.c_str(), copy.c_str(), false);

    std::string from = text::Fit(in.cdDrive + "\\unrar.dll", text::kMaxPath);
    std::string to = text::Fit(temp + "\\unrar.dll", text::kMaxPath);
    CollapseSeparators(from);
    CollapseSeparators(to);
    os::SetFileAttrs(to.c_str(), os::kAttrNormal);
    os::FileCopy(from.c_str(), to.c_str(), false);

    ReleaseInstanceMutex();
    if (!copy.empty())
        StartProcess(copy.c_str(), RelaunchArguments(commandLine, in.cdDrive.c_str()).c_str(), false);
    return 0;
}

} // namespace

std::optional<int> PrepareRelaunchedInstance(const CommandLine& args, const std::string& modulePath) {
    // The copy in the temporary folder, and the library beside it, are not needed once Windows
    // restarts (a later start from the disc copies them anew): they go then.
    std::string temp = os::TempPath();
    if (IsTemporaryCopy(modulePath, temp)) {
        os::DeleteAtReboot(modulePath.c_str());
        std::string library = text::Fit(temp + "\\unrar.dll", text::kMaxPath);
        CollapseSeparators(library);
        os::DeleteAtReboot(library.c_str());
    }

    CInstaller& in = g_installer;
    os::SetCurrentDir(args.cdPath.c_str());
    in.ReadExeCDPath();
    // The drive and folder part of the recorded disc ("D:" or "D:\sub").
    os::SetCurrentDir(in.cdDrive.size() == 2 && in.cdDrive[1] == ':' ? (in.cdDrive + "\\").c_str()
                                                                     : in.cdDrive.c_str());
    in.sourceDir = in.cdDrive;

    in.additionalInstall = args.additionalInstall;
    if (in.additionalInstall) {
        const char* installDir = ReadInstallDir();
        if (!installDir) return 1;
        std::string marker = text::Fit(std::string(installDir) + "\\" + addinst::kFileName, text::kMaxPath);
        if (addinst::IsComplete(marker.c_str())) return 0;
    }
    return std::nullopt;
}

namespace {

int RunInstance(void* instance, const char* commandLine) {
    std::string modulePath = os::ModulePath();
    CommandLine args = ParseCommandLine(commandLine);
    if (!args.hasCDPath) return FirstInstance(modulePath, commandLine);
    if (std::optional<int> code = PrepareRelaunchedInstance(args, modulePath)) return *code;
    CInstaller& in = g_installer;
    if (!in.Init(instance)) return 1;
    if (!in.Run()) return 1;
    return 0;
}

} // namespace

int SetupMain(void* instance, const char* commandLine) {
    if (os::Handle other = os::MutexOpen(kInstanceMutexName)) {
        os::HandleClose(other);
        return 0;
    }
    // Started from the temporary folder: libraries are found in the system folder only.
    os::RestrictDllSearch();
    g_instanceMutex = os::MutexCreate(kInstanceMutexName);
    int code = RunInstance(instance, commandLine);
    ReleaseInstanceMutex();
    return code;
}
