#include "GameTree.h"

#include "Text.h"

#include "engine/MemberNames.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace mkdisc {

bool ListFolder(const fs::path& folder, std::vector<fs::path>* entries, std::string* error) {
    std::error_code ec;
    entries->clear();
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec))
        entries->push_back(it->path());
    if (ec) {
        *error = "cannot read the folder " + folder.string() + ": " + ec.message();
        return false;
    }
    std::sort(entries->begin(), entries->end());
    return true;
}

bool CollectMembers(const fs::path& entry, const std::string& name, const TreeRules& rules,
                    std::vector<Member>* out, std::string* error) {
    std::string oem;
    if (!Convert(name, "UTF-8", rules.codePage, &oem)) {
        *error = "\"" + name + "\" cannot be written in code page " + rules.codePage;
        return false;
    }
    std::replace(oem.begin(), oem.end(), '/', '\\');
    if (!MemberNameIsSafe(oem.c_str())) {
        *error = "\"" + name + "\" is a name the installer refuses to unpack (a device name such as CON or " +
                 "AUX, or a path leaving the game folder)";
        return false;
    }
    if (oem.size() > rules.nameLimit) {
        *error = "\"" + name + "\" is too long: installed, its path would not fit 260 characters";
        return false;
    }
    std::error_code ec;
    fs::file_status own = fs::symlink_status(entry, ec);
    if (ec) {
        *error = "cannot read " + entry.string() + ": " + ec.message();
        return false;
    }
    fs::file_status target = own;
    if (fs::is_symlink(own)) {
        target = fs::status(entry, ec);
        if (ec || !fs::exists(target)) {
            *error = "\"" + name + "\" is a link to nothing";
            return false;
        }
        if (fs::is_directory(target)) {
            *error = "\"" + name + "\" is a link to a folder: put the folder itself in the game folder";
            return false;
        }
    }
    if (fs::is_directory(target)) {
        out->push_back({oem, "", 0, true});
        std::vector<fs::path> children;
        if (!ListFolder(entry, &children, error)) return false;
        for (auto& c : children)
            if (!CollectMembers(c, name + "/" + c.filename().string(), rules, out, error)) return false;
        return true;
    }
    if (!fs::is_regular_file(target)) {
        *error = "\"" + name + "\" is neither a file nor a folder";
        return false;
    }
    std::uint64_t size = fs::file_size(entry, ec);
    if (ec) {
        *error = "cannot read " + entry.string() + ": " + ec.message();
        return false;
    }
    out->push_back({oem, entry.string(), size, false});
    return true;
}

} // namespace mkdisc
