#include "pages/wndProgress.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/MessageBoxes.h"
#include "shell/Text.h"

#include <thread>

namespace {

// The installer object is built before the entry point, on the thread that later owns the window.
const std::thread::id g_windowThread = std::this_thread::get_id();

} // namespace

wndProgress::wndProgress() = default;

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

void wndProgress::UpdateTitle() {
    if (std::this_thread::get_id() != g_windowThread) return;
    std::string title = TitleText(progress, g_installer.cancelConfirmed);
    os::SetWindowTitleWide(g_installer.hwnd, os::AnsiToWide(title.c_str()));
}

void wndProgress::SetProgress(float fraction) {
    progress = fraction;
    UpdateTitle();
}

void wndProgress::ResetProgress() {
    progress = 0.0;
    UpdateTitle();
}

bool wndProgress::Update() {
    double p = progress;
    if (p > 1.0) progress.compare_exchange_strong(p, 1.0);
    bool r = guiDialog::Update();
    UpdateTitle();
    return r;
}
