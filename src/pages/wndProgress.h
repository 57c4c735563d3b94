// Progress page: the unpacking's progress bar with its percentage, the percentage in the window
// title, and Cancel, which asks before the installation is abandoned.
#pragma once

#include "engine/ProgressView.h"
#include "gui/guiDialog.h"

#include <atomic>
#include <string>

class wndProgress : public guiDialog, public IProgressView {
  public:
    wndProgress();
    // The engine's progress, 0 to 1; from the worker thread too.
    void SetProgress(float fraction) override;
    void ResetProgress();
    bool Update() override;

    // The window title for a progress: the narrow title with the percentage while the copy runs,
    // the narrow title alone once it is complete or cancelled.
    static std::string TitleText(double progress, bool cancelled);
    // The percentage as shown, "(%3.1f%%)".
    static std::string PercentText(double progress);

    std::atomic<double> progress{0.0};

  private:
    // Sets the window title on the window's own thread; from the worker it is left to the next
    // update pass, since a title set from another thread waits for the window's thread, which may
    // itself be waiting for the worker's drawing to end.
    void UpdateTitle();
};
