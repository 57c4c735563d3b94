#include "engine/AddInstallMarker.h"

#include "platform/Os.h"
#include "shell/Files.h"
#include "shell/Text.h"

#include <algorithm>
#include <cstdio>

namespace addinst {

std::string PathIn(const std::string& gameDir) {
    std::string path = text::Fit(gameDir + "\\" + kFileName, text::kMaxPath);
    CollapseSeparators(path);
    return path;
}

bool IsComplete(const char* path) {
    FILE* f = os::OpenFile(path, "rb");
    if (!f) return false;
    Marker bytes{};
    std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return n == bytes.size() &&
           std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == kDone; });
}

Marker Read(const char* path) {
    Marker bytes{};
    FILE* f = os::OpenFile(path, "rb");
    if (!f) {
        if (FILE* created = os::OpenFile(path, "wb")) std::fclose(created);
        return bytes;
    }
    std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    (void)n; // a short file leaves the remaining slots at 0
    std::fclose(f);
    return bytes;
}

bool Write(const char* path, const Marker& marker) {
    FILE* f = os::OpenFile(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(marker.data(), 1, marker.size(), f) == marker.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace addinst
