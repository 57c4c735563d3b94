#include "engine/PreInstallChecks.h"

#include "engine/Extractor.h"
#include "engine/InstallJournal.h"
#include "engine/InstallWorker.h"
#include "engine/Rollback.h"
#include "engine/Unattended.h"
#include "platform/Os.h"
#include "platform/OsThreads.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerTexts.h"
#include "shell/Switches.h"
#include "shell/Text.h"

namespace {

std::string Text(const char* key) {
    return g_strings.GetText(key);
}

std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

} // namespace

bool EnterTargetFolder() {
    CInstaller& in = g_installer;
    g_journal.Begin(in.gameDir);
    g_journal.media = in.mediaDir;
    g_journal.desktopIcon = in.createIcons;
    std::string here = text::Fit(os::GetCurrentDir(), text::kMaxPath);
    bool usable = os::SetCurrentDir(in.gameDir.c_str()) || g_journal.MakeDirs(in.gameDir);
    os::SetCurrentDir(here.c_str());
    if (!usable) {
        if (Unattended()) unattended::Fail("the game folder " + in.gameDir + " cannot be made");
        ShowInfo("%s", Text("WRONG_PATH").c_str());
        return false;
    }
    return true;
}

std::string OutOfSpaceMessage(int neededMb, std::int64_t missingMb) {
    std::string message = Text("OUT_OF_SPACE1");
    message += text::Format(kMessageChars, " %d %s ", neededMb, Text("MB").c_str());
    message += Text("OUT_OF_SPACE2");
    message += text::Format(kMessageChars, " %lld ", static_cast<long long>(missingMb));
    message += Text("OUT_OF_SPACE3");
    return message;
}

bool CheckFreeSpace() {
    std::int64_t freeMb = static_cast<std::int64_t>(FreeDiskBytes(g_installer.gameDir.c_str()) >> 20);
    int neededMb = g_strings.GetNumber("SPACE_NEED");
    if (freeMb >= neededMb) return true;
    if (Unattended())
        unattended::Fail(text::Format(kMessageChars, "%d MB are needed on the drive of %s, %lld MB are free", neededMb,
                                      g_installer.gameDir.c_str(), static_cast<long long>(freeMb)));
    ShowInfo("%s", OutOfSpaceMessage(neededMb, neededMb - freeMb).c_str());
    return false;
}

namespace {
bool FirstDiscOrNone() {
    return FileExists("cd1") || !FileExists("cd2");
}
} // namespace

bool CheckFirstDisc() {
    if (FileExists("cd1")) return true;
    if (Unattended()) {
        if (unattended::WaitUpTo(g_switches.discWaitSeconds, FirstDiscOrNone)) return true;
        unattended::Fail("the first disc (CD1) is in no drive");
        return false;
    }
    while (FileExists("cd2")) {
        std::string insert = Text("INSERT_DISK");
        if (!AskYesNo("%s %s", insert.c_str(), "CD1")) return false;
        if (FileExists("cd1")) return true;
    }
    return true;
}

void MainExecutablePaths(const std::string& gameDir, const std::string& sourceDir, const std::string& value,
                         std::string* source, std::string* destination) {
    *destination = text::Fit(WithSeparator(gameDir) + value, text::kMaxPath);
    std::size_t cut = value.find_last_of("\\/:");
    std::string fileName = cut == std::string::npos ? value : value.substr(cut + 1);
    *source = text::Fit(WithSeparator(sourceDir) + fileName, text::kMaxPath);
    CollapseSeparators(*source);
    CollapseSeparators(*destination);
}

bool CopyMainExecutable() {
    CInstaller& in = g_installer;
    std::string value = Text("MAIN_EXECUTABLE");
    if (value.empty()) return true; // nothing to copy: the name would be the target folder itself
    std::string source, destination;
    MainExecutablePaths(in.gameDir, in.sourceDir, value, &source, &destination);
    std::size_t cut = destination.find_last_of("\\/");
    if (cut != std::string::npos && !g_journal.MakeDirs(destination.substr(0, cut + 1))) return false;
    // An earlier file of that name is moved aside first, read-only or not.
    if (!g_journal.PrepareFile(destination) || !g_journal.Write()) return false;
    if (os::FileCopy(source.c_str(), destination.c_str(), false))
        os::SetFileAttrs(destination.c_str(), os::kAttrNormal);
    else
        ShowInfo("%s %s", PlayerText("CANNOT_WRITE_FILE").c_str(), destination.c_str());
    g_journal.MarkDone(journal::kMainPart);
    return true;
}

bool StartCopy() {
    CInstaller& in = g_installer;
    g_progressView = &in.wndProgress;
    in.wndProgress.ResetProgress();
    ShowPage(&in.wndProgress);
    // Held off until the copy ends; a session that ends anyway leaves the journal for the next start.
    os::BlockShutdown(in.hwnd, PlayerWideText("SHUTDOWN_REASON"));
    in.shutdownBlocked = true;
    in.copyRunning = true;
    in.workerThread = os::StartThread(InstallWorkerEntry, nullptr);
    if (!in.workerThread) {
        in.copyRunning = false;
        ShowInfo("%s", "The installation cannot start: no thread for the copy.");
        RollBack(g_journal);
        ShowPage(&in.wndOptions);
        return false;
    }
    os::SetThreadPriority(in.workerThread, os::kThreadPriorityTimeCritical);
    os::SetThreadPriority(os::CurrentThread(), os::kThreadPriorityLowest);
    return true;
}

namespace {

// Nothing is copied after all: what the checks made (the target folder, the journal) goes again.
void StopBeforeCopy() {
    RollBack(g_journal);
}

} // namespace

void PreInstallChecks() {
    if (!EnterTargetFolder() || !CheckFreeSpace() || !CheckFirstDisc()) return StopBeforeCopy();
    // A table without the notice shows none: an empty box would only puzzle the player.
    std::string notice = Text("ANTIVIR_WARNING");
    if (!notice.empty()) ShowInfo("%s", notice.c_str());
    // The window went while the notice was up: the program is ending, nothing is started.
    if (g_leaving) return StopBeforeCopy();
    if (!CopyMainExecutable()) return StopBeforeCopy();
    BindExtractor();
    StartCopy();
}
