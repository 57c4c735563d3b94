// Waiting on another thread in a test without the chance of hanging it: the condition is polled until
// it holds or the real-time limit passes, and the caller fails the test on false.
#pragma once

#include <chrono>
#include <thread>

template <class Condition>
bool WaitFor(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}
