// libFuzzer target: the WAV reader over arbitrary files. Whatever the chunk sizes say, the reader
// delivers exactly the data size it reports, the same bytes again after a rewind, and nothing past it.
#include "platform/double/Double.h"
#include "sound/CFileWAV.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader opens files through the platform seam: drive W: is a host folder of this process.
    static const std::string folder = [] {
        std::string f = "/tmp/fuzz_wav." + std::to_string(getpid());
        mkdir(f.c_str(), 0700);
        os::testdouble::Double().drives['W'] = f;
        return f;
    }();
    FILE* f = std::fopen((folder + "/a.wav").c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    CFileWAV wav;
    if (wav.Open("W:\\a.wav") != 0) return 0;
    if (wav.dataSize > size) __builtin_trap();
    // Read sizes taken from the input, so windows are crossed at every alignment.
    std::uint32_t step = size ? 1 + data[size - 1] * 97u : 1;
    std::vector<std::uint8_t> first, buffer(step + 16, 0xA5);
    for (;;) {
        std::uint32_t n = wav.Read(buffer.data(), step, false);
        if (n > step || buffer[step] != 0xA5) __builtin_trap(); // never more than asked
        if (n == 0) break;
        first.insert(first.end(), buffer.begin(), buffer.begin() + n);
    }
    if (first.size() != wav.dataSize || wav.position != wav.dataSize) __builtin_trap();
    wav.Rewind();
    std::vector<std::uint8_t> again(wav.dataSize + 1);
    std::uint32_t n = wav.Read(again.data(), wav.dataSize + 1, false);
    if (n != first.size() || (n > 0 && std::memcmp(again.data(), first.data(), n) != 0)) __builtin_trap();
    return 0;
}
