// How the game's files are cut into packages and spread over discs: packages never straddle a disc,
// and a package that does not fit the space left on a disc is split at a file boundary.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mkdisc {

struct Member {
    std::string name;     // in the archive: OEM code page, backslashes
    std::string hostPath; // empty for a folder
    std::uint64_t size = 0;
    bool isDir = false;
};

struct PackageInput {
    std::string archive; // "data.rar"
    std::vector<Member> members;
    bool named = false; // named by the publisher: never renamed
};

struct Archive {
    std::string name;
    std::vector<Member> members;
    std::uint64_t unpacked = 0; // bytes of the files: the size of its SOURCE entry
    std::uint64_t bytes = 0;    // size of the archive file
    std::size_t package = 0;    // index into the packages planned
    int part = 1;               // 1, 2, ... when the package is split
};

struct Disc {
    std::vector<Archive> archives;
    std::uint64_t used = 0;
};

struct PlanRules {
    std::uint64_t capacity = 0;
    std::uint64_t block = 1; // every file takes whole blocks of this size (2048 in an image)
    // Bytes of disc n (0-based) taken before any package: set-up files, tables, file system.
    std::function<std::uint64_t(std::size_t disc)> reserved;
};

// Exact size of a stored RAR 4 archive holding these members.
std::uint64_t ArchiveBytes(const std::vector<Member>& members);
std::uint64_t MemberBytes(const Member& m);
std::uint64_t RoundUp(std::uint64_t bytes, std::uint64_t block);

bool PlanDiscs(const std::vector<PackageInput>& packages, const PlanRules& rules, std::vector<Disc>* discs,
               std::string* error);

} // namespace mkdisc
