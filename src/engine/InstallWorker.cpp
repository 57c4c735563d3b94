#include "engine/InstallWorker.h"

#include "engine/AdditionalPrograms.h"
#include "engine/ConfirmCancel.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "engine/InstallJournal.h"
#include "engine/Rollback.h"
#include "engine/Unattended.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/SetupLog.h"
#include "shell/Switches.h"
#include "shell/Text.h"

#include <cstring>
#include <vector>

namespace {

void WaitWhileConfirmShowing() {
    while (g_installer.confirmShowing)
        os::Sleep(10);
}

// Asks the disc question once no other question is on screen; false for No. A cancel confirmed
// while waiting for the turn counts as No without asking.
bool AskForDisc(const std::string& marker) {
    CInstaller& in = g_installer;
    std::unique_lock<std::mutex> asking(QuestionLock(), std::defer_lock);
    while (!asking.try_lock())
        os::Sleep(10);
    if (in.cancelConfirmed) return false;
    std::string insert = g_strings.GetText("INSERT_DISK");
    return AskYesNo("%s %s", insert.c_str(), marker.c_str());
}

// The copy's outcome, decided once: a cancel confirmed from here on finds the copy complete.
bool DecideComplete() {
    CInstaller& in = g_installer;
    std::lock_guard<std::mutex> hold(CopyOutcomeLock());
    if (!in.cancelConfirmed) in.copyComplete = true;
    return in.copyComplete;
}

void Succeed() {
    // The journal stays until the finishing steps have made the game an installed one: ended on the
    // quality page, the installation can still be continued or undone at the next start.
    ShowPage(&g_installer.wndQuality);
}

} // namespace

unsigned InstallWorkerEntry(void*) {
    return InstallWorker();
}

std::string DriveHoldingDisc(const std::string& marker) {
    // The marker is a name on the disc, never a path of its own.
    if (marker.empty() || marker.find(':') != std::string::npos || marker[0] == '\\' || marker[0] == '/')
        return std::string();
    char roots[512];
    std::uint32_t length = os::LogicalDriveStrings(roots, sizeof roots);
    if (length == 0 || length >= sizeof roots) return std::string();
    for (const char* root = roots; *root; root += std::strlen(root) + 1) {
        if (os::DriveType(root) != os::kDriveCdrom) continue;
        if (FileExists((std::string(root) + marker).c_str())) return root;
    }
    return std::string();
}

namespace {
const install::PackageEntry* g_awaited = nullptr;

bool AwaitedDiscFound() {
    return FileExists(g_awaited->marker.c_str()) || FileExists(g_awaited->package.c_str()) ||
           !DriveHoldingDisc(g_awaited->marker).empty();
}

// Nobody can be asked: the disc is looked for in every drive for as long as /DISCWAIT allows.
bool WaitForDiscQuietly(const install::PackageEntry& entry) {
    g_awaited = &entry;
    bool found = unattended::WaitUpTo(g_switches.discWaitSeconds, AwaitedDiscFound);
    g_awaited = nullptr;
    if (!found) unattended::Fail("the disc " + entry.marker + " is in no drive");
    return found;
}
} // namespace

bool WaitForDisc(const install::PackageEntry& entry) {
    CInstaller& in = g_installer;
    while (!FileExists(entry.marker.c_str())) {
        if (FileExists(entry.package.c_str())) break;
        // A player with two drives, or with every disc of the set mounted: no need to ask.
        std::string drive = DriveHoldingDisc(entry.marker);
        if (!drive.empty()) {
            in.sourceDir = drive;
            os::SetCurrentDir(drive.c_str());
            break;
        }
        // Not on the disc while the user changes it: the drive is free to be opened.
        os::SetCurrentDir(in.gameDir.c_str());
        if (Unattended()) {
            os::SetCurrentDir(in.sourceDir.c_str());
            if (WaitForDiscQuietly(entry)) continue;
            in.cancelConfirmed = true;
            return false;
        }
        os::Sleep(3000);
        if (!AskForDisc(entry.marker)) {
            in.cancelConfirmed = true;
            return false;
        }
        os::SetCurrentDir(in.sourceDir.c_str());
    }
    return true;
}

void AbandonInstall() {
    RollBack(g_journal);
    DisarmAdditionalInstall();
    g_installer.FinishInstall();
}

unsigned InstallWorker() {
    CInstaller& in = g_installer;
    os::SetCurrentDir(in.sourceDir.c_str());
    in.confirmShowing = false;
    in.cancelConfirmed = false;
    in.finishing = false;
    in.wndProgress.SetProgress(0.0f);
    g_progressFraction = 0.0f;

    in.copyComplete = false;
    // Started without the checks (as the tests do), the record begins here.
    if (JournalKey(g_journal.Target()) != JournalKey(in.gameDir)) g_journal.Begin(in.gameDir);
    // A continued installation keeps what its completed packages put in place; a new one has none.
    in.installedFiles = g_journal.LoggedEntries();
    // Read once: the string table's lookups are not meant for two threads at a time.
    std::vector<std::string> entries(install::kMaxEntries);
    std::int64_t total = 0, done = 0;
    for (unsigned i = 0; i < install::kMaxEntries; ++i) {
        entries[i] = install::EntryText(i);
        std::int64_t size = static_cast<std::int64_t>(install::EntrySize(entries[i]));
        total += size;
        if (g_journal.IsDone(std::to_string(i))) done += size;
    }
    g_bytesTotal = total;
    g_bytesDone = done;
    std::string targetOem = text::Fit(os::AnsiToOemText(in.gameDir.c_str()), text::kMaxPath - 1);

    for (unsigned i = 0; i < install::kMaxEntries; ++i) {
        // Most of the entries are unused: passed over at once, without the two changes of folder,
        // which under Wine took a third of a millisecond each (40 ms for a table).
        if (entries[i].empty() || g_journal.IsDone(std::to_string(i))) continue;
        WaitWhileConfirmShowing();
        if (in.cancelConfirmed) break;
        os::SetCurrentDir(in.gameDir.c_str());
        install::PackageEntry entry;
        bool usable = install::SplitEntry(entries[i], &entry);
        os::SetCurrentDir(in.sourceDir.c_str());
        if (!usable) continue;
        WaitForDisc(entry);
        os::SetCurrentDir(in.sourceDir.c_str());
        if (in.cancelConfirmed) break;
        setuplog::Line("step", "package " + entry.package + " from " + in.sourceDir);
        // What the package will replace is kept aside before anything of it is written.
        if (!g_journal.PreparePackage(entry.package.c_str())) {
            if (Unattended()) unattended::Fail("");
            in.cancelConfirmed = true;
            break;
        }
        if (!ExtractPackage(entry.package.c_str(), targetOem.c_str())) {
            // Cut by a cancel, or failed: only a failure has a reason to give.
            if (Unattended() && !in.cancelConfirmed) unattended::Fail("");
            in.cancelConfirmed = true;
            break;
        }
        g_journal.MarkDone(std::to_string(i));
    }
    // A cancel question still open is answered before the outcome is decided.
    WaitWhileConfirmShowing();
    if (DecideComplete())
        Succeed();
    else
        AbandonInstall();
    in.copyRunning = false;
    return 0;
}
