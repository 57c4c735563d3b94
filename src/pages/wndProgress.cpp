#include "pages/wndProgress.h"

#include "engine/ConfirmCancel.h"
#include "gui/guiProgress.h"
#include "gui/guiRedraw.h"
#include "pages/PageBuild.h"
#include "platform/Os.h"
#include "shell/CStringTable.h"
#include "shell/CInstaller.h"
#include "shell/MessageBoxes.h"
#include "shell/Text.h"

#include <thread>

namespace {

// The installer object is built before the entry point, on the thread that later owns the window.
const std::thread::id g_windowThread = std::this_thread::get_id();

int OnCancel(guiWidget*) {
    ConfirmCancel();
    return 0;
}

int NumberOr(const char* key, int fallback) {
    return *g_strings.GetText(key) ? g_strings.GetNumber(key) : fallback;
}

} // namespace

wndProgress::wndProgress() = default;

bool wndProgress::Create() {
    if (!BeginCreate(*this)) return false;
    bool ok = AddPicture("back_progress.tga");
    bar = new guiProgress;
    bar->rect = {52, 299, 441, 20};
    bar->textX = NumberOr("PROGRESS_PERCENT_X", 308);
    bar->textY = NumberOr("PROGRESS_PERCENT_Y", 282);
    bar->Create();
    AddChild(bar);
    guiButton* cancel = AddSelectButton(*this, "text_select.tga", {0, 347, 550, 20}, OnCancel);
    AddLabel(*this, "text_progress.tga", {0, 351, 550, 80});
    guiButton* hover = AddSelectButton(*this, "text_progress_cancel_over.tga", {0, 347, 550, 20}, nullptr);
    AddRowTracker(*this, {0, 347, 550, 20}, {cancel});
    AddRowTracker(*this, {0, 347, 550, 20}, {hover});
    SetKeyboard(nullptr, cancel); // no affirmative row: Enter acts only on Cancel itself
    return ok;
}

std::string wndProgress::PercentText(double progress) {
    double p = progress * 98.9 + 1.1;
    if (p > 100) p = 100;
    return text::Format(32, "(%3.1f%%)", p);
}

std::string wndProgress::TitleText(double progress, bool cancelled) {
    if (progress < 1.0 && !cancelled)
        return text::Format(text::kMaxPath, "%s - %s", g_narrowTitle.c_str(), PercentText(progress).c_str());
    return g_narrowTitle;
}

void wndProgress::UpdateTitle(bool updatePass) {
    if (updatePass && std::this_thread::get_id() != g_windowThread) return;
    std::string title = TitleText(progress, g_installer.cancelConfirmed);
    {
        // Not held across the set: from the worker it waits for the window's thread, which may be
        // here itself.
        std::lock_guard<std::mutex> hold(titleLock);
        if (title == shownTitle) return;
        shownTitle = title;
    }
    os::SetWindowTitleWide(g_installer.hwnd, os::AnsiToWide(title.c_str()));
}

void wndProgress::SetProgress(float fraction) {
    progress = fraction;
    MarkDirty();
    // While the window is active its own thread sets the title on every update pass. Set from the
    // worker, the title waits for that thread once a block: under Wine that was a third of the copy's
    // time. The complete (plain) title is set here all the same: the quality page may replace this
    // page before another pass runs.
    if (g_installer.windowActive && fraction < 1.0f && std::this_thread::get_id() != g_windowThread) return;
    UpdateTitle(false);
}

void wndProgress::ResetProgress() {
    progress = 0.0;
    MarkDirty();
    {
        // Another page or language may have set the title since.
        std::lock_guard<std::mutex> hold(titleLock);
        shownTitle.clear();
    }
    UpdateTitle(false);
}

bool wndProgress::Update() {
    double p = progress;
    if (p > 1.0) progress.compare_exchange_strong(p, 1.0);
    if (bar) bar->SetProgress(static_cast<float>(progress));
    bool r = guiDialog::Update();
    UpdateTitle(true);
    return r;
}
