// The test double's window: the class, the window, its message queue (delivered to the class's
// procedure by the thread that made the window) and the fills around the wizard.
#include "platform/double/DoubleInternal.h"

#include <algorithm>
#include <mutex>
#include <thread>

namespace os {
using namespace testdouble;

namespace {
std::mutex g_queueLock;
std::thread::id g_windowThread;

// The next window message for the calling thread: only the thread that made the window has a queue.
bool TakeMessage(State::WindowMessage* out) {
    std::lock_guard<std::mutex> hold(g_queueLock);
    State& d = Double();
    if (d.windows.empty() || std::this_thread::get_id() != g_windowThread || d.messages.empty()) return false;
    *out = d.messages.front();
    d.messages.pop_front();
    return true;
}
} // namespace

void testdouble::PostWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> hold(g_queueLock);
    Double().messages.push_back({message, wParam, lParam});
}

bool PumpOneMessage() {
    State::WindowMessage m;
    if (TakeMessage(&m)) {
        // As DispatchMessage does with it, a WM_QUIT taken here is lost.
        if (m.message != kWmQuit && Double().windowProc)
            Double().windowProc(reinterpret_cast<Window>(1), m.message, m.wParam, m.lParam);
        return true;
    }
    if (Double().pendingMessages <= 0) return false;
    --Double().pendingMessages;
    ++Double().pumpedMessages;
    return true;
}

Pump PumpMessage() {
    State::WindowMessage m;
    if (!TakeMessage(&m)) {
        if (Double().pendingMessages <= 0) return Pump::None;
        --Double().pendingMessages;
        ++Double().pumpedMessages;
        return Pump::Dispatched;
    }
    if (m.message == kWmQuit) return Pump::Quit;
    if (Double().windowProc) Double().windowProc(reinterpret_cast<Window>(1), m.message, m.wParam, m.lParam);
    return Pump::Dispatched;
}

void WaitForInput(std::uint32_t ms) {
    // The double's input is scripted: a test queues it (or wakes the window) while the thread waits. A
    // message or a wake ends the wait after a millisecond, as it would end MsgWaitForMultipleObjects.
    State& d = Double();
    int wakesBefore = 0;
    {
        std::lock_guard<std::mutex> hold(g_queueLock);
        wakesBefore = d.wakes;
    }
    if (d.onInputWait && std::this_thread::get_id() == g_windowThread) d.onInputWait(d, ms);
    bool woken = false;
    {
        std::lock_guard<std::mutex> hold(g_queueLock);
        woken = d.wakes != wakesBefore || !d.messages.empty();
    }
    Sleep(woken && ms > 1 ? 1 : ms);
}

void WakeWindow(Window) {
    std::lock_guard<std::mutex> hold(g_queueLock);
    ++Double().wakes;
}

void WaitForMessage() {
    State& d = Double();
    ++d.waits;
    {
        std::lock_guard<std::mutex> hold(g_queueLock);
        if (!d.messages.empty()) return;
    }
    if (d.onWait) d.onWait(d);
    std::lock_guard<std::mutex> hold(g_queueLock);
    if (d.messages.empty()) d.messages.push_back({kWmQuit, 0, 0});
}

bool RegisterWindowClass(void*, const WindowClass& c) {
    State& d = Double();
    if (d.classFails) return false;
    d.classes.push_back({c.name, c.style, c.largeIcon, c.smallIcon});
    d.windowProc = c.proc;
    return true;
}

Window CreateMainWindow(void*, const char* className, const char* title, std::uint32_t exStyle,
                        std::uint32_t style, const Rect& place) {
    State& d = Double();
    if (d.windowFails) return nullptr;
    d.windows.push_back({className, title, exStyle, style, place, -1});
    g_windowThread = std::this_thread::get_id();
    return reinterpret_cast<Window>(1);
}

void SetWindowTitle(Window, const char* title) {
    if (!Double().windows.empty()) Double().windows.back().title = title;
}

void ShowAndUpdate(Window, int showCommand) {
    if (!Double().windows.empty()) Double().windows.back().showCommand = showCommand;
}

std::intptr_t DefaultWindowProc(Window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Double().defaultProcCalls.push_back({message, wParam, lParam});
    return message == kWmQueryEndSession ? 1 : 0;
}

void PostQuit(int exitCode) {
    testdouble::PostWindowMessage(kWmQuit, static_cast<std::uintptr_t>(exitCode), 0);
}

bool TopWindowExists(const char* className, const char* title) {
    State& d = Double();
    ++d.windowSearches;
    for (const auto& w : d.topWindows)
        if (w.first == className && w.second == title) return true;
    return false;
}

Handle ClientDC(Window) {
    ++Double().openDCs;
    return 2;
}

void FillSolid(Handle, std::uint8_t red, std::uint8_t green, std::uint8_t blue, const Rect* rects,
               int count) {
    State& d = Double();
    for (int i = 0; i < count; ++i) {
        const Rect& r = rects[i];
        d.fills.push_back({red, green, blue, r});
        for (int y = std::max(0, r.top); y < std::min(d.screenHeight, r.bottom); ++y)
            for (int x = std::max(0, r.left); x < std::min(d.screenWidth, r.right); ++x) {
                std::uint8_t* p = &d.screen[(static_cast<std::size_t>(y) * d.screenWidth + x) * 3];
                p[0] = blue;
                p[1] = green;
                p[2] = red;
            }
    }
}

bool ComInitialize() {
    ++Double().comInits;
    return true;
}

void ComUninitialize() {
    ++Double().comUninits;
}

std::string WindowsDir() {
    return Double().windowsDir;
}

} // namespace os
