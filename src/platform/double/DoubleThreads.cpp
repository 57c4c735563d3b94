#include "platform/double/DoubleThreads.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace os::testdouble {

namespace {

struct Threads {
    std::mutex lock;
    std::vector<std::thread> running;
    std::map<Handle, std::shared_ptr<std::atomic<bool>>> ended;
    std::map<Handle, int> priorities;
    Handle next = 1000;
    bool failNext = false;
};

Threads& All() {
    static Threads threads;
    return threads;
}

} // namespace

std::map<Handle, int> ThreadPriorities() {
    std::lock_guard<std::mutex> hold(All().lock);
    return All().priorities;
}

void JoinThreads() {
    std::vector<std::thread> running;
    {
        std::lock_guard<std::mutex> hold(All().lock);
        running.swap(All().running);
    }
    for (std::thread& t : running)
        t.join();
    std::lock_guard<std::mutex> hold(All().lock);
    All().priorities.clear();
    All().ended.clear();
}

void FailNextThreadStart() {
    std::lock_guard<std::mutex> hold(All().lock);
    All().failNext = true;
}

} // namespace os::testdouble

namespace os {

using namespace testdouble;

Handle StartThread(ThreadEntry entry, void* argument) {
    std::lock_guard<std::mutex> hold(All().lock);
    if (All().failNext) {
        All().failNext = false;
        return 0;
    }
    auto ended = std::make_shared<std::atomic<bool>>(false);
    All().running.emplace_back([entry, argument, ended] {
        entry(argument);
        *ended = true;
    });
    All().ended[++All().next] = ended;
    return All().next;
}

Handle CurrentThread() {
    return kCurrentThread;
}

bool WaitThread(Handle thread, std::uint32_t ms) {
    std::shared_ptr<std::atomic<bool>> ended;
    {
        std::lock_guard<std::mutex> hold(All().lock);
        auto it = All().ended.find(thread);
        if (it == All().ended.end()) return true; // joined already, or never started
        ended = it->second;
    }
    // Real time, a millisecond at a time: the double's clock does not pass for threads.
    for (std::uint32_t waited = 0; !*ended && waited < ms; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return *ended;
}

bool SetThreadPriority(Handle thread, int priority) {
    std::lock_guard<std::mutex> hold(All().lock);
    All().priorities[thread] = priority;
    return true;
}

} // namespace os
