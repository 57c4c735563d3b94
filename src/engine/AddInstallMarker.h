// addinstf.bin: one byte per additional-program slot, 0x01 once the slot has been dealt with.
#pragma once

#include <array>
#include <cstdint>

namespace addinst {
constexpr int kSlots = 16;
using Marker = std::array<std::uint8_t, kSlots>;
constexpr const char* kFileName = "addinstf.bin";

// True when the first 16 bytes of the file can be read and every one of them is 0x01.
bool IsComplete(const char* path);
} // namespace addinst
