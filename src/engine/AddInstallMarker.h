// addinstf.bin: one byte per additional-program slot, 0x01 once the slot has been dealt with.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace addinst {
constexpr int kSlots = 16;
constexpr std::uint8_t kDone = 0x01;
using Marker = std::array<std::uint8_t, kSlots>;
constexpr const char* kFileName = "addinstf.bin";

// gameDir, "\" and the file name, doubled separators collapsed.
std::string PathIn(const std::string& gameDir);
// True when the first 16 bytes of the file can be read and every one of them is 0x01.
bool IsComplete(const char* path);
// The marker as far as the file holds it (missing bytes are 0). A file that cannot be opened for
// reading is created empty; the result is then all zeros.
Marker Read(const char* path);
// Writes all 16 bytes, replacing the file; false when it cannot be opened for writing.
bool Write(const char* path, const Marker& marker);
} // namespace addinst
