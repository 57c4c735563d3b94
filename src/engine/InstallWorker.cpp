#include "engine/InstallWorker.h"

#include "engine/ConfirmCancel.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "engine/InstallJournal.h"
#include "engine/Rollback.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/Text.h"

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

void Succeed() {
    CInstaller& in = g_installer;
    in.copyComplete = true;
    // Nothing can be rolled back from here on: the files kept aside are no longer needed.
    g_journal.Commit();
    ShowPage(&in.wndQuality);
}

} // namespace

unsigned InstallWorkerEntry(void*) {
    return InstallWorker();
}

bool WaitForDisc(const install::PackageEntry& entry) {
    CInstaller& in = g_installer;
    while (!FileExists(entry.marker.c_str())) {
        if (FileExists(entry.package.c_str())) break;
        // Not on the disc while the user changes it: the drive is free to be opened.
        os::SetCurrentDir(in.gameDir.c_str());
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

    in.installedFiles.clear();
    in.copyComplete = false;
    // Read once: the string table's lookups are not meant for two threads at a time.
    std::vector<std::string> entries(install::kMaxEntries);
    std::int64_t total = 0;
    for (unsigned i = 0; i < install::kMaxEntries; ++i) {
        entries[i] = install::EntryText(i);
        total += static_cast<std::int64_t>(install::EntrySize(entries[i]));
    }
    g_bytesTotal = total;
    g_bytesDone = 0;
    // Started without the checks (as the tests do), the record begins here.
    if (JournalKey(g_journal.Target()) != JournalKey(in.gameDir)) g_journal.Begin(in.gameDir);
    std::string targetOem = text::Fit(os::AnsiToOemText(in.gameDir.c_str()), text::kMaxPath - 1);

    for (unsigned i = 0; i < install::kMaxEntries; ++i) {
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
        // What the package will replace is kept aside before anything of it is written.
        if (!g_journal.PreparePackage(entry.package.c_str())) {
            in.cancelConfirmed = true;
            break;
        }
        if (!ExtractPackage(entry.package.c_str(), targetOem.c_str())) {
            in.cancelConfirmed = true;
            break;
        }
    }
    if (in.cancelConfirmed)
        AbandonInstall();
    else
        Succeed();
    return 0;
}
