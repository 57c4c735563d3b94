// Where the engine reports its progress: the progress page implements it.
#pragma once

class IProgressView {
  public:
    virtual ~IProgressView() = default;
    // The fraction done, 0 to 1; called from the worker thread too.
    virtual void SetProgress(float fraction) = 0;
};

// Null until the progress page exists.
extern IProgressView* g_progressView;
