// Extraction throughput: ExtractPackage through the vendor's library and through our stand-in, the
// vendor's "unrar x" and a plain copy of the same bytes, side by side on one 256 MiB stored archive
// of mixed file sizes; then the same under Wine, when the win64 build is there: our unrar.dll through
// ExtractPackage against xcopy of the same tree in the same prefix. One "name: value" line per
// figure; the last is standin_vs_copy.
//
//   bench_extract [--rounds N] [--only standin|copy|vendor|unrar] [--no-wine] [DIR]
//
// The methods take turns round by round, so that every one of them meets the machine in the same
// state; each figure is the best round. Before each timed run the previous output is deleted and the
// dirty pages are written out, untimed, so no run pays for another's writeback. Run it under the
// heavy-work lock (flock /tmp/bv-heavy.lock): it runs Wine.
#include "BenchTree.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "platform/double/Double.h"
#include "shell/CInstaller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Method {
    std::string name;
    std::function<void()> prepare; // untimed
    std::function<void()> run;
    std::vector<double> seconds;
    double Best() const { return *std::min_element(seconds.begin(), seconds.end()); }
    double Median() const {
        std::vector<double> s = seconds;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
};

void Fresh(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
}

// The plain copy: each file read and written in blocks of 1 MiB with plain system calls, as the
// stand-in reads and writes its blocks.
void CopyFile(const std::string& from, const std::string& to, std::vector<char>& buffer) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (in < 0 || out < 0) std::exit(1);
    ssize_t n;
    while ((n = ::read(in, buffer.data(), buffer.size())) > 0)
        if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n) std::exit(1);
    ::close(in);
    if (::close(out) != 0 || n < 0) std::exit(1);
}

// The Windows half: bench/wine_extract.sh runs bench_extract_win.exe of the win64 build under Wine.
void RunUnderWine(int rounds) {
    std::string script = std::string(BV_SOURCE_DIR) + "/bench/wine_extract.sh";
    std::string exe = std::string(BV_SOURCE_DIR) + "/build/win64/bin/bench_extract_win.exe";
    if (!fs::exists(exe)) {
        std::printf("win64: not built (cmake --build --preset win64 --target bench_extract_win)\n");
        return;
    }
    std::string cmd = "bash '" + script + "' '" + exe + "' " + std::to_string(rounds) + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return;
    char line[512];
    while (std::fgets(line, sizeof line, p))
        if (std::strncmp(line, "win64_", 6) == 0 || std::strstr(line, "error")) std::fputs(line, stdout);
    if (pclose(p) != 0) std::printf("win64: the Wine run failed\n");
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    std::string only;
    bool wine = true;
    fs::path root = fs::temp_directory_path() / "bv-bench-extract";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (a == "--no-wine")
            wine = false;
        else
            root = a;
    }
    const char* vendor = BV_VENDOR_SO;
    const char* standin = BV_STANDIN_SO;
    Fresh(root);
    fs::create_directories(root / "c" / "Temp");
    fs::create_directories(root / "src" / "data");
    bench::Tree tree = bench::MakeTree();
    std::string archive = (root / "bench.rar").string();
    if (!bench::WriteTree(tree, (root / "src" / "data").string(), archive, '/')) return 1;
    const std::size_t total = tree.total;
    double mib = static_cast<double>(total) / (1 << 20);

    auto& d = os::testdouble::Double();
    d.drives['C'] = (root / "c").string();
    d.tempPath = "C:\\Temp\\";
    g_installer.gameDir = "C:\\Games";
    const fs::path out = root / "out";
    auto untimed = [&] {
        fs::remove_all(out);
        ::sync();
    };
    auto extractWith = [&](const char* library) {
        return [&, library] {
            fs::path link = root / "c" / "Temp" / "unrar.dll";
            fs::remove(link);
            fs::create_symlink(library, link);
            UnbindExtractor();
            BindExtractor();
            if (!ExtractorBound()) std::exit(1);
            untimed();
            fs::create_directories(out);
            g_installer.installedFiles.clear();
            g_bytesDone = 0;
            g_bytesTotal = static_cast<std::int64_t>(total);
        };
    };
    auto extract = [&] {
        if (!ExtractPackage(archive.c_str(), out.string().c_str()) ||
            g_bytesDone != static_cast<std::int64_t>(total))
            std::exit(1);
    };
    std::vector<char> buffer(1 << 20);
    std::vector<Method> methods = {
        {"standin", extractWith(standin), extract, {}},
        {"copy",
         [&] {
             untimed();
             fs::create_directories(out);
         },
         [&] {
             // The folder is made as the extraction makes it; then every file.
             fs::create_directories(out / "data");
             for (auto& [leaf, size] : tree.files)
                 CopyFile((root / "src" / "data" / leaf).string(), (out / "data" / leaf).string(), buffer);
         },
         {}},
        {"vendor", extractWith(vendor), extract, {}},
        {"unrar",
         [&] {
             untimed();
             fs::create_directories(out);
         },
         [&] {
             std::string cmd = "unrar x -idq -o+ '" + archive + "' '" + out.string() + "/' >/dev/null";
             if (std::system(cmd.c_str()) != 0) std::exit(1);
         },
         {}}};
    if (!only.empty())
        methods.erase(
            std::remove_if(methods.begin(), methods.end(), [&](const Method& m) { return m.name != only; }),
            methods.end());
    for (int r = 0; r < rounds; ++r) {
        for (Method& m : methods) {
            m.prepare();
            auto t0 = std::chrono::steady_clock::now();
            m.run();
            m.seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
    }
    fs::remove_all(root);
    std::map<std::string, const Method*> by;
    for (const Method& m : methods)
        by[m.name] = &m;
    std::printf("archive_mib: %.1f\nfiles: %zu\nrounds: %d\n", mib, tree.files.size(), rounds);
    if (!only.empty()) {
        std::printf("%s_mib_per_s: %.1f (median %.1f)\n", only.c_str(), mib / methods[0].Best(),
                    mib / methods[0].Median());
        return 0;
    }
    double copy = by["copy"]->Best();
    auto line = [&](const char* name, const Method* m) {
        std::printf("%s_mib_per_s: %.1f\n%s_vs_copy: %.3f\n", name, mib / m->Best(), name, copy / m->Best());
    };
    line("extract_vendor", by["vendor"]);
    line("unrar_x", by["unrar"]);
    std::printf("copy_mib_per_s: %.1f\n", mib / copy);
    std::printf("standin_vs_unrar_x: %.3f\n", by["unrar"]->Best() / by["standin"]->Best());
    std::printf("standin_vs_copy_median: %.3f\n", by["copy"]->Median() / by["standin"]->Median());
    if (wine) RunUnderWine(rounds);
    line("standin", by["standin"]);
    return 0;
}
