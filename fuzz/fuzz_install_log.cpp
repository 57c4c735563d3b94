// libFuzzer target: uninstall.exe's reading of install.log and the removal plan made from it. Whatever
// the log holds, the plan must remove only what lies in the game folder, logged shortcuts in the
// shortcut folders and the group in the Programs folders; never the game folder itself, nothing twice.
#include "UninstallPlan.h"
#include "engine/InstallLogFormat.h"

#include <cctype>
#include <cstdint>
#include <set>
#include <string>

namespace {

// What Windows makes of a name: it ends at the first NUL.
std::string AsWindowsSees(const std::string& path) {
    return path.substr(0, path.find('\0'));
}

std::string Folded(const std::string& path) {
    std::string out = uninstall::Normalize(path);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool StrictlyWithinAny(const std::string& path, const std::vector<std::string>& folders) {
    for (const std::string& f : folders)
        if (uninstall::IsWithin(path, f) && Folded(path) != Folded(f)) return true;
    return false;
}

void Check(const std::string& game, const std::vector<std::string>& entries,
           const uninstall::Environment& env) {
    uninstall::Plan plan = uninstall::MakePlan(game, entries, env);
    if (plan.refusal != uninstall::Refusal::None) {
        if (!plan.remove.empty()) __builtin_trap(); // a refused log removes nothing
        return;
    }
    std::vector<std::string> forms = env.gameFolderForms;
    forms.push_back(game);
    std::set<std::string> seen;
    for (const std::string& p : plan.remove) {
        std::string real = AsWindowsSees(p);
        bool inGame = false, isGame = false;
        for (const std::string& g : forms) {
            inGame = inGame || uninstall::IsWithin(real, g);
            isGame = isGame || Folded(real) == Folded(g);
        }
        std::string f = Folded(real);
        bool shortcut = f.size() > 4 && f.compare(f.size() - 4, 4, ".lnk") == 0 &&
                        StrictlyWithinAny(real, env.shortcutFolders);
        bool group = StrictlyWithinAny(real, env.groupFolders);
        if (isGame || !(inGame || shortcut || group)) __builtin_trap();
        if (!seen.insert(f).second) __builtin_trap();
    }
    for (const std::string& p : plan.skipped)
        for (const std::string& g : forms)
            if (uninstall::IsWithin(p, g)) __builtin_trap(); // skipped entries are the ones outside
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
