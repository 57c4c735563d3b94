// How the game's files are cut into packages and spread over discs: packages never straddle a disc,
// and a package that does not fit the space left on a disc is split at a file boundary.
#pragma once

#include <cstdint>
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
};

struct Archive {
    std::string name;
    std::vector<Member> members;
    std::uint64_t unpacked = 0; // bytes of the files: the size of its SOURCE entry
    std::uint64_t bytes = 0;    // size of the archive file
};

struct Disc {
    std::vector<Archive> archives;
    std::uint64_t used = 0;
};

// Exact size of a stored RAR 4 archive holding these members.
std::uint64_t ArchiveBytes(const std::vector<Member>& members);
std::uint64_t MemberBytes(const Member& m);

// firstDiscReserved: bytes of disc 1 taken by the set-up files; everyDiscReserved: on every disc.
bool PlanDiscs(const std::vector<PackageInput>& packages, std::uint64_t capacity,
               std::uint64_t firstDiscReserved, std::uint64_t everyDiscReserved, std::vector<Disc>* discs,
               std::string* error);

} // namespace mkdisc
