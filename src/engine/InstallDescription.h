// The install description: the package entries "SOURCE%u" of the string table and the engine's
// byte counters.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace install {

constexpr unsigned kMaxEntries = 128;
constexpr std::size_t kEntryChars = 255;

struct PackageEntry {
    std::string marker;  // the file that identifies the disc holding the package
    std::string package; // the archive, relative to the source folder
};

// The text of "SOURCE%u" for an index, cut to 255 characters.
std::string EntryText(unsigned index);
// Installing rule: marker up to the first ':', package up to the next blank; false when the entry
// does not split (empty, no ':', or no blank after the package).
bool SplitEntry(const std::string& value, PackageEntry* entry);
// Total rule: a non-empty value holding a blank adds the number read with " %u" from the first blank on.
std::uint64_t EntrySize(const std::string& value);
// Sum of the sizes of all 128 entries.
std::uint64_t TotalSize();

} // namespace install

// Counters of the extraction, written by the worker and the extraction callback. 64-bit, so a game
// of several GiB shows the right progress.
extern std::atomic<std::int64_t> g_bytesTotal;
extern std::atomic<std::int64_t> g_bytesDone;
extern std::atomic<float> g_progressFraction;

// bytesDone / bytesTotal, 0 when the total is 0 (no division by zero, no NaN).
float ProgressFraction(std::int64_t done, std::int64_t total);
