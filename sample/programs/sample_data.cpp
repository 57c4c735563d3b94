// Writes the sample game's generated data files (a few MiB of deterministic bytes), so that no
// binary data needs to live in the repository.
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_data GAME_FOLDER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path game = argv[1];
    std::error_code ec;
    fs::create_directories(game / "data" / "textures", ec);
    fs::create_directories(game / "data" / "sounds", ec);
    struct File {
        const char* name;
        std::size_t size;
    } files[] = {{"data/textures/terrain.tex", 1536 * 1024},
                 {"data/textures/units.tex", 900 * 1024},
                 {"data/sounds/ambience.snd", 700 * 1024},
                 {"data/sounds/clicks.snd", 48 * 1024},
                 {"data/world.idx", 4096}};
    std::mt19937 rng(1987);
    for (const File& f : files) {
        std::vector<unsigned char> bytes(f.size);
        for (auto& b : bytes)
            b = static_cast<unsigned char>(rng());
        FILE* out = std::fopen((game / f.name).string().c_str(), "wb");
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) return 1;
        std::fclose(out);
    }
    return 0;
}
