#include "Progress.h"

#include <cstdio>
#include <unistd.h>

namespace mkdisc {

Progress::Progress(std::uint64_t total)
    : enabled(isatty(2) == 1), total(total), start(std::chrono::steady_clock::now()), last(start) {}

Progress::~Progress() {
    Finish();
}

std::string Progress::Line(const std::string& stage, std::uint64_t done, std::uint64_t total,
                           double seconds) {
    auto mib = [](std::uint64_t b) { return std::to_string(b >> 20); };
    unsigned percent = total ? static_cast<unsigned>(done * 100 / total) : 100;
    std::string line =
        stage + ": " + mib(done) + " of " + mib(total) + " MiB (" + std::to_string(percent) + "%)";
    if (seconds > 0.5)
        line += ", " + std::to_string(static_cast<std::uint64_t>(done / seconds) >> 20) + " MiB/s";
    return line;
}

void Progress::Stage(const std::string& what) {
    stage = what;
    Show(true);
}

void Progress::Add(std::uint64_t bytes) {
    done += bytes;
    Show(false);
}

void Progress::Show(bool force) {
    if (!enabled) return;
    auto now = std::chrono::steady_clock::now();
    if (!force && now - last < std::chrono::milliseconds(200)) return;
    last = now;
    double seconds = std::chrono::duration<double>(now - start).count();
    std::fprintf(stderr, "\r%-70s", Line(stage, done, total, seconds).c_str());
    std::fflush(stderr);
    shown = true;
}

void Progress::Finish() {
    if (!shown) return;
    std::fprintf(stderr, "\r%-70s\r", "");
    std::fflush(stderr);
    shown = false;
}

} // namespace mkdisc
