#include "gui/guiRedraw.h"

#include "gui/guiDialog.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace {
std::atomic<bool> g_dirty{true}; // the first pass draws
std::atomic<os::Window> g_window{nullptr};
std::atomic<std::thread::id> g_windowThread{};
// Read and written under the toolkit's lock.
bool g_hasDue = false;
std::uint32_t g_due = 0;
std::uint32_t g_lastFrame = 0;
std::atomic<std::uint32_t> g_frames{0};

bool Reached(std::uint32_t now, std::uint32_t tick) {
    return static_cast<std::int32_t>(now - tick) >= 0;
}
} // namespace

RedrawDecision DecideRedraw(bool dirty, bool hasDue, std::uint32_t due, std::uint32_t lastFrame,
                            std::uint32_t now) {
    if (dirty || (hasDue && Reached(now, due))) {
        std::uint32_t since = now - lastFrame;
        if (since >= kFrameGapMs) return {true, 0};
        return {false, kFrameGapMs - since};
    }
    std::uint32_t wait = kLongestWaitMs;
    if (hasDue && due - now < wait) wait = due - now;
    return {false, wait};
}

void SetRedrawWindow(os::Window window) {
    g_window = window;
    g_windowThread = std::this_thread::get_id();
}

void MarkDirty() {
    if (g_dirty.exchange(true)) return;
    if (std::this_thread::get_id() != g_windowThread.load()) os::WakeWindow(g_window.load());
}

void RequestPassAt(std::uint32_t tick) {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    if (!g_hasDue || static_cast<std::int32_t>(tick - g_due) < 0) g_due = tick;
    g_hasDue = true;
}

std::uint32_t RedrawIfDue() {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    RedrawDecision d = DecideRedraw(g_dirty, g_hasDue, g_due, g_lastFrame, os::TickCount());
    if (!d.draw) return d.waitMs;
    g_dirty = false;
    g_hasDue = false; // the pass asks again for what it still needs
    UpdateAll();
    DrawAll();
    return DecideRedraw(g_dirty, g_hasDue, g_due, g_lastFrame, os::TickCount()).waitMs;
}

void ResetRedraw() {
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    g_dirty = true;
    g_hasDue = false;
    g_due = 0;
    g_lastFrame = 0;
    g_frames = 0;
}

void NoteFrame() {
    g_lastFrame = os::TickCount();
    ++g_frames;
}

std::uint32_t FramesDrawn() {
    return g_frames;
}
