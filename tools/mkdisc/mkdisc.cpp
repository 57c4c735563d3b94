// mkdisc: turns a finished game folder, its media folders and a description into disc folders.
//
//   mkdisc --game DIR --media DIR --out DIR [--description FILE] [--programs DIR]
//
// Each disc folder gets its marker (cd1, cd2, ...) and its packages (RAR 4.x, stored members); the
// first one also the media folders, the main executable, setup.exe and unrar.dll. Files read at the
// end of an installation (uninstall.exe, the presets, the additional programs, each strings.txt with
// the package entries) go on every disc, since any disc may be in the drive then. The discs are
// written aside and moved into place only when all of them are complete.
#include "DiscSet.h"
#include "DiscWriter.h"
#include "Progress.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace mkdisc;

namespace {

struct Options {
    Inputs in;
    fs::path out;
};

int Usage(const char* message) {
    std::fprintf(stderr,
                 "%s%smkdisc --game DIR --media DIR --out DIR [--description FILE] [--programs DIR]\n"
                 "  --game         the finished game folder, as it is to be installed\n"
                 "  --media        the folder holding the media folders (Media, MediaRus, ..., MainMedia)\n"
                 "  --out          where disc1, disc2, ... are made\n"
                 "  --description  disc capacity, packages, main executable, presets, additional programs\n"
                 "  --programs     folder with setup.exe, unrar.dll and uninstall.exe for the discs\n",
                 message, *message ? "\n" : "");
    return 2;
}

bool Make(const Options& o, const fs::path& work, std::vector<std::string>* report, std::string* error) {
    DiscSet set;
    if (!LayOut(o.in, work, 1, MeasureFolder, &set, error)) return false;
    Progress progress(set.payload);
    std::vector<std::string> names;
    for (std::size_t n = 0; n < set.discs.size(); ++n) {
        std::string name = "disc" + std::to_string(n + 1);
        progress.Stage("disc " + std::to_string(n + 1) + " of " + std::to_string(set.discs.size()));
        if (!WriteDisc(set.discs[n], work / name, &progress, error)) return false;
        names.push_back(name);
        for (const Archive& a : set.discs[n].archives)
            report->push_back(name + "/" + a.name + ": " + std::to_string(a.members.size()) + " members, " +
                              std::to_string(a.unpacked) + " bytes");
        report->push_back(name + ": " + std::to_string(set.measured[n]) + " of " +
                          std::to_string(set.description.capacity) + " bytes");
    }
    progress.Finish();
    if (!PutInPlace(work, o.out, names, error)) return false;
    for (auto& note : set.notes)
        report->push_back(note);
    report->push_back("SPACE_NEED " + std::to_string((set.spaceNeedBytes + (1 << 20) - 1) >> 20) + " MiB, " +
                      std::to_string(set.discs.size()) + " disc(s)");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") return Usage(""), 0;
        if (i + 1 >= argc) return Usage(("mkdisc: " + a + " needs a value").c_str());
        fs::path v = argv[++i];
        if (a == "--game")
            o.in.game = v;
        else if (a == "--media")
            o.in.media = v;
        else if (a == "--out")
            o.out = v;
        else if (a == "--description")
            o.in.description = v;
        else if (a == "--programs")
            o.in.programs = v;
        else
            return Usage(("mkdisc: unknown option " + a).c_str());
    }
    if (o.in.game.empty() || o.in.media.empty() || o.out.empty())
        return Usage("mkdisc: --game, --media and --out are needed");

    std::error_code ec;
    std::string error;
    fs::create_directories(o.out, ec);
    fs::path work = o.out / ".mkdisc-incomplete";
    if (!ec) fs::remove_all(work, ec);
    if (!ec) fs::create_directories(work, ec);
    std::vector<std::string> report;
    bool ok = !ec || (error = "cannot make " + work.string() + ": " + ec.message(), false);
    ok = ok && Make(o, work, &report, &error);
    fs::remove_all(work, ec);
    if (!ok) {
        std::fprintf(stderr, "mkdisc: error: %s\n", error.empty() ? "failed" : error.c_str());
        return 1;
    }
    for (auto& line : report)
        std::printf("%s\n", line.c_str());
    return 0;
}
