// When the window is drawn: only after something changed (input, a page switch, a box, the worker's
// progress) or when a widget asked for a pass by a time (the caret's blink), and no more than 30 times
// a second. In between the loops wait for a message or that time, and an idle window costs nothing.
#pragma once

#include "platform/Os.h"

#include <cstdint>

// The shortest time between two frames (at most 30 a second), and the longest wait of a loop with
// nothing due, so that what it watches besides (the game's window) is seen in time.
constexpr std::uint32_t kFrameGapMs = 34;
constexpr std::uint32_t kLongestWaitMs = 250;

struct RedrawDecision {
    bool draw;           // update and draw now
    std::uint32_t waitMs; // otherwise wait for a message up to this long
};
// dirty: something changed since the last pass; due (when hasDue): the tick a widget wants a pass at;
// lastFrame: the tick of the last frame. Ticks wrap as GetTickCount's do.
RedrawDecision DecideRedraw(bool dirty, bool hasDue, std::uint32_t due, std::uint32_t lastFrame,
                            std::uint32_t now);

// Binds the wake-up to the window and to the calling thread, its owner.
void SetRedrawWindow(os::Window window);
// Something shown changed: from any thread. From another thread than the window's the window's loop is
// woken (once until the next pass takes the change).
void MarkDirty();
// During an update pass: a widget wants the next pass at the tick.
void RequestPassAt(std::uint32_t tick);
// The drawing loops' step, under the toolkit's lock: an update and draw pass when one is due. Returns
// how long the loop may wait for a message now.
std::uint32_t RedrawIfDue();
// Back to a new program's state: something to draw, nothing due, no frame yet.
void ResetRedraw();
// Called by DrawAll: the frame's time, and the count of frames (for tests and traces).
void NoteFrame();
std::uint32_t FramesDrawn();
