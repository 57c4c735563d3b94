#include "engine/FinishInstall.h"

#include "engine/AddInstallMarker.h"
#include "engine/AdditionalPrograms.h"
#include "engine/InstallJournal.h"
#include "engine/InstallLog.h"
#include "engine/Registration.h"
#include "engine/Shortcuts.h"
#include "engine/Unattended.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerTexts.h"
#include "shell/Registry.h"
#include "shell/SetupLog.h"
#include "shell/Switches.h"
#include "shell/SystemInfo.h"
#include "shell/Text.h"
#include "sound/CSoundSlot.h"

#include <cstring>

std::vector<std::string> LogEntries(const std::string& logPath, const std::vector<std::string>& installed,
                                    bool additionalInstall) {
    std::vector<std::string> earlier;
    if (additionalInstall && installlog::Read(logPath, &earlier) && !earlier.empty())
        return installlog::Merge(earlier, installed);
    return installed;
}

bool RestartWindows() {
    return os::RebootSystem(IsWindowsNT());
}

namespace {

// Copies a file of the disc into the game folder, overwriting, with normal attributes.
bool CopyIntoGame(const char* from, const std::string& to) {
    os::SetFileAttrs(to.c_str(), os::kAttrNormal); // a read-only earlier copy is replaced all the same
    bool copied = os::FileCopy(from, to.c_str(), false);
    os::SetFileAttrs(to.c_str(), os::kAttrNormal);
    return copied;
}

// The progress bar full while the steps run.
void ShowFinishing() {
    // Outside the toolkit's lock: from the worker, the title waits for the window's thread, which may
    // be waiting for that lock.
    g_installer.wndProgress.SetProgress(1.0f);
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    DrawAll();
    UpdateAll();
}

// After an abandoned copy: the welcome page again, taking input.
void ReturnToWelcome() {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    g_pageInputBlocked = false;
    ShowPage(&g_installer.wndInstall);
    DrawAll();
    for (CSoundSlot& slot : g_soundSlots)
        slot.Release();
}

} // namespace

void RecordMainExecutable(std::vector<std::string>& entries) {
    std::string name = g_strings.GetText("MAIN_EXECUTABLE");
    // Only a plain name inside the game folder: anything else would make the uninstaller refuse the log.
    if (name.empty() || name.find(':') != std::string::npos || name.find("..") != std::string::npos ||
        name[0] == '\\' || name[0] == '/')
        return;
    for (const std::string& e : entries)
        if (e == name) return;
    entries.insert(entries.begin(), name);
}

namespace {

// The files the finishing steps put into the game folder, each in the journal before it is written:
// ended half-way, the finishing is undone with the copy, or done again when the copy is continued.
void JournalFinishingFiles(const std::string& gameDir) {
    for (const char* name : {"uninstall.exe", "strings.txt", installlog::kFileName, addinst::kFileName}) {
        std::string path = text::Fit(gameDir + "\\" + name, text::kMaxPath);
        CollapseSeparators(path);
        g_journal.PrepareFile(path);
    }
    g_journal.Write();
}

void TellNotWritten(const char* what, const std::string& name) {
    ShowInfo("%s %s", PlayerText(what).c_str(), name.c_str());
}

} // namespace

void CInstaller::FinishInstall() {
    // After a restart the game folder is the one the installation recorded; after a copy it is the one
    // the files went to, whatever an earlier installation left in the registry.
    if (additionalInstall) {
        if (const char* earlier = ReadInstallDir()) gameDir = earlier;
    }
    finishing = true;
    ShowFinishing();
    if (!copyComplete) {
        ReturnToWelcome();
        return;
    }
    // One finishing: no page takes input until the process ends.
    g_pageInputBlocked = true;
    // After a copy (begun here or continued from a journal) the journal is this folder's.
    bool journaled = !additionalInstall && JournalKey(g_journal.Target()) == JournalKey(gameDir);
    if (journaled) JournalFinishingFiles(gameDir);
    // Read only now: an abandoned installation leaves no marker file behind.
    std::string markerPath = addinst::PathIn(gameDir);
    addinst::Marker marker = addinst::Read(markerPath.c_str());

    if (createIcons) CreateDesktopShortcut();
    std::u16string group = MakeProgramGroup();

    std::string uninstaller = text::Fit(gameDir + "\\uninstall.exe", text::kMaxPath);
    if (!CopyIntoGame("uninstall.exe", uninstaller)) TellNotWritten("CANNOT_WRITE_FILE", uninstaller);
    installedFiles.push_back(uninstaller);
    CopyIntoGame("Media\\strings.txt", text::Fit(gameDir + "\\strings.txt", text::kMaxPath));
    installedFiles.push_back("strings.txt");

    CreateGroupShortcuts(group);

    RecordMainExecutable(installedFiles);
    for (const char* name : {addinst::kFileName, "uninstall.exe", "Media\\strings.txt", "Media"})
        installedFiles.push_back(name);
    std::string logPath = installlog::PathIn(gameDir);
    if (!installlog::Write(logPath, LogEntries(logPath, installedFiles, additionalInstall)))
        TellNotWritten("CANNOT_WRITE_FILE", logPath);

    std::string key;
    if (!WriteRegistration(&key)) TellNotWritten("CANNOT_WRITE_KEY", key);
    // The game is an installed one now: the uninstaller removes it, and the old files go.
    if (journaled) g_journal.Commit();

    // After a restart the RunOnce entry that started this phase is spent; it is not armed again.
    if (!additionalInstall && SlotsDue(marker)) ArmAdditionalInstall();
    shutdownPending = false;
    RunAdditionalPrograms(marker, markerPath);
    // Still armed only for slots that a restart cut short.
    if (!shutdownPending || !SlotsDue(marker)) DisarmAdditionalInstall();

    // An additional program that restarted Windows leaves the restart due as well.
    bool restartDue = shutdownPending;
    if (std::strcmp(g_strings.GetText("FORCEREBOOT"), "1") == 0) {
        restartDue = true;
        if (Unattended() && g_switches.noRestart) {
            setuplog::Line("step", "Windows must be restarted to complete the installation (/NORESTART)");
        } else {
            ShowInfo("Windows will now restart to complete the installation.");
            shutdownPending = true;
            RestartWindows();
        }
    }

    os::MutexRelease(g_instanceMutex);
    os::HandleClose(g_instanceMutex);
    g_instanceMutex = 0;
    if (Unattended()) {
        // The caller reads the result; nobody is there for the maintenance page.
        setuplog::Line("step", "installed into " + gameDir);
        os::EndProcess(static_cast<std::uint32_t>(unattended::Result(unattended::CompletedCode(restartDue))));
        return;
    }
    os::Sleep(500);
    os::SetCurrentDir(sourceDir.c_str());
    if (!shutdownPending) {
        StartProcess(os::ModulePath().c_str(), "", false);
    }
    os::EndProcess(0);
}
