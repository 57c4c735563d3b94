// The keyed texts of the current language's strings.txt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

class CStringTable {
  public:
    static constexpr std::size_t kPoolChars = 16384;
    static constexpr std::size_t kPieceChars = 2047; // longer lines are read in pieces of this size
    static constexpr std::size_t kNarrowBytes = 256;

    CStringTable();

    // False when the file cannot be opened; the table is then unchanged.
    bool Load(const char* path);
    // The value in the ANSI code page (valid until the calling thread's next narrow lookup); "" for a
    // missing key. The worker and the main thread may look up at the same time.
    const char* GetText(const char* key);
    // The value in the pool (valid until the next load); the empty string for a missing key.
    const char16_t* GetWideText(const char* key) const;
    // True when the key occurs in the table (its value may be empty).
    bool Has(const char* key) const { return Find(key) != nullptr; }
    // The value read as a decimal integer; 0 for a missing key.
    int GetNumber(const char* key);

    std::size_t PoolUsed() const { return poolUsed; }

  private:
    struct KeyLess {
        bool operator()(const char16_t* a, const char16_t* b) const;
    };

    void Reset();
    const char16_t* Store(const char16_t* s, std::size_t length);
    void AddLine(const char16_t* line, std::size_t length);
    const char16_t* Find(const char* key) const;

    std::map<const char16_t*, std::int32_t, KeyLess> index;
    std::vector<const char16_t*> values;
    char16_t pool[kPoolChars];
    std::size_t poolUsed;
};

extern CStringTable g_strings;
