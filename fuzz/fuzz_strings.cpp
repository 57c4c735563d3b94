// libFuzzer target: strings.txt loading (ANSI, or UTF-16LE after a byte order mark) over arbitrary
// bytes, then lookups of keys that occur in the input and of the keys the installer always reads.
#include "shell/CStringTable.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader reads a file by name, as the installer does.
    static std::string path = "/tmp/fuzz_strings." + std::to_string(getpid()) + ".txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    static CStringTable table;
    if (!table.Load(path.c_str())) return 0;
    static const char* const kKeys[] = {"APP_TITLE", "SOURCE1", "SOURCE128", "SPACE_NEED", "", "A"};
    for (const char* key : kKeys) {
        table.GetText(key);
        table.GetWideText(key);
        table.GetNumber(key);
    }
    // A key taken from the input itself, so that present keys are looked up too.
    std::string key;
    for (std::size_t i = 0; i < size && i < 40 && data[i] > ' ' && data[i] < 0x7F; ++i)
        key += static_cast<char>(data[i]);
    table.GetText(key.c_str());
    table.GetNumber(key.c_str());
    return table.PoolUsed() <= CStringTable::kPoolChars ? 0 : (__builtin_trap(), 0);
}
