#include "engine/Unattended.h"

#include "engine/InstallJournal.h"
#include "engine/PreInstallChecks.h"
#include "engine/Recovery.h"
#include "gui/guiCheckBox.h"
#include "platform/Os.h"
#include "platform/OsThreads.h"
#include "shell/CInstaller.h"
#include "shell/MessageBoxes.h"
#include "shell/SetupLog.h"
#include "shell/Switches.h"
#include "shell/Text.h"

#include <mutex>

namespace unattended {

namespace {
std::string g_reason;
bool g_failed = false;
int g_result = -1;

// The progress page of /SILENT: redrawn at most 30 times a second while the copy runs.
constexpr std::uint32_t kFrameMs = 33;

void WaitForCopy(CInstaller& in) {
    while (in.copyRunning) {
        if (os::PumpOneMessage()) continue;
        if (g_switches.quiet == Quiet::Silent) {
            std::lock_guard<std::recursive_mutex> hold(GuiLock());
            UpdateAll();
            DrawAll();
        }
        os::WaitThread(in.workerThread, kFrameMs);
    }
}

// An installation left open earlier is continued when it went to the folder asked for now, and undone
// otherwise (its folder is not the one the caller wants).
bool TakeUpPendingInstallation(CInstaller& in) {
    journal::Contents contents;
    std::string problem;
    bool same = FindPendingJournal(&contents, &problem) == PendingJournal::Usable &&
                JournalKey(contents.target) == JournalKey(in.gameDir);
    setuplog::Line("step", same ? "an earlier installation into this folder is continued"
                                : "an earlier installation left open is undone");
    SetQuietAnswer(same);
    bool continued = OfferRecovery();
    SetQuietAnswer(true);
    return continued;
}

} // namespace

bool WaitUpTo(int seconds, bool (*found)()) {
    // Counted in the pauses between looks: a drive that is slow to answer lengthens the wait a little,
    // never shortens it.
    for (int waited = 0;; ++waited) {
        if (found()) return true;
        if (waited >= seconds) return false;
        os::Sleep(1000);
    }
}

void Fail(const std::string& reason) {
    if (g_failed) return; // the first reason is the one that matters
    g_failed = true;
    g_reason = reason.empty() ? LastMessage() : reason;
    setuplog::Line("error", g_reason);
    os::DebugText(("setup failed: " + g_reason + "\n").c_str());
}

bool Failed() {
    return g_failed;
}

const std::string& Reason() {
    return g_reason;
}

int Result(int code) {
    std::string line = text::Format(64, "exit code %d", code);
    setuplog::Line("result", line);
    os::DebugText(("setup: " + line + "\n").c_str());
    g_result = code;
    return code;
}

int CompletedCode(bool restartDue) {
    return restartDue ? kExitRestartNeeded : kExitDone;
}

int Install(void* instance) {
    CInstaller& in = g_installer;
    g_failed = false;
    g_reason.clear();
    g_result = -1;
    setuplog::Line("step", "installation without questions (" + g_switches.quietSwitch + ")");
    if (!in.Init(instance)) {
        Fail("");
        return Result(kExitFailed);
    }
    if (g_switches.hasDir) in.gameDir = g_switches.dir;
    in.createIcons = !g_switches.noIcons;
    setuplog::Line("step", "game folder " + in.gameDir);

    bool continued = HasPendingInstallation() && TakeUpPendingInstallation(in);
    if (!continued) {
        PreInstallChecks();
        if (!in.copyRunning) {
            Fail("");
            return Result(kExitFailed);
        }
    }
    if (g_switches.quiet == Quiet::Silent) os::ShowAndUpdate(in.hwnd, os::kSwShow);
    WaitForCopy(in);
    if (!in.copyComplete) {
        if (Failed()) return Result(kExitFailed);
        setuplog::Line("step", "the installation was cancelled and undone");
        return Result(kExitCancelled);
    }
    setuplog::Line("step", "every package copied; the first quality preset and the finishing steps");
    // The description's first preset, as a script cannot choose.
    if (in.wndQuality.lowBox) in.wndQuality.lowBox->checked = 1;
    if (in.wndQuality.highBox) in.wndQuality.highBox->checked = 0;
    in.wndQuality.Apply(); // ends the process with the completed installation's code
    if (g_result >= 0) return g_result;
    Fail("the finishing steps did not complete");
    return Result(kExitFailed);
}

} // namespace unattended
