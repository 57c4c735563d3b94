// What an elevated program may touch below a folder that others can change (a game folder made in the
// root of C: inherits "Authenticated Users: Modify"): never what a link leads to. Shared by the rollback and the
// uninstaller, which links no more than the OS seam: header only.
#pragma once

#include "platform/Os.h"

#include <string>
#include <vector>

namespace links {

// The comparison form of a path: "\\?\" dropped, one kind of separator, none trailing, ASCII lower case.
inline std::string Comparable(const std::string& path) {
    std::string p = path.compare(0, 4, "\\\\?\\") == 0 ? path.substr(4) : path;
    std::string out;
    for (char c : p) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '\\' && !out.empty() && out.back() == '\\') continue;
        out += c;
    }
    while (out.size() > 3 && out.back() == '\\')
        out.pop_back();
    return out;
}

enum class Reach {
    Direct,      // the path is what it names, inside the folder: it may be acted on
    Link,        // the path is itself a link: only the link may be removed, nothing behind it
    ThroughLink, // a folder on the way is a link, or the path leads outside the folder: not entered
};

// How path (full, at or below folder) is reached from folder.
inline Reach Check(const std::string& folder, const std::string& path) {
    std::string f = Comparable(folder), p = Comparable(path);
    bool below = p.size() > f.size() + 1 && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\';
    if (below) {
        // Each folder between the two, in the path's own spelling.
        std::string at = path.substr(0, folder.size());
        std::size_t i = folder.size();
        while (i < path.size() && (path[i] == '\\' || path[i] == '/'))
            ++i;
        for (std::size_t cut; (cut = path.find_first_of("\\/", i)) != std::string::npos; i = cut + 1) {
            at = path.substr(0, cut);
            if (os::IsReparsePoint(at.c_str())) return Reach::ThroughLink;
        }
    }
    if (os::IsReparsePoint(path.c_str())) return Reach::Link;
    // Where it really is, every link resolved: also the links a system does not mark as such.
    std::string realFolder = Comparable(os::FinalPath(folder.c_str()));
    std::string realPath = Comparable(os::FinalPath(path.c_str()));
    if (!realFolder.empty() && !realPath.empty())
        return realPath.compare(0, realFolder.size() + 1, realFolder + "\\") == 0 ? Reach::Direct
                                                                              : Reach::ThroughLink;
    return below ? Reach::Direct : Reach::ThroughLink;
}

} // namespace links
