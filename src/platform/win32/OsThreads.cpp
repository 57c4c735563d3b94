#include "platform/OsThreads.h"
#include "platform/win32/Win32.h"

namespace os {

namespace {

struct Start {
    ThreadEntry entry;
    void* argument;
};

DWORD WINAPI Trampoline(LPVOID p) {
    Start start = *static_cast<Start*>(p);
    delete static_cast<Start*>(p);
    return start.entry(start.argument);
}

} // namespace

Handle StartThread(ThreadEntry entry, void* argument) {
    auto* start = new Start{entry, argument};
    HANDLE thread = CreateThread(nullptr, 0, Trampoline, start, 0, nullptr);
    if (!thread) delete start;
    return reinterpret_cast<Handle>(thread);
}

Handle CurrentThread() {
    return reinterpret_cast<Handle>(GetCurrentThread());
}

bool SetThreadPriority(Handle thread, int priority) {
    return ::SetThreadPriority(reinterpret_cast<HANDLE>(thread), priority) != 0;
}

bool WaitThread(Handle thread, std::uint32_t ms) {
    return WaitForSingleObject(reinterpret_cast<HANDLE>(thread), ms) == WAIT_OBJECT_0;
}

} // namespace os
