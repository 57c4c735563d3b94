#include "engine/AddInstallMarker.h"

#include "platform/Os.h"

#include <algorithm>
#include <cstdio>

namespace addinst {

bool IsComplete(const char* path) {
    FILE* f = os::OpenFile(path, "rb");
    if (!f) return false;
    Marker bytes{};
    std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return n == bytes.size() &&
           std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0x01; });
}

} // namespace addinst
