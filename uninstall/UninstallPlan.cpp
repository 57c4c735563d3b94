#include "UninstallPlan.h"

#include "engine/InstallLogFormat.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace uninstall {

namespace {

bool IsSep(char c) {
    return c == '\\' || c == '/';
}

std::string Folded(const std::string& s) {
    std::string out = Normalize(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsDriveAbsolute(const std::string& p) {
    return p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && IsSep(p[2]);
}

bool IsDriveRoot(const std::string& p) {
    std::string n = Normalize(p);
    return n.size() == 3 && IsDriveAbsolute(n);
}

// The components of a path after its drive, "." dropped; ".." kept, so that callers can refuse it.
std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsSep(path[i])) {
            if (!part.empty() && part != ".") parts.push_back(part);
            part.clear();
        } else {
            part += path[i];
        }
    }
    return parts;
}

bool HasParentStep(const std::string& path) {
    for (const std::string& c : Components(path))
        if (c == "..") return true;
    return false;
}

bool EndsWithLnk(const std::string& path) {
    std::string f = Folded(path);
    return f.size() > 4 && f.compare(f.size() - 4, 4, ".lnk") == 0;
}

bool WithinAny(const std::string& path, const std::vector<std::string>& folders, bool strictly) {
    for (const std::string& folder : folders)
        if (!folder.empty() && IsWithin(path, folder) && !(strictly && Folded(path) == Folded(folder)))
            return true;
    return false;
}

} // namespace

std::string Normalize(const std::string& path) {
    std::string prefix;
    std::string rest = path;
    if (path.size() >= 2 && path[1] == ':') {
        prefix = path.substr(0, 2);
        rest = path.substr(2);
        if (!rest.empty() && IsSep(rest[0])) prefix += '\\';
    } else if (!path.empty() && IsSep(path[0])) {
        prefix.push_back('\\');
    }
    std::string out = prefix;
    bool first = true;
    for (const std::string& c : Components(rest)) {
        if (!first) out += '\\';
        out += c;
        first = false;
    }
    return out;
}

bool IsWithin(const std::string& path, const std::string& folder) {
    std::string p = Folded(path), f = Folded(folder);
    if (f.empty() || p.size() < f.size() || p.compare(0, f.size(), f) != 0) return false;
    return p.size() == f.size() || f.back() == '\\' || p[f.size()] == '\\';
}

bool IsUnsafeGameFolder(const std::string& gameFolder, const Environment& env) {
    std::string g = Normalize(gameFolder);
    if (!IsDriveAbsolute(g) || IsDriveRoot(g) || HasParentStep(g)) return true;
    for (const std::string& s : env.systemFolders)
        if (!s.empty() && IsWithin(s, g)) return true; // the folder is a system folder or holds one
    for (const std::string& profiles : env.profilesFolders) {
        if (profiles.empty()) continue;
        if (IsWithin(profiles, g)) return true;
        // A direct child of the profiles folder is somebody's profile root.
        if (IsWithin(g, profiles) && Components(Normalize(g).substr(Normalize(profiles).size())).size() == 1)
            return true;
    }
    return false;
}

Plan MakePlan(const std::string& gameFolder, const std::vector<std::string>& entries,
              const Environment& env) {
    Plan plan;
    std::string game = Normalize(gameFolder);
    if (IsUnsafeGameFolder(game, env)) {
        plan.refusal = Refusal::UnsafeFolder;
        plan.offending = gameFolder;
        return plan;
    }
    if (entries.empty()) {
        plan.refusal = Refusal::EmptyLog;
        return plan;
    }
    std::vector<std::string> gameForms = env.gameFolderForms;
    gameForms.push_back(game);

    // Resolve every entry first: one bad entry refuses the whole log, before anything is removed.
    std::vector<std::string> resolved(entries.size());
    std::vector<bool> outside(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& e = entries[i];
        // Control characters are no part of a Windows name; a NUL would end the name Windows sees,
        // so "Desktop\Documents<NUL>.lnk" would pass as a shortcut and remove the folder.
        bool bad =
            e.find_first_of("*?\"<>|") != std::string::npos || HasParentStep(e) ||
            std::any_of(e.begin(), e.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        if (installlog::IsAbsoluteEntry(e)) {
            bad = bad || !IsDriveAbsolute(e);
            resolved[i] = Normalize(e);
        } else {
            // Relative entries stay inside: no drive, no root, no server name.
            bad = bad || e.find(':') != std::string::npos || IsSep(e[0]);
            resolved[i] = Normalize(game + "\\" + e);
        }
        if (bad) {
            plan.refusal = Refusal::BadEntry;
            plan.offending = e;
            plan.remove.clear();
            return plan;
        }
        if (WithinAny(resolved[i], gameForms, false)) continue;
        bool shortcut = EndsWithLnk(resolved[i]) && WithinAny(resolved[i], env.shortcutFolders, true);
        bool group = IsSep(e.back()) && WithinAny(resolved[i], env.groupFolders, true);
        outside[i] = !(shortcut || group);
    }

    // Each path once, at the place of its first line: it is removed after everything logged later.
    std::map<std::string, std::size_t> first;
    for (std::size_t i = 0; i < entries.size(); ++i)
        first.emplace(Folded(resolved[i]), i);
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (first[Folded(resolved[i])] != i) continue;
        if (WithinAny(resolved[i], gameForms, false) && !WithinAny(resolved[i], gameForms, true))
            continue; // the game folder itself goes last, when it is empty
        if (outside[i])
            plan.skipped.push_back(resolved[i]);
        else
            plan.remove.push_back(resolved[i]);
    }
    return plan;
}

} // namespace uninstall
