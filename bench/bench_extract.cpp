// Extraction throughput: ExtractPackage through the vendor's library and through our stand-in, the
// vendor's "unrar x" and a plain copy of the same bytes, side by side on one 256 MiB stored archive
// of mixed file sizes. One "name: value" line per figure; the last is standin_vs_copy.
#include "Rar4Writer.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "platform/double/Double.h"
#include "shell/CInstaller.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& run, int repeat) {
    double best = 1e30;
    for (int i = 0; i < repeat; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        run();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s < best) best = s;
    }
    return best;
}

void Fresh(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
}

} // namespace

int main(int argc, char** argv) {
    fs::path root = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "bv-bench-extract";
    const char* vendor = BV_VENDOR_SO;
    const char* standin = BV_STANDIN_SO;
    Fresh(root);
    fs::create_directories(root / "c" / "Temp");

    // Mixed sizes: many small files, some medium, a few large ones; 256 MiB in all.
    std::mt19937 rng(7);
    std::vector<std::pair<std::string, std::size_t>> files;
    std::size_t total = 0, target = 256u << 20;
    const std::size_t sizes[] = {4 << 10, 60 << 10, 700 << 10, 9 << 20, 40 << 20};
    for (int i = 0; total < target; ++i) {
        std::size_t size = std::min(sizes[i % 5] + rng() % 4096, target - total);
        files.push_back({"data\\f" + std::to_string(i) + ".bin", size});
        total += size;
    }
    fs::create_directories(root / "src" / "data");
    std::vector<char> block(40 << 20);
    for (auto& b : block)
        b = static_cast<char>(rng());
    Rar4Writer w;
    if (!w.Open((root / "bench.rar").string())) return 1;
    w.AddFolder("data", 0x21);
    for (auto& [name, size] : files) {
        fs::path p = root / "src" / "data" / name.substr(5);
        std::ofstream(p, std::ios::binary).write(block.data(), static_cast<std::streamsize>(size));
        w.AddFile(name, p.string(), 0x21);
    }
    if (!w.Close()) return 1;
    std::string archive = (root / "bench.rar").string();
    double mib = static_cast<double>(total) / (1 << 20);

    auto& d = os::testdouble::Double();
    d.drives['C'] = (root / "c").string();
    d.tempPath = "C:\\Temp\\";
    g_installer.gameDir = "C:\\Games";
    auto extractWith = [&](const char* library) {
        fs::path link = root / "c" / "Temp" / "unrar.dll";
        fs::remove(link);
        fs::create_symlink(library, link);
        UnbindExtractor();
        BindExtractor();
        if (!ExtractorBound()) std::exit(1);
        return [&, out = root / "out"] {
            Fresh(out);
            g_installer.installedFiles.clear();
            g_bytesDone = 0;
            g_bytesTotal = static_cast<std::int64_t>(total);
            if (!ExtractPackage(archive.c_str(), out.string().c_str()) ||
                g_bytesDone != static_cast<std::int64_t>(total))
                std::exit(1);
        };
    };
    const int repeat = 5;
    double tVendor = Seconds(extractWith(vendor), repeat);
    double tStandin = Seconds(extractWith(standin), repeat);
    double tUnrar = Seconds(
        [&] {
            Fresh(root / "out");
            std::string cmd =
                "unrar x -idq -o+ '" + archive + "' '" + (root / "out").string() + "/' >/dev/null";
            if (std::system(cmd.c_str()) != 0) std::exit(1);
        },
        repeat);
    double tCopy = Seconds(
        [&] {
            Fresh(root / "out" / "data");
            std::vector<char> buffer(1 << 20);
            for (auto& [name, size] : files) {
                std::string leaf = name.substr(5);
                FILE* in = std::fopen((root / "src" / "data" / leaf).c_str(), "rb");
                FILE* out = std::fopen((root / "out" / "data" / leaf).c_str(), "wb");
                std::size_t n;
                while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
                    std::fwrite(buffer.data(), 1, n, out);
                std::fclose(in);
                std::fclose(out);
            }
        },
        repeat);
    auto line = [&](const char* name, double t) {
        std::printf("%s_mib_per_s: %.1f\n%s_vs_copy: %.3f\n", name, mib / t, name, tCopy / t);
    };
    std::printf("archive_mib: %.1f\nfiles: %zu\n", mib, files.size());
    line("extract_vendor", tVendor);
    line("unrar_x", tUnrar);
    std::printf("copy_mib_per_s: %.1f\n", mib / tCopy);
    std::printf("standin_vs_unrar_x: %.3f\n", tUnrar / tStandin);
    line("standin", tStandin);
    fs::remove_all(root);
    return 0;
}
