#include "platform/double/DoubleThreads.h"

#include <mutex>
#include <thread>
#include <vector>

namespace os::testdouble {

namespace {

struct Threads {
    std::mutex lock;
    std::vector<std::thread> running;
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
    All().running.emplace_back([entry, argument] { entry(argument); });
    return ++All().next;
}

Handle CurrentThread() {
    return kCurrentThread;
}

bool SetThreadPriority(Handle thread, int priority) {
    std::lock_guard<std::mutex> hold(All().lock);
    All().priorities[thread] = priority;
    return true;
}

} // namespace os
