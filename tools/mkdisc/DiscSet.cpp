#include "DiscSet.h"

#include "GameTree.h"
#include "PackageNames.h"
#include "Rar4Writer.h"
#include "StringsFile.h"
#include "Text.h"

#include "engine/MemberNames.h"
#include "shell/CStringTable.h"
#include "shell/PlayerTexts.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace mkdisc {

namespace {

constexpr std::size_t kMaxDiscs = 9;      // markers cd1 .. cd9
constexpr std::size_t kMaxPackages = 128; // SOURCE0 .. SOURCE127
constexpr int kMaxRounds = 32;

bool ReadBytes(const fs::path& p, std::string* out, std::string* error) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return (*error = "cannot read " + p.string(), false);
    out->assign(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) return (*error = "cannot read " + p.string(), false);
    return true;
}

bool FileSize(const fs::path& p, std::uint64_t* size, std::string* error) {
    std::error_code ec;
    *size = fs::file_size(p, ec);
    if (ec) *error = "cannot read " + p.string() + ": " + ec.message();
    return !ec;
}

// Every file below a folder as disc files under `prefix`; links to folders are refused.
bool ListFiles(const fs::path& folder, const std::string& prefix, std::vector<DiscFile>* out,
               std::string* error) {
    std::vector<fs::path> entries;
    if (!ListFolder(folder, &entries, error)) return false;
    for (auto& e : entries) {
        std::error_code ec;
        std::string path = prefix + "/" + e.filename().string();
        if (fs::is_symlink(fs::symlink_status(e, ec)) && fs::is_directory(e, ec))
            return (*error = e.string() + " is a link to a folder", false);
        if (fs::is_directory(e, ec)) {
            if (!ListFiles(e, path, out, error)) return false;
        } else if (fs::is_regular_file(e, ec)) {
            DiscFile f{path, e.string(), {}, -1, 0};
            if (!FileSize(e, &f.size, error)) return false;
            out->push_back(f);
        } else {
            return (*error = e.string() + " is neither a file nor a folder", false);
        }
    }
    return true;
}

bool WritePreset(const fs::path& pak, const std::vector<Member>& members, std::string* error) {
    Rar4Writer w;
    if (!w.Open(pak.string())) return (*error = w.error(), false);
    for (const Member& m : members) {
        struct stat st;
        std::uint32_t time = Rar4Writer::DosTime(1700000000);
        if (!m.isDir && stat(m.hostPath.c_str(), &st) == 0) time = Rar4Writer::DosTime(st.st_mtime);
        if (!(m.isDir ? w.AddFolder(m.name, time) : w.AddFile(m.name, m.hostPath, time)))
            return (*error = w.error(), false);
    }
    if (!w.Close()) return (*error = w.error().empty() ? "cannot write " + pak.string() : w.error(), false);
    return true;
}

struct Language {
    fs::path folder;
    std::string name;
    StringsFile* table = nullptr; // null: the folder has no strings.txt
};

} // namespace

std::string MarkerName(std::size_t n) {
    return "cd" + std::to_string(n);
}
std::string MarkerText(std::size_t n) {
    return "Brightvale disc " + std::to_string(n) + "\r\n";
}

bool MeasureFolder(const DiscLayout& disc, std::size_t, std::uint64_t* bytes, std::string*) {
    *bytes = 0;
    for (const DiscFile& f : disc.files)
        *bytes += f.size;
    return true;
}

bool LayOut(const Inputs& in, const fs::path& work, std::uint64_t block, const Measure& measure, DiscSet* set,
            std::string* error) {
    std::error_code ec;
    if (!fs::is_directory(in.game, ec))
        return (*error = "game folder " + in.game.string() + " is missing", false);
    if (!fs::is_directory(in.media, ec))
        return (*error = "media folder " + in.media.string() + " is missing", false);

    Description& d = set->description;
    if (!in.description.empty()) {
        std::string text, why;
        if (!fs::is_regular_file(in.description, ec))
            return (*error = "description " + in.description.string() + " is missing", false);
        if (!ReadBytes(in.description, &text, error)) return false;
        if (!ParseDescription(text, in.description.parent_path().string(), &d, &why))
            return (*error = in.description.string() + ", " + why, false);
    }
    auto fromDescription = [&](const std::string& p) { return fs::path(d.baseDir) / p; };

    // The top level of the game folder, and the main executable among it.
    std::vector<fs::path> top;
    if (!ListFolder(in.game, &top, error)) return false;
    std::string mainExe = d.mainExecutable;
    if (mainExe.empty()) {
        std::vector<std::string> exes;
        for (auto& p : top)
            if (fs::is_regular_file(p, ec) && LowerAscii(p.extension().string()) == ".exe")
                exes.push_back(p.filename().string());
        if (exes.size() != 1)
            return (*error = exes.empty() ? "no main executable: the game folder holds no .exe at its top"
                                          : "several .exe files at the top of the game folder: name the main "
                                            "one with \"main\" in a description",
                    false);
        mainExe = exes[0];
    }
    // Installed as MAIN_EXECUTABLE below the target folder, so it must stay inside the game folder.
    std::string mainAsInstalled = mainExe;
    std::replace(mainAsInstalled.begin(), mainAsInstalled.end(), '/', '\\');
    if (!MemberNameIsSafe(mainAsInstalled.c_str()))
        return (*error = "main executable " + mainExe + " is not a path inside the game folder", false);
    if (!fs::is_regular_file(in.game / mainExe, ec))
        return (*error = "main executable " + mainExe + " is missing", false);

    // The language folders and their tables; MainMedia holds the pictures every language shares. The
    // installer reads it below the current media folder ("Media\MainMedia\logoL.tga"), so each
    // language gets a copy.
    std::vector<fs::path> mediaEntries;
    if (!ListFolder(in.media, &mediaEntries, error)) return false;
    std::vector<Language> languages;
    std::vector<std::unique_ptr<StringsFile>> tables;
    fs::path mainMedia;
    for (auto& e : mediaEntries) {
        if (!fs::is_directory(e, ec)) continue;
        if (e.filename() == "MainMedia") {
            mainMedia = e;
            continue;
        }
        Language lang{e, e.filename().string(), nullptr};
        if (fs::is_regular_file(e / "strings.txt", ec)) {
            std::string bytes;
            if (!ReadBytes(e / "strings.txt", &bytes, error)) return false;
            StringsFile probe(bytes, "CP1252");
            tables.push_back(
                std::make_unique<StringsFile>(bytes, AnsiCodePage(probe.Value("LNG_CHARSET"), lang.name)));
            lang.table = tables.back().get();
        }
        languages.push_back(lang);
    }
    const Language* english = nullptr;
    for (const Language& l : languages)
        if (l.name == "Media" && l.table) english = &l;
    if (!english) return (*error = "media folder Media has no strings.txt", false);

    // Names must fit 260 characters below the default target folder.
    std::string gameDir = english->table->Value("GAME_DIR");
    set->label = d.label.empty() ? DefaultLabel(gameDir, english->table->Value("APP_TITLE")) : d.label;
    std::size_t prefix = std::strlen("C:\\Program Files (x86)\\") + gameDir.size() + 1;
    TreeRules rules{d.oemCodePage, prefix < 259 ? 259 - prefix : 0};
    std::string probe;
    if (!Convert("a", "UTF-8", d.oemCodePage, &probe))
        return (*error = "unknown code page " + d.oemCodePage, false);

    // The names of the files at a disc's root that are not packages.
    NameBook book;
    std::string owner;
    auto reserve = [&](const std::string& name, const std::string& what) {
        if (book.Take(name, what, &owner)) return true;
        *error = what + " and " + owner + " would both be \"" + name + "\" on the disc";
        return false;
    };
    for (std::size_t n = 1; n <= kMaxDiscs; ++n)
        if (!reserve(MarkerName(n), "the disc marker " + MarkerName(n))) return false;
    for (const char* name :
         {"setup.exe", "unrar.dll", "uninstall.exe", "settingsLow.pak", "settingsHigh.pak"})
        if (!reserve(name, name)) return false;
    for (const Language& l : languages)
        if (!reserve(l.name, "the media folder " + l.name)) return false;
    std::string mainName = fs::path(mainExe).filename().string();
    if (!reserve(mainName, "the main executable")) return false;

    // Packages: the described ones first, then one per remaining top-level folder, then the loose files.
    std::vector<PackageInput> packages;
    std::map<std::string, std::string> takenEntries = {{LowerAscii(mainExe), "the main executable"}};
    NameBook described;
    for (const PackageRule& rule : d.packages) {
        std::string why;
        if (!ArchiveNameIsUsable(rule.archive, &why))
            return (*error = "package \"" + rule.archive + "\" " + why, false);
        if (!described.Take(rule.archive, rule.archive, &owner))
            return (*error = "two packages are named \"" + rule.archive + "\" (without regard to case)",
                    false);
        PackageInput p{rule.archive, {}, true};
        for (const std::string& name : rule.entries) {
            if (name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
                return (*error = "package " + rule.archive + ": \"" + name +
                                 "\" is not a name at the top of the game folder",
                        false);
            if (!fs::exists(fs::symlink_status(in.game / name, ec)))
                return (*error = "package " + rule.archive + ": \"" + name + "\" is missing", false);
            if (!takenEntries.emplace(LowerAscii(name), rule.archive).second)
                return (*error = "\"" + name + "\" is in two packages", false);
            if (!CollectMembers(in.game / name, name, rules, &p.members, error)) return false;
        }
        packages.push_back(p);
    }
    PackageInput loose{"base.rar", {}, false};
    for (auto& p : top) {
        std::string name = p.filename().string();
        if (takenEntries.count(LowerAscii(name))) continue;
        if (fs::is_directory(fs::symlink_status(p, ec))) {
            PackageInput pkg{{}, {}, false};
            if (!DerivedArchiveName(name, &pkg.archive, error)) return false;
            if (!CollectMembers(p, name, rules, &pkg.members, error)) return false;
            packages.push_back(pkg);
        } else if (!CollectMembers(p, name, rules, &loose.members, error)) {
            return false;
        }
    }
    if (!loose.members.empty()) packages.push_back(loose);

    // What goes on every disc and what only on the first.
    std::vector<DiscFile> everyDisc, firstDisc;
    fs::path presets = work / "presets";
    fs::create_directories(presets, ec);
    if (ec) return (*error = "cannot make " + presets.string() + ": " + ec.message(), false);
    std::uint64_t largestPreset = 0;
    for (const auto& [level, folder] : {std::pair{"Low", d.presetLow}, std::pair{"High", d.presetHigh}}) {
        std::vector<Member> members;
        if (!folder.empty()) {
            fs::path at = fromDescription(folder);
            if (!fs::is_directory(at, ec))
                return (*error = "preset folder " + at.string() + " is missing", false);
            std::vector<fs::path> children;
            if (!ListFolder(at, &children, error)) return false;
            TreeRules presetRules{d.oemCodePage, 200};
            for (auto& c : children)
                if (!CollectMembers(c, c.filename().string(), presetRules, &members, error)) return false;
        }
        fs::path pak = presets / ("settings" + std::string(level) + ".pak");
        if (!WritePreset(pak, members, error)) return false;
        DiscFile f{pak.filename().string(), pak.string(), {}, -1, 0};
        if (!FileSize(pak, &f.size, error)) return false;
        largestPreset = std::max(largestPreset, f.size);
        everyDisc.push_back(f);
    }
    auto plainFile = [&](const fs::path& from, const std::string& what, std::vector<DiscFile>* to) {
        if (!fs::is_regular_file(from, ec))
            return (*error = what + " " + from.string() + " is missing", false);
        DiscFile f{from.filename().string(), from.string(), {}, -1, 0};
        if (!FileSize(from, &f.size, error)) return false;
        if (what != "the main executable" && !reserve(f.path, what + " " + from.string())) return false;
        to->push_back(f);
        return true;
    };
    for (const Additional& a : d.additional)
        if (!plainFile(fromDescription(a.program), "additional program", &everyDisc)) return false;
    for (const std::string& c : d.companions)
        if (!plainFile(fromDescription(c), "companion", &firstDisc)) return false;
    std::uint64_t uninstallBytes = 0;
    if (!in.programs.empty()) {
        if (!fs::is_directory(in.programs, ec))
            return (*error = "programs folder " + in.programs.string() + " is missing", false);
        for (const char* name : {"setup.exe", "unrar.dll"})
            if (fs::is_regular_file(in.programs / name, ec)) {
                DiscFile f{name, (in.programs / name).string(), {}, -1, 0};
                if (!FileSize(in.programs / name, &f.size, error)) return false;
                firstDisc.push_back(f);
            }
        if (fs::is_regular_file(in.programs / "uninstall.exe", ec)) {
            DiscFile f{"uninstall.exe", (in.programs / "uninstall.exe").string(), {}, -1, 0};
            if (!FileSize(in.programs / "uninstall.exe", &f.size, error)) return false;
            uninstallBytes = f.size;
            everyDisc.push_back(f);
        }
    }
    if (!plainFile(in.game / mainExe, "the main executable", &firstDisc)) return false;
    std::uint64_t mainBytes = firstDisc.back().size;
    for (const Language& l : languages) {
        std::vector<DiscFile> files;
        if (!ListFiles(l.folder, l.name, &files, error)) return false;
        for (auto& f : files)
            if (!(l.table && f.path == l.name + "/strings.txt")) firstDisc.push_back(f);
        if (!mainMedia.empty() && !ListFiles(mainMedia, l.name + "/MainMedia", &firstDisc, error))
            return false;
    }

    // Lays out disc n (0-based) around the planned packages, with each table completed by `entries`.
    std::vector<Disc> plan;
    auto layout = [&](std::size_t n, const std::vector<Archive>& archives, const std::string& entries,
                      DiscLayout* disc) -> bool {
        disc->files.clear();
        disc->archives = archives;
        disc->files.push_back({MarkerName(n + 1), {}, MarkerText(n + 1), -1, MarkerText(n + 1).size()});
        for (std::size_t a = 0; a < archives.size(); ++a)
            disc->files.push_back({archives[a].name, {}, {}, static_cast<int>(a), archives[a].bytes});
        disc->files.insert(disc->files.end(), everyDisc.begin(), everyDisc.end());
        if (n == 0) disc->files.insert(disc->files.end(), firstDisc.begin(), firstDisc.end());
        for (const Language& l : languages) {
            if (!l.table) continue;
            std::string add = entries;
            if (l.table->Value("MAIN_EXECUTABLE").empty()) add += "MAIN_EXECUTABLE\t" + mainExe + "\r\n";
            // Texts newer than the table: the installer has them in English, and so does the table now,
            // where a translator finds them.
            for (const BuiltInText& b : kBuiltInTexts)
                if (l.table->Value(b.key).empty()) add += std::string(b.key) + "\t" + b.english + "\r\n";
            DiscFile f{l.name + "/strings.txt", {}, {}, -1, 0};
            std::string why;
            if (!l.table->Complete(add, &f.text, &why))
                return (*error = l.name + "/strings.txt: " + why, false);
            // What does not fit the installer's table reads as empty: the entries would install nothing.
            if (StringsFile(f.text, l.table->codePage()).InstallerChars() > CStringTable::kPoolChars)
                return (*error = l.name + "/strings.txt with the package entries is more than the " +
                                 std::to_string(CStringTable::kPoolChars) +
                                 " characters the installer reads: shorten its texts",
                        false);
            f.size = f.text.size();
            disc->files.push_back(f);
        }
        return true;
    };
    auto entriesOf = [&](const std::vector<Disc>& discs, std::uint64_t* spaceNeed) {
        std::string entries;
        std::uint64_t unpacked = mainBytes + uninstallBytes + largestPreset;
        unsigned index = 0;
        for (std::size_t n = 0; n < discs.size(); ++n)
            for (const Archive& a : discs[n].archives) {
                entries += "SOURCE" + std::to_string(index++) + "\t" + MarkerName(n + 1) + ":" + a.name +
                           " " + std::to_string(a.unpacked) + "\r\n";
                unpacked += a.unpacked;
            }
        entries += "SPACE_NEED\t" + std::to_string((unpacked + (1 << 20) - 1) >> 20) + "\r\n";
        for (std::size_t i = 0; i < d.additional.size(); ++i) {
            entries += "ADD_INSTALL_" + std::to_string(i) + "\t" +
                       fs::path(d.additional[i].program).filename().string() + "\r\n";
            if (!d.additional[i].question.empty())
                entries +=
                    "CONFIRM_ADD_INSTALL_" + std::to_string(i) + "\t" + d.additional[i].question + "\r\n";
        }
        if (spaceNeed) *spaceNeed = unpacked;
        return entries;
    };
    // Final names: the publisher's are kept (a clash is refused); derived ones move aside ("base_2.rar").
    auto name = [&](std::vector<Disc>* discs) -> bool {
        NameBook names = book;
        std::vector<int> parts(packages.size(), 0);
        for (auto& disc : *discs)
            for (auto& a : disc.archives)
                parts[a.package] = std::max(parts[a.package], a.part);
        std::vector<std::string> stems(packages.size());
        for (std::size_t p = 0; p < packages.size(); ++p) {
            if (!parts[p]) continue;
            const std::string& base = packages[p].archive;
            for (int attempt = 1;; ++attempt) {
                std::string stem = base;
                if (attempt > 1) {
                    std::size_t dot = base.rfind('.');
                    stem = base.substr(0, dot) + "_" + std::to_string(attempt) +
                           (dot == std::string::npos ? "" : base.substr(dot));
                }
                int k = 1;
                while (k <= parts[p] && names.IsFree(PartName(stem, k)))
                    ++k;
                if (k > parts[p]) {
                    for (k = 1; k <= parts[p]; ++k)
                        names.Take(PartName(stem, k), "package " + stem, nullptr);
                    stems[p] = stem;
                    break;
                }
                if (packages[p].named) {
                    std::string holder;
                    names.Take(PartName(stem, k), "", &holder);
                    *error = "package \"" + base + "\"" +
                             (k > 1 ? " split over discs needs the name \"" + PartName(stem, k) + "\", which"
                                    : "") +
                             " clashes with " + holder + ": rename one of them";
                    return false;
                }
            }
        }
        for (auto& disc : *discs)
            for (auto& a : disc.archives)
                a.name = PartName(stems[a.package], a.part);
        return true;
    };

    std::vector<std::uint64_t> extra;
    std::string entries;
    std::map<std::size_t, std::uint64_t> fixedBytes;
    for (int round = 0;; ++round) {
        if (round == kMaxRounds)
            return (*error = "the discs cannot be laid out within their capacity", false);
        fixedBytes.clear();
        std::string failure;
        PlanRules rules{d.capacity, block, [&](std::size_t n) -> std::uint64_t {
                            std::size_t key = std::min<std::size_t>(n, 1);
                            auto it = fixedBytes.find(key);
                            if (it == fixedBytes.end()) {
                                DiscLayout empty;
                                std::uint64_t bytes = 0;
                                if (!layout(n, {}, entries, &empty)) {
                                    failure = *error;
                                    bytes = ~0ull >> 2;
                                } else if (!measure(empty, n, &bytes, &failure)) {
                                    bytes = ~0ull >> 2;
                                }
                                it = fixedBytes.emplace(key, bytes).first;
                            }
                            return it->second + (n < extra.size() ? extra[n] : 0);
                        }};
        if (!PlanDiscs(packages, rules, &plan, error)) {
            if (!failure.empty()) *error = failure;
            return false;
        }
        if (!failure.empty()) return (*error = failure, false);
        if (plan.size() > kMaxDiscs)
            return (*error =
                        "the game needs " + std::to_string(plan.size()) + " discs; at most 9 are supported",
                    false);
        std::size_t count = 0;
        for (auto& disc : plan)
            count += disc.archives.size();
        if (count > kMaxPackages)
            return (*error =
                        "the game needs " + std::to_string(count) + " packages; at most 128 are supported",
                    false);
        if (!name(&plan)) return false;
        entries = entriesOf(plan, &set->spaceNeedBytes);
        set->discs.assign(plan.size(), {});
        set->measured.assign(plan.size(), 0);
        bool again = false;
        extra.resize(std::max(extra.size(), plan.size()), 0);
        for (std::size_t n = 0; n < plan.size(); ++n) {
            if (!layout(n, plan[n].archives, entries, &set->discs[n])) return false;
            if (!measure(set->discs[n], n, &set->measured[n], error)) return false;
            if (set->measured[n] > d.capacity) {
                extra[n] += set->measured[n] - d.capacity;
                again = true;
            }
        }
        if (!again) break;
    }

    set->payload = 0;
    for (auto& disc : set->discs)
        for (auto& f : disc.files)
            set->payload += f.size;
    for (std::size_t p = 0; p < packages.size(); ++p)
        if (!packages[p].named)
            for (auto& disc : set->discs)
                for (auto& a : disc.archives)
                    if (a.package == p && a.part == 1 && a.name != packages[p].archive)
                        set->notes.push_back("package " + packages[p].archive + " is named " + a.name +
                                             ": its name was taken");
    return true;
}

} // namespace mkdisc
