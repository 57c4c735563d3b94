// The data set of the extraction benchmarks, the same on Linux and under Wine: 256 MiB of mixed file
// sizes (many small files, some medium, a few large ones) in one folder, and the stored RAR 4 archive
// of them.
#pragma once

#include "Rar4Writer.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct Tree {
    std::vector<std::pair<std::string, std::size_t>> files; // leaf names under "data" and sizes
    std::size_t total = 0;
};

inline Tree MakeTree() {
    Tree t;
    std::mt19937 rng(7);
    const std::size_t target = 256u << 20;
    const std::size_t sizes[] = {4 << 10, 60 << 10, 700 << 10, 9 << 20, 40 << 20};
    for (int i = 0; t.total < target; ++i) {
        std::size_t size = std::min(sizes[i % 5] + rng() % 4096, target - t.total);
        std::string leaf = "f";
        leaf += std::to_string(i);
        leaf += ".bin";
        t.files.push_back({leaf, size});
        t.total += size;
    }
    return t;
}

// Writes the files into srcData (a folder that exists) and the archive of them; sep is the host's
// path separator. False when anything could not be written.
inline bool WriteTree(const Tree& t, const std::string& srcData, const std::string& archive, char sep) {
    std::mt19937 rng(7);
    std::vector<char> block(40 << 20);
    for (auto& b : block)
        b = static_cast<char>(rng());
    Rar4Writer w;
    if (!w.Open(archive)) return false;
    w.AddFolder("data", 0x21);
    for (auto& [leaf, size] : t.files) {
        std::string path = srcData + sep + leaf;
        std::ofstream(path, std::ios::binary).write(block.data(), static_cast<std::streamsize>(size));
        std::string member = "data\\";
        member += leaf;
        w.AddFile(member, path, 0x21);
    }
    return w.Close();
}

} // namespace bench
