#include "engine/ConfirmCancel.h"

#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/MessageBoxes.h"

std::mutex& QuestionLock() {
    static std::mutex lock;
    return lock;
}

std::mutex& CopyOutcomeLock() {
    static std::mutex lock;
    return lock;
}

bool RequestCancel() {
    CInstaller& in = g_installer;
    std::lock_guard<std::mutex> hold(CopyOutcomeLock());
    if (in.copyComplete) return false;
    in.cancelConfirmed = true;
    return true;
}

void ConfirmCancel() {
    CInstaller& in = g_installer;
    // Once the finishing step has begun, the copy is complete, or the worker is already abandoning,
    // there is nothing to cancel.
    if (in.finishing || in.copyComplete || in.cancelConfirmed) return;
    // The main thread never waits for the worker: when the worker is asking, its box has the input.
    std::unique_lock<std::mutex> asking(QuestionLock(), std::try_to_lock);
    if (!asking.owns_lock()) return;
    in.confirmShowing = true;
    std::string question = g_strings.GetText("ARE_YOU_SURE");
    if (AskYesNo("%s", question.c_str())) RequestCancel();
    in.confirmShowing = false;
}
