// Control surface of the test double's threads: tests wait for the threads the core started and read
// the priorities it asked for.
#pragma once

#include "platform/OsThreads.h"

#include <map>

namespace os::testdouble {

// The priority last set for each thread handle; the calling thread is kCurrentThread.
constexpr Handle kCurrentThread = static_cast<Handle>(-2);
std::map<Handle, int> ThreadPriorities();
// Waits until every thread started so far has returned.
void JoinThreads();
// Makes the next StartThread fail.
void FailNextThreadStart();

} // namespace os::testdouble
