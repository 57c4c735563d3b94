// Progress page: the unpacking's progress bar with its percentage, the percentage in the window
// title, and Cancel, which asks before the installation is abandoned.
#pragma once

#include "engine/ProgressView.h"
#include "gui/guiDialog.h"

#include <atomic>
#include <mutex>
#include <string>

class guiProgress;

class wndProgress : public guiDialog, public IProgressView {
  public:
    wndProgress();
    bool Create() override;
    // The engine's progress, 0 to 1; from the worker thread too. The title follows at once on the
    // window's thread, when the window is inactive and when the copy is complete; otherwise at the
    // window's next update pass.
    void SetProgress(float fraction) override;
    void ResetProgress();
    bool Update() override;

    // The window title for a progress: the narrow title with the percentage while the copy runs,
    // the narrow title alone once it is complete or cancelled.
    static std::string TitleText(double progress, bool cancelled);
    // The percentage as shown, "(%3.1f%%)".
    static std::string PercentText(double progress);

    std::atomic<double> progress{0.0};
    guiProgress* bar = nullptr;

  private:
    // Sets the window title. The update pass does so only on the window's own thread: when the
    // worker runs a box's loop it holds the toolkit's lock, and a title set from there would wait for
    // the window's thread, which may be waiting for that lock.
    void UpdateTitle(bool updatePass);

    // The title last set, so that an update pass with nothing new costs no trip to the display
    // (under Wine each set is one, and the pass runs every few milliseconds).
    std::mutex titleLock;
    std::string shownTitle;
};
