// Progress of long work, on a terminal only: logs and pipes get none of it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace mkdisc {

class Progress {
  public:
    // Shown on standard error when it is a terminal.
    explicit Progress(std::uint64_t total);
    ~Progress();
    void Stage(const std::string& what); // "disc 2", "disc1.iso"
    void Add(std::uint64_t bytes);
    void Finish(); // clears the line

    // The line as shown: "disc 2: 150 of 300 MiB (50%), 75 MiB/s".
    static std::string Line(const std::string& stage, std::uint64_t done, std::uint64_t total,
                            double seconds);

  private:
    void Show(bool force);
    bool enabled;
    std::uint64_t total, done = 0;
    std::string stage;
    std::chrono::steady_clock::time_point start, last;
    bool shown = false;
};

} // namespace mkdisc
