// libFuzzer target: uninstall.exe's reading of install.log and the removal plan made from it. Whatever
// the log holds, the plan must remove only what lies in the game folder, logged shortcuts in the
// shortcut folders and the group in the Programs folders; never the game folder itself, nothing twice.
#include "UninstallPlan.h"
#include "engine/InstallLogFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

// The plan is judged by a rule of its own, not by the IsWithin and Normalize it is made with: a bug there
// would otherwise pass its own test. A path is its drive and its folder names, lower case, "." dropped and
// ".." taken back; it lies in a folder when the folder's names begin it. NUL ends the name, as on Windows.
struct Place {
    bool valid = false;
    std::vector<std::string> names; // the drive ("c:") first
};

Place PlaceOf(const std::string& path) {
    Place place;
    std::string p = path.substr(0, path.find('\0'));
    if (p.size() < 3 || !std::isalpha(static_cast<unsigned char>(p[0])) || p[1] != ':' || (p[2] != '/' && p[2] != '\\'))
        return place; // not a path from a drive's root
    std::string name;
    for (std::size_t i = 0; i <= p.size(); ++i) {
        char c = i < p.size() ? p[i] : '/';
        if (c != '/' && c != '\\') {
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            continue;
        }
        if (name == "..") {
            if (place.names.size() < 2) return place; // above the drive: no place at all
            place.names.pop_back();
        } else if (!name.empty() && name != ".") {
            place.names.push_back(name);
        }
        name.clear();
    }
    place.valid = true;
    return place;
}

bool Inside(const Place& path, const Place& folder) {
    return path.valid && folder.valid && path.names.size() >= folder.names.size() &&
           std::equal(folder.names.begin(), folder.names.end(), path.names.begin());
}
bool Same(const Place& a, const Place& b) {
    return a.valid && b.valid && a.names == b.names;
}
bool StrictlyInsideAny(const Place& path, const std::vector<std::string>& folders) {
    for (const std::string& f : folders) {
        Place folder = PlaceOf(f);
        if (Inside(path, folder) && !Same(path, folder)) return true;
    }
    return false;
}

void Check(const std::string& game, const std::vector<std::string>& entries,
           const uninstall::Environment& env) {
    uninstall::Plan plan = uninstall::MakePlan(game, entries, env);
    if (plan.refusal != uninstall::Refusal::None) {
        if (!plan.remove.empty()) __builtin_trap(); // a refused log removes nothing
        return;
    }
    std::vector<Place> forms;
    for (const std::string& g : env.gameFolderForms)
        forms.push_back(PlaceOf(g));
    forms.push_back(PlaceOf(game));
    std::set<std::vector<std::string>> seen;
    for (const std::string& p : plan.remove) {
        Place place = PlaceOf(p);
        if (!place.valid) __builtin_trap(); // only absolute paths on a drive are removed
        bool inGame = false, isGame = false;
        for (const Place& g : forms) {
            inGame = inGame || Inside(place, g);
            isGame = isGame || Same(place, g);
        }
        const std::string& last = place.names.back();
        bool shortcut = last.size() >= 4 && last.compare(last.size() - 4, 4, ".lnk") == 0 &&
                        StrictlyInsideAny(place, env.shortcutFolders);
        bool group = StrictlyInsideAny(place, env.groupFolders);
        if (isGame || !(inGame || shortcut || group)) __builtin_trap();
        if (!seen.insert(place.names).second) __builtin_trap(); // nothing twice
    }
    for (const std::string& p : plan.skipped)
        for (const Place& g : forms)
            if (Inside(PlaceOf(p), g)) __builtin_trap(); // skipped entries are the ones outside
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const uninstall::Environment env = [] {
        uninstall::Environment e;
        e.systemFolders = {"C:\\Windows", "C:\\Windows\\System32", "C:\\Program Files"};
        e.profilesFolders = {"C:\\Users"};
        e.shortcutFolders = {"C:\\Users\\me\\Desktop", "C:\\Users\\Public\\Desktop",
                             "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"};
        e.groupFolders = {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"};
        e.gameFolderForms = {"C:\\Games\\BRIGHT~1"};
        return e;
    }();
    std::vector<std::string> entries =
        installlog::SplitLines(std::string(reinterpret_cast<const char*>(data), size));
    Check("C:\\Games\\Brightvale", entries, env);
    // The same log beside a game folder given with another separator and letter case.
    Check("c:/games/brightvale/", entries, env);
    return 0;
}
