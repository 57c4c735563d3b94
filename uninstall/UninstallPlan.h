// What the uninstaller removes, decided from install.log alone: the entries in reverse order, each
// once, resolved against the game folder; nothing outside it but the logged shortcuts and the group.
#pragma once

#include <string>
#include <vector>

namespace uninstall {

// The folders of this computer the plan is checked against (any form: long or short, any case).
struct Environment {
    std::vector<std::string> systemFolders;   // Windows, System, Program Files...: never a game folder
    std::vector<std::string> profilesFolders; // folders whose direct children are user profile roots
    std::vector<std::string> shortcutFolders; // where logged shortcuts may be: desktops, Start menus
    std::vector<std::string> groupFolders;    // where the logged group may be: the Programs folders
    std::vector<std::string> gameFolderForms; // other forms of the game folder (its short form)
};

enum class Refusal {
    None,
    UnsafeFolder, // the game folder is a drive root, a system folder, a profile root or holds one
    BadEntry,     // an entry that leaves the game folder by its form ("..", a root, another drive)
    EmptyLog,     // nothing to remove: not a log of ours
};

struct Plan {
    Refusal refusal = Refusal::None;
    std::string offending;            // the folder or entry refused
    std::vector<std::string> remove;  // absolute paths in removal order; the game folder is not among them
    std::vector<std::string> skipped; // absolute entries outside the game folder that are left alone
};

// Separators as "\", none doubled, none at the end (but a drive root keeps its "\"), "." dropped.
std::string Normalize(const std::string& path);
// True when path is folder or lies below it; names are compared without regard to case.
bool IsWithin(const std::string& path, const std::string& folder);
bool IsUnsafeGameFolder(const std::string& gameFolder, const Environment& env);

Plan MakePlan(const std::string& gameFolder, const std::vector<std::string>& entries, const Environment& env);

} // namespace uninstall
