// mkdisc: turns a finished game folder, its media folders and a description into disc folders.
//
//   mkdisc --game DIR --media DIR --out DIR [--description FILE] [--programs DIR]
//
// Each disc folder gets its marker (cd1, cd2, ...) and its packages (RAR 4.x, stored members); the
// first one also the media folders with their strings.txt completed by the package entries and the
// needed space, the main executable, setup.exe and unrar.dll. Files read at the end of an installation
// (uninstall.exe, the presets, the additional programs, Media\strings.txt) go on every disc, since any
// disc may be in the drive then. The discs are written aside and moved into place only when complete.
#include "Description.h"
#include "DiscPlan.h"
#include "Rar4Writer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <sys/stat.h>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace mkdisc;

namespace {

struct Options {
    fs::path game, media, out, description, programs;
};

std::string g_error;

bool Fail(const std::string& message) {
    if (g_error.empty()) g_error = message;
    return false;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// UTF-8 (the host's names) to the OEM code page the archive stores; false when a character has no
// place in that code page.
bool ToOem(const std::string& utf8, const std::string& codePage, std::string* out) {
    iconv_t cd = iconv_open(codePage.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return Fail("unknown code page " + codePage);
    std::string result(utf8.size() * 2 + 4, '\0');
    char* src = const_cast<char*>(utf8.data());
    std::size_t srcLeft = utf8.size(), dstLeft = result.size();
    char* dst = result.data();
    bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) return false;
    result.resize(result.size() - dstLeft);
    *out = result;
    return true;
}

// The value of a key in a strings.txt (ANSI or UTF-16 with its mark); ASCII values only.
std::string KeyValue(const std::string& file, const std::string& key) {
    std::string text = file;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        std::string narrow;
        for (std::size_t i = 2; i + 1 < text.size(); i += 2)
            narrow += text[i + 1] ? '?' : text[i];
        text = narrow;
    }
    std::string value;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        std::size_t keyEnd = line.find_first_of(" \t\r");
        if (line.substr(0, keyEnd) != key || keyEnd == std::string::npos) continue;
        std::size_t v = line.find_first_not_of(" \t\r", keyEnd);
        value = v == std::string::npos ? std::string() : line.substr(v);
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n'))
            value.pop_back();
    }
    return value;
}

// Appends lines to a strings.txt in the file's own encoding.
std::string Append(const std::string& file, const std::string& lines) {
    bool wide = file.size() >= 2 && static_cast<unsigned char>(file[0]) == 0xFF &&
                static_cast<unsigned char>(file[1]) == 0xFE;
    std::string add =
        (file.empty() || file.back() == '\n' || (wide && file.size() >= 2 && file[file.size() - 2] == '\n'))
            ? lines
            : "\r\n" + lines;
    if (!wide) return file + add;
    std::string out = file;
    for (char c : add) {
        out += c;
        out += '\0';
    }
    return out;
}

// The members of a game folder entry, the folder itself first and its contents in name order.
bool CollectMembers(const fs::path& gameRoot, const fs::path& entry, const std::string& codePage,
                    std::size_t nameLimit, std::vector<Member>* out) {
    std::error_code ec;
    std::string rel = fs::relative(entry, gameRoot, ec).generic_string();
    std::string oem;
    if (!ToOem(rel, codePage, &oem))
        return Fail("\"" + rel + "\" cannot be written in code page " + codePage);
    std::replace(oem.begin(), oem.end(), '/', '\\');
    if (oem.size() > nameLimit)
        return Fail("\"" + rel + "\" is too long: installed, its path would not fit 260 characters");
    if (fs::is_directory(entry, ec)) {
        out->push_back({oem, "", 0, true});
        std::vector<fs::path> children;
        for (auto& c : fs::directory_iterator(entry, ec))
            children.push_back(c.path());
        std::sort(children.begin(), children.end());
        for (auto& c : children)
            if (!CollectMembers(gameRoot, c, codePage, nameLimit, out)) return false;
        return true;
    }
    if (!fs::is_regular_file(entry, ec)) return Fail("\"" + rel + "\" is neither a file nor a folder");
    out->push_back({oem, entry.string(), static_cast<std::uint64_t>(fs::file_size(entry, ec)), false});
    return true;
}

bool WriteArchive(const fs::path& path, const std::vector<Member>& members) {
    Rar4Writer w;
    if (!w.Open(path.string())) return Fail(w.error());
    std::uint32_t time = Rar4Writer::DosTime(1700000000);
    for (const Member& m : members) {
        struct stat st;
        if (!m.isDir && stat(m.hostPath.c_str(), &st) == 0) time = Rar4Writer::DosTime(st.st_mtime);
        if (!(m.isDir ? w.AddFolder(m.name, time) : w.AddFile(m.name, m.hostPath, time)))
            return Fail(w.error());
    }
    return w.Close() || Fail(w.error().empty() ? "cannot write " + path.string() : w.error());
}

// Members of a preset folder: its contents, relative to the folder itself.
bool PresetMembers(const fs::path& folder, const std::string& codePage, std::vector<Member>* out) {
    std::error_code ec;
    if (folder.empty()) return true;
    if (!fs::is_directory(folder, ec)) return Fail("preset folder " + folder.string() + " is missing");
    std::vector<fs::path> children;
    for (auto& c : fs::directory_iterator(folder, ec))
        children.push_back(c.path());
    std::sort(children.begin(), children.end());
    for (auto& c : children)
        if (!CollectMembers(folder, c, codePage, 200, out)) return false;
    return true;
}

bool CopyInto(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec))
        return Fail("cannot copy " + from.string() + ": " + ec.message());
    return true;
}

std::uint64_t FileBytes(const fs::path& p) {
    std::error_code ec;
    std::uint64_t n = fs::file_size(p, ec);
    return ec ? 0 : n;
}

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

bool Build(const Options& o, const fs::path& work, std::vector<std::string>* report) {
    std::error_code ec;
    if (!fs::is_directory(o.game, ec)) return Fail("game folder " + o.game.string() + " is missing");
    if (!fs::is_directory(o.media, ec)) return Fail("media folder " + o.media.string() + " is missing");

    Description d;
    if (!o.description.empty()) {
        if (!fs::is_regular_file(o.description, ec))
            return Fail("description " + o.description.string() + " is missing");
        std::string why;
        if (!ParseDescription(ReadFile(o.description), o.description.parent_path().string(), &d, &why))
            return Fail(o.description.string() + ", " + why);
    }
    auto fromDescription = [&](const std::string& p) { return fs::path(d.baseDir) / p; };

    // The top level of the game folder, and the main executable among it.
    std::vector<fs::path> top;
    for (auto& e : fs::directory_iterator(o.game, ec))
        top.push_back(e.path());
    std::sort(top.begin(), top.end());
    std::string mainExe = d.mainExecutable;
    if (mainExe.empty()) {
        std::vector<std::string> exes;
        for (auto& p : top)
            if (fs::is_regular_file(p, ec) && Lower(p.extension().string()) == ".exe")
                exes.push_back(p.filename().string());
        if (exes.size() != 1)
            return Fail(exes.empty()
                            ? "no main executable: the game folder holds no .exe at its top"
                            : "several .exe files at the top of the game folder: name the main one with "
                              "\"main\" in a description");
        mainExe = exes[0];
    }
    if (!fs::is_regular_file(o.game / mainExe, ec)) return Fail("main executable " + mainExe + " is missing");

    // Names must fit 260 characters below the default target folder.
    fs::path mediaEn = o.media / "Media";
    std::string strings = ReadFile(mediaEn / "strings.txt");
    std::string gameDir = KeyValue(strings, "GAME_DIR");
    std::size_t prefix = std::strlen("C:\\Program Files (x86)\\") + gameDir.size() + 1;
    std::size_t nameLimit = prefix < 259 ? 259 - prefix : 0;

    // Packages: the described ones first, then one per remaining top-level folder, then the loose files.
    std::vector<PackageInput> packages;
    std::set<std::string> taken = {Lower(mainExe)};
    for (const PackageRule& rule : d.packages) {
        PackageInput p{rule.archive, {}};
        for (const std::string& name : rule.entries) {
            if (!fs::exists(o.game / name, ec))
                return Fail("package " + rule.archive + ": \"" + name + "\" is missing");
            if (!taken.insert(Lower(name)).second) return Fail("\"" + name + "\" is in two packages");
            if (!CollectMembers(o.game, o.game / name, d.oemCodePage, nameLimit, &p.members)) return false;
        }
        packages.push_back(p);
    }
    PackageInput loose{"base.rar", {}};
    for (auto& p : top) {
        std::string name = p.filename().string();
        if (taken.count(Lower(name))) continue;
        if (fs::is_directory(p, ec)) {
            PackageInput pkg{Lower(name) + ".rar", {}};
            if (!CollectMembers(o.game, p, d.oemCodePage, nameLimit, &pkg.members)) return false;
            packages.push_back(pkg);
        } else if (!CollectMembers(o.game, p, d.oemCodePage, nameLimit, &loose.members)) {
            return false;
        }
    }
    if (!loose.members.empty()) packages.push_back(loose);

    // What goes on every disc and what only on the first.
    std::vector<std::pair<fs::path, std::string>> everyDisc, firstDisc; // source, path on the disc
    fs::path presets = work / "presets";
    fs::create_directories(presets, ec);
    for (const auto& [level, folder] : {std::pair{"Low", d.presetLow}, std::pair{"High", d.presetHigh}}) {
        std::vector<Member> members;
        if (!PresetMembers(folder.empty() ? fs::path() : fromDescription(folder), d.oemCodePage, &members))
            return false;
        fs::path pak = presets / ("settings" + std::string(level) + ".pak");
        if (!WriteArchive(pak, members)) return false;
        everyDisc.push_back({pak, pak.filename().string()});
    }
    for (std::size_t i = 0; i < d.additional.size(); ++i) {
        fs::path program = fromDescription(d.additional[i].program);
        if (!fs::is_regular_file(program, ec))
            return Fail("additional program " + program.string() + " is missing");
        everyDisc.push_back({program, program.filename().string()});
    }
    for (const std::string& c : d.companions) {
        fs::path file = fromDescription(c);
        if (!fs::is_regular_file(file, ec)) return Fail("companion " + file.string() + " is missing");
        firstDisc.push_back({file, file.filename().string()});
    }
    if (!o.programs.empty()) {
        if (!fs::is_directory(o.programs, ec))
            return Fail("programs folder " + o.programs.string() + " is missing");
        for (const char* name : {"setup.exe", "unrar.dll"})
            if (fs::is_regular_file(o.programs / name, ec)) firstDisc.push_back({o.programs / name, name});
        if (fs::is_regular_file(o.programs / "uninstall.exe", ec))
            everyDisc.push_back({o.programs / "uninstall.exe", "uninstall.exe"});
    }
    firstDisc.push_back({o.game / mainExe, fs::path(mainExe).filename().string()});

    // The language folders; MainMedia holds the pictures every language shares. The installer reads
    // it below the current media folder ("Media\MainMedia\logoL.tga"), so each language gets a copy.
    std::vector<fs::path> mediaFolders;
    fs::path mainMedia;
    for (auto& e : fs::directory_iterator(o.media, ec)) {
        if (!e.is_directory(ec)) continue;
        if (e.path().filename() == "MainMedia")
            mainMedia = e.path();
        else
            mediaFolders.push_back(e.path());
    }
    std::sort(mediaFolders.begin(), mediaFolders.end());
    if (!fs::is_regular_file(mediaEn / "strings.txt", ec))
        return Fail("media folder Media has no strings.txt");

    std::uint64_t firstBytes = 0, everyBytes = 0;
    for (auto& [from, to] : firstDisc)
        firstBytes += FileBytes(from);
    for (auto& [from, to] : everyDisc)
        everyBytes += FileBytes(from);
    std::uint64_t mainMediaBytes = 0;
    if (!mainMedia.empty())
        for (auto& f : fs::recursive_directory_iterator(mainMedia, ec))
            if (f.is_regular_file(ec)) mainMediaBytes += FileBytes(f.path());
    for (auto& m : mediaFolders) {
        firstBytes += mainMediaBytes + 4096; // 4096: room for the appended entries
        for (auto& f : fs::recursive_directory_iterator(m, ec))
            if (f.is_regular_file(ec)) firstBytes += FileBytes(f.path());
    }
    for (auto& m : mediaFolders)
        everyBytes += FileBytes(m / "strings.txt") + 4096;

    std::vector<Disc> discs;
    std::string why;
    if (!PlanDiscs(packages, d.capacity, firstBytes, everyBytes, &discs, &why)) return Fail(why);
    if (discs.size() > 9)
        return Fail("the game needs " + std::to_string(discs.size()) + " discs; at most 9 are supported");

    // The package entries and the space the installation needs.
    std::string entries;
    std::uint64_t unpacked = FileBytes(o.game / mainExe) + FileBytes(o.programs / "uninstall.exe");
    unsigned index = 0;
    for (std::size_t n = 0; n < discs.size(); ++n) {
        for (const Archive& a : discs[n].archives) {
            if (index >= 128) return Fail("more than 128 packages");
            entries += "SOURCE" + std::to_string(index++) + "\tcd" + std::to_string(n + 1) + ":" + a.name +
                       " " + std::to_string(a.unpacked) + "\r\n";
            unpacked += a.unpacked;
        }
    }
    unpacked += std::max(FileBytes(presets / "settingsLow.pak"), FileBytes(presets / "settingsHigh.pak"));
    entries += "SPACE_NEED\t" + std::to_string((unpacked + (1 << 20) - 1) >> 20) + "\r\n";
    for (std::size_t i = 0; i < d.additional.size(); ++i) {
        entries += "ADD_INSTALL_" + std::to_string(i) + "\t" +
                   fs::path(d.additional[i].program).filename().string() + "\r\n";
        if (!d.additional[i].question.empty())
            entries += "CONFIRM_ADD_INSTALL_" + std::to_string(i) + "\t" + d.additional[i].question + "\r\n";
    }

    // Write every disc into the work folder.
    for (std::size_t n = 0; n < discs.size(); ++n) {
        fs::path disc = work / ("disc" + std::to_string(n + 1));
        fs::create_directories(disc, ec);
        std::ofstream(disc / ("cd" + std::to_string(n + 1)), std::ios::binary)
            << "Brightvale disc " << n + 1 << "\r\n";
        for (const Archive& a : discs[n].archives) {
            if (!WriteArchive(disc / a.name, a.members)) return false;
            report->push_back("disc" + std::to_string(n + 1) + "/" + a.name + ": " +
                              std::to_string(a.members.size()) + " members, " + std::to_string(a.unpacked) +
                              " bytes");
        }
        for (auto& [from, to] : everyDisc)
            if (!CopyInto(from, disc / to)) return false;
        if (n == 0)
            for (auto& [from, to] : firstDisc)
                if (!CopyInto(from, disc / to)) return false;
        for (auto& m : mediaFolders) {
            std::string name = m.filename().string();
            std::string table = ReadFile(m / "strings.txt");
            bool hasTable = fs::is_regular_file(m / "strings.txt", ec);
            std::string completed = hasTable ? Append(table, entries) : std::string();
            if (KeyValue(table, "MAIN_EXECUTABLE").empty() && hasTable)
                completed = Append(completed, "MAIN_EXECUTABLE\t" + mainExe + "\r\n");
            if (n == 0) {
                for (auto& f : fs::recursive_directory_iterator(m, ec)) {
                    if (!f.is_regular_file(ec) || (hasTable && f.path() == m / "strings.txt")) continue;
                    if (!CopyInto(f.path(), disc / name / fs::relative(f.path(), m, ec))) return false;
                }
                if (!mainMedia.empty())
                    for (auto& f : fs::recursive_directory_iterator(mainMedia, ec))
                        if (f.is_regular_file(ec) &&
                            !CopyInto(f.path(), disc / name / "MainMedia" / fs::relative(f.path(), mainMedia, ec)))
                            return false;
            }
            if (hasTable) {
                fs::create_directories(disc / name, ec);
                std::ofstream out(disc / name / "strings.txt", std::ios::binary);
                out << completed;
                if (!out.good()) return Fail("cannot write " + (disc / name / "strings.txt").string());
            }
        }
    }
    report->push_back("SPACE_NEED " + std::to_string((unpacked + (1 << 20) - 1) >> 20) + " MiB, " +
                      std::to_string(discs.size()) + " disc(s)");
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
            o.game = v;
        else if (a == "--media")
            o.media = v;
        else if (a == "--out")
            o.out = v;
        else if (a == "--description")
            o.description = v;
        else if (a == "--programs")
            o.programs = v;
        else
            return Usage(("mkdisc: unknown option " + a).c_str());
    }
    if (o.game.empty() || o.media.empty() || o.out.empty())
        return Usage("mkdisc: --game, --media and --out are needed");

    std::error_code ec;
    fs::create_directories(o.out, ec);
    fs::path work = o.out / ".mkdisc-incomplete";
    fs::remove_all(work, ec);
    fs::create_directories(work, ec);
    std::vector<std::string> report;
    bool ok = !ec && Build(o, work, &report);
    if (ok) {
        // Only complete discs reach their place; earlier discs of the same name are replaced.
        for (int n = 1; n <= 9; ++n)
            fs::remove_all(o.out / ("disc" + std::to_string(n)), ec);
        for (auto& e : fs::directory_iterator(work, ec)) {
            std::string name = e.path().filename().string();
            if (name.rfind("disc", 0) != 0) continue;
            fs::rename(e.path(), o.out / name, ec);
            if (ec) {
                ok = Fail("cannot move " + name + " into place: " + ec.message());
                break;
            }
        }
    }
    fs::remove_all(work, ec);
    if (!ok) {
        std::fprintf(stderr, "mkdisc: error: %s\n", g_error.empty() ? "failed" : g_error.c_str());
        return 1;
    }
    for (auto& line : report)
        std::printf("%s\n", line.c_str());
    return 0;
}
