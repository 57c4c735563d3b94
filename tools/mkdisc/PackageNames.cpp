#include "PackageNames.h"

#include "Text.h"

#include "engine/MemberNames.h"

#include <cctype>
#include <cstring>

namespace mkdisc {

bool DerivedArchiveName(const std::string& folder, std::string* archive, std::string* error) {
    std::string stem;
    bool hasLetter = false;
    for (char c : folder) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            *error = "the folder \"" + folder +
                     "\" has characters outside ASCII, which a package name cannot carry in every code "
                     "page: name its package with a \"package\" line in a description";
            return false;
        }
        if (std::isalnum(u)) {
            stem += static_cast<char>(std::tolower(u));
            hasLetter = true;
        } else if (c == '-' || c == '_') {
            stem += c;
        } else if (stem.empty() || stem.back() != '_') {
            stem += '_'; // blanks and punctuation
        }
    }
    if (!hasLetter) {
        *error =
            "the folder \"" + folder + "\" gives no package name: name its package with a \"package\" line";
        return false;
    }
    *archive = stem + ".rar";
    return true;
}

bool ArchiveNameIsUsable(const std::string& name, std::string* why) {
    if (name.empty() || name.size() > 64) {
        *why = "is not 1 to 64 characters long";
        return false;
    }
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) {
            *why = "may hold only ASCII letters, digits and punctuation, no blanks";
            return false;
        }
        if (std::strchr("<>:\"/\\|?*", c)) {
            *why = "holds a character Windows refuses in a file name";
            return false;
        }
    }
    if (name.back() == '.' || !MemberNameIsSafe(name.c_str())) {
        *why = "is not a file name Windows accepts";
        return false;
    }
    return true;
}

std::string PartName(const std::string& archive, int part) {
    if (part == 1) return archive;
    std::size_t dot = archive.rfind('.');
    std::string stem = dot == std::string::npos ? archive : archive.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : archive.substr(dot);
    return stem + std::to_string(part) + ext;
}

bool NameBook::Take(const std::string& name, const std::string& what, std::string* owner) {
    auto [it, inserted] = taken.emplace(LowerAscii(name), what);
    if (!inserted && owner) *owner = it->second;
    return inserted;
}

bool NameBook::IsFree(const std::string& name) const {
    return taken.find(LowerAscii(name)) == taken.end();
}

} // namespace mkdisc
