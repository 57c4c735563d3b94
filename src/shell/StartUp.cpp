#include "shell/StartUp.h"

#include "engine/AddInstallMarker.h"
#include "engine/LinkSafety.h"
#include "engine/Unattended.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerTexts.h"
#include "shell/Registry.h"
#include "shell/SetupLog.h"
#include "shell/SystemInfo.h"
#include "shell/Text.h"

#include <cctype>
#include <cstring>

CommandLine ParseCommandLine(const char* commandLine) {
    CommandLine c;
    std::string line = commandLine ? commandLine : "";
    std::size_t at = line.find("-CDPath");
    c.switches = ParseSwitches(at == std::string::npos ? line : line.substr(0, at));
    if (at == std::string::npos) return c;
    c.hasCDPath = true;
    std::size_t path = at + std::strlen("-CDPath") + 1;
    if (path < line.size()) c.cdPath = text::Fit(line.substr(path), text::kMaxPath);
    c.additionalInstall = line.find("-AdditionalInstall") != std::string::npos;
    return c;
}

std::string RunOnceData(const char* program, const std::string& quietSwitch) {
    std::string data = std::string("\"") + program + "\" -AdditionalInstall";
    return quietSwitch.empty() ? data : data + " " + quietSwitch;
}

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

std::string PrivateFolderName(const std::string& tempFolder, const unsigned char (&random)[16]) {
    std::string name = WithSeparator(tempFolder) + kPrivateFolderPrefix;
    for (unsigned char b : random)
        name += text::Format(4, "%02x", b);
    return name;
}

bool IsPrivateFolder(const std::string& folder, const std::string& tempFolder) {
    std::string parent = FolderOf(folder), name = folder.substr(parent.size() + (parent.empty() ? 0 : 1));
    std::size_t prefix = std::strlen(kPrivateFolderPrefix);
    if (tempFolder.empty() || Lower(WithSeparator(parent)) != Lower(WithSeparator(tempFolder))) return false;
    if (name.size() != prefix + 32 || Lower(name.substr(0, prefix)) != Lower(kPrivateFolderPrefix)) return false;
    return name.find_first_not_of("0123456789abcdefABCDEF", prefix) == std::string::npos;
}

bool IsTemporaryCopy(const std::string& modulePath, const std::string& tempFolder) {
    std::string folder = FolderOf(modulePath);
    return !folder.empty() && IsPrivateFolder(folder, tempFolder) &&
           modulePath.compare(folder.size() + 1, 3, "$$$") == 0;
}

std::string MakePrivateFolder(const std::string& tempFolder) {
    // A name somebody took first (it cannot be guessed, but may be tried) is passed over.
    for (int attempt = 0; attempt < 4; ++attempt) {
        unsigned char random[16];
        if (!os::RandomBytes(random, sizeof random)) return std::string();
        std::string folder = PrivateFolderName(tempFolder, random);
        if (os::CreatePrivateDir(folder.c_str())) return folder;
    }
    return std::string();
}

void RemoveStalePrivateFolders(const std::string& tempFolder) {
    std::string pattern = WithSeparator(tempFolder) + kPrivateFolderPrefix + "*";
    for (const os::DirEntry& e : os::ListDir(pattern.c_str())) {
        std::string folder = WithSeparator(tempFolder) + e.name;
        if (!e.isDir || !IsPrivateFolder(folder, tempFolder) || os::IsReparsePoint(folder.c_str())) continue;
        for (const os::DirEntry& f : os::ListDir((folder + "\\*").c_str())) {
            std::string path = folder + "\\" + f.name;
            bool ours = f.name.compare(0, 3, "$$$") == 0 || Lower(f.name) == "unrar.dll";
            if (f.isDir || !ours || links::Check(folder, path) != links::Reach::Direct) continue;
            os::SetFileAttrs(path.c_str(), os::kAttrNormal);
            os::FileDelete(path.c_str()); // a copy that still runs stays, and so does its folder
        }
        os::RemoveDir(folder.c_str());
    }
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

bool FirstDiscInAnyDrive() {
    return FindDiscMarker("cd1") != nullptr;
}

// Without questions the caller waits for the installation itself: the relaunched copy's code is ours.
int WaitForRelaunchedCopy(const std::string& copy, const std::string& arguments) {
    std::string line = "\"" + copy + "\" " + arguments;
    os::Handle process = os::StartProgram(line.c_str(), os::kSwShowDefault);
    if (!process) {
        unattended::Fail("the copy of the setup program in the temporary folder cannot be started");
        return unattended::Result(kExitFailed);
    }
    std::uint32_t code = os::kStillActive;
    while (os::ExitCode(process, &code) && code == os::kStillActive)
        os::Sleep(100);
    os::HandleClose(process);
    if (code == os::kStillActive) {
        unattended::Fail("the setup program's copy ended without a result");
        return unattended::Result(kExitFailed);
    }
    return unattended::Result(static_cast<int>(code));
}

int FirstInstance(const std::string& modulePath, const char* commandLine) {
    const char* drive = nullptr;
    if (Unattended()) {
        if (unattended::WaitUpTo(g_switches.discWaitSeconds, FirstDiscInAnyDrive)) drive = FindDiscMarker("cd1");
        if (!drive) {
            unattended::Fail("the first disc (CD1) is in no drive");
            return unattended::Result(kExitFailed);
        }
        setuplog::Line("step", std::string("the first disc is in ") + drive);
    }
    while (!drive && !(drive = FindDiscMarker("cd1")))
        if (!AskYesNo("Please, insert Brightvale disk CD1.")) return 0;
    CInstaller& in = g_installer;
    in.cdDrive = drive;
    in.WriteExeCDPath();
    // No RunOnce entry here: the finishing steps arm it when an additional program is due, so that a
    // disc left in the drive does not start the setup program at every logon.

    std::string temp = os::TempPath();
    RemoveStalePrivateFolders(temp);
    std::string folder = MakePrivateFolder(temp);
    if (folder.empty()) {
        ReportError("%s %s", PlayerText("CANNOT_WRITE_FILE").c_str(), temp.c_str());
        if (Unattended()) {
            unattended::Fail("");
            return unattended::Result(kExitFailed);
        }
        return 0;
    }
    std::string copy = os::TempFileName(folder.c_str(), "$$$");
    if (!copy.empty()) os::FileCopy(modulePath.c_str(), copy.c_str(), false);

    std::string from = text::Fit(in.cdDrive + "\\unrar.dll", text::kMaxPath);
    std::string to = text::Fit(folder + "\\unrar.dll", text::kMaxPath);
    CollapseSeparators(from);
    CollapseSeparators(to);
    os::SetFileAttrs(to.c_str(), os::kAttrNormal);
    os::FileCopy(from.c_str(), to.c_str(), false);

    ReleaseInstanceMutex();
    std::string arguments = RelaunchArguments(commandLine, in.cdDrive.c_str());
    if (Unattended()) {
        if (copy.empty()) {
            unattended::Fail("the setup program cannot be copied to the temporary folder");
            return unattended::Result(kExitFailed);
        }
        return WaitForRelaunchedCopy(copy, arguments);
    }
    if (!copy.empty()) StartProcess(copy.c_str(), arguments.c_str(), false);
    return 0;
}

} // namespace

std::optional<int> PrepareRelaunchedInstance(const CommandLine& args, const std::string& modulePath) {
    // The copy in the temporary folder, and the library beside it, are not needed once Windows
    // restarts (a later start from the disc copies them anew): they go then.
    std::string temp = os::TempPath();
    if (IsTemporaryCopy(modulePath, temp)) {
        // Files before their folder: Windows removes them in this order.
        std::string folder = FolderOf(modulePath);
        os::DeleteAtReboot(modulePath.c_str());
        os::DeleteAtReboot((folder + "\\unrar.dll").c_str());
        os::DeleteAtReboot(folder.c_str());
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

// Told on the debug output (and, to a person, in a box): the switches are written down once, in the
// README, and the code says the line was not understood.
int BadCommandLine(const Switches& switches) {
    std::string message = "The command line is not understood: " + switches.problem +
                          ".\n\nsetup.exe [/S [/D=folder]] [/SILENT | /VERYSILENT] [/DIR=\"folder\"] [/LOG=\"file\"] "
                          "[/NOICONS] [/NORESTART] [/SUPPRESSMSGBOXES] [/DISCWAIT=seconds]";
    os::DebugText(("setup: " + message + "\n").c_str());
    if (switches.quiet == Quiet::None && !switches.suppressBoxes)
        os::MsgBoxA(nullptr, message.c_str(), g_narrowTitle.c_str(), os::kMbIconError);
    return kExitBadCommandLine;
}

int RunInstance(void* instance, const char* commandLine) {
    std::string modulePath = os::ModulePath();
    CommandLine args = ParseCommandLine(commandLine);
    if (!args.switches.valid) return BadCommandLine(args.switches);
    g_switches = args.switches;
    if (!g_switches.logFile.empty() && !setuplog::Open(g_switches.logFile))
        os::DebugText(("setup: the log " + g_switches.logFile + " cannot be opened\n").c_str());
    setuplog::Line("step", std::string(args.hasCDPath ? "the copy started: " : "setup started: ") +
                               (commandLine ? commandLine : ""));
    if (!args.hasCDPath) return FirstInstance(modulePath, commandLine);
    if (std::optional<int> code = PrepareRelaunchedInstance(args, modulePath)) return *code;
    if (Unattended() && !args.additionalInstall) return unattended::Install(instance);
    CInstaller& in = g_installer;
    if (!in.Init(instance)) return 1;
    if (!in.Run()) return 1;
    return 0;
}

} // namespace

int SetupMain(void* instance, const char* commandLine) {
    if (os::Handle other = os::MutexOpen(kInstanceMutexName)) {
        os::HandleClose(other);
        // A script must not read "done" from a start that did nothing.
        return ParseCommandLine(commandLine).switches.quiet != Quiet::None ? kExitFailed : 0;
    }
    // Started from the temporary folder: libraries are found in the system folder only.
    os::RestrictDllSearch();
    g_instanceMutex = os::MutexCreate(kInstanceMutexName);
    int code = RunInstance(instance, commandLine);
    ReleaseInstanceMutex();
    return code;
}
