// The thread part of the OS seam: the install worker runs on its own thread at its own priority.
#pragma once

#include "platform/Os.h"

namespace os {

constexpr int kThreadPriorityLowest = -2;
constexpr int kThreadPriorityTimeCritical = 15;

using ThreadEntry = unsigned (*)(void* argument);

// Starts entry(argument) on a new thread with default security and stack size, running at once.
// The thread's handle, 0 when it could not be started.
Handle StartThread(ThreadEntry entry, void* argument);
// The calling thread (a pseudo handle, valid only on that thread).
Handle CurrentThread();
bool SetThreadPriority(Handle thread, int priority);
// Waits up to ms for the thread to end; true once it has.
bool WaitThread(Handle thread, std::uint32_t ms);

} // namespace os
