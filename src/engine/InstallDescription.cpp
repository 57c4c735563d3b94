#include "engine/InstallDescription.h"

#include "shell/CStringTable.h"
#include "shell/Text.h"

#include <cstdio>
#include <cstdlib>

std::atomic<std::int64_t> g_bytesTotal{0};
std::atomic<std::int64_t> g_bytesDone{0};
std::atomic<float> g_progressFraction{0.0f};

namespace install {

std::string EntryText(unsigned index) {
    char key[16];
    std::snprintf(key, sizeof key, "SOURCE%u", index);
    return text::Fit(g_strings.GetText(key), kEntryChars + 1);
}

bool SplitEntry(const std::string& value, PackageEntry* entry) {
    if (value.empty()) return false;
    std::size_t colon = value.find(':');
    if (colon == std::string::npos) return false;
    std::size_t blank = value.find(' ', colon + 1);
    if (blank == std::string::npos) return false;
    entry->marker = value.substr(0, colon);
    entry->package = value.substr(colon + 1, blank - colon - 1);
    return true;
}

std::uint64_t EntrySize(const std::string& value) {
    std::size_t blank = value.find(' ');
    if (value.empty() || blank == std::string::npos) return 0;
    // " %u": blanks, then the digits of an unsigned decimal number. Sizes up to 64 bits are read whole.
    const char* p = value.c_str() + blank;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (*p < '0' || *p > '9') return 0;
    return std::strtoull(p, nullptr, 10);
}

std::uint64_t TotalSize() {
    std::uint64_t total = 0;
    for (unsigned i = 0; i < kMaxEntries; ++i)
        total += EntrySize(EntryText(i));
    return total;
}

} // namespace install

float ProgressFraction(std::int64_t done, std::int64_t total) {
    if (total <= 0) return 0.0f;
    return static_cast<float>(static_cast<double>(done) / static_cast<double>(total));
}
