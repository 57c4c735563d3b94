// The members of a package, read from the game folder. Names are built from the folder walk itself
// (never by resolving paths, which would follow links out of the folder) and stored in the OEM code
// page with backslashes.
#pragma once

#include "DiscPlan.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mkdisc {

struct TreeRules {
    std::string codePage;      // OEM code page of member names
    std::size_t nameLimit = 0; // bytes a member name may take
};

// Adds `entry` (a file or folder, name given by `name`, UTF-8 with '/') and, for a folder, its
// contents in name order. A link to a file is stored as that file under the link's own name; a link
// to a folder, a dangling link or anything else that is not a file or folder is refused, as is a
// folder that cannot be read. False with a message.
bool CollectMembers(const std::filesystem::path& entry, const std::string& name, const TreeRules& rules,
                    std::vector<Member>* out, std::string* error);

// The entries of a folder in name order; false with a message when it cannot be read.
bool ListFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>* entries,
                std::string* error);

} // namespace mkdisc
