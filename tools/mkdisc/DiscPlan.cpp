#include "DiscPlan.h"

namespace mkdisc {

namespace {
constexpr std::uint64_t kArchiveFrame = 7 + 13 + 7; // marker, archive header, end block
std::string PartName(const std::string& archive, int part) {
    if (part == 1) return archive;
    std::size_t dot = archive.rfind('.');
    std::string stem = dot == std::string::npos ? archive : archive.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : archive.substr(dot);
    return stem + std::to_string(part) + ext;
}
std::string Mib(std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
}
} // namespace

std::uint64_t MemberBytes(const Member& m) {
    return 32 + m.name.size() + (m.size > 0xFFFFFFFFull ? 8 : 0) + m.size;
}

std::uint64_t ArchiveBytes(const std::vector<Member>& members) {
    std::uint64_t total = kArchiveFrame;
    for (const Member& m : members)
        total += MemberBytes(m);
    return total;
}

bool PlanDiscs(const std::vector<PackageInput>& packages, std::uint64_t capacity,
               std::uint64_t firstDiscReserved, std::uint64_t everyDiscReserved, std::vector<Disc>* discs,
               std::string* error) {
    discs->clear();
    if (firstDiscReserved + everyDiscReserved + kArchiveFrame > capacity) {
        *error = "the set-up files alone (" + Mib(firstDiscReserved + everyDiscReserved) +
                 ") fill a disc of " + Mib(capacity);
        return false;
    }
    discs->push_back({{}, firstDiscReserved + everyDiscReserved});
    for (const PackageInput& p : packages) {
        int part = 1;
        Archive current{PartName(p.archive, part), {}, 0, kArchiveFrame};
        auto flush = [&] {
            if (current.members.empty()) return;
            discs->back().used += current.bytes;
            discs->back().archives.push_back(current);
            current = Archive{PartName(p.archive, ++part), {}, 0, kArchiveFrame};
        };
        for (const Member& m : p.members) {
            std::uint64_t need = MemberBytes(m);
            if (everyDiscReserved + kArchiveFrame + need > capacity) {
                *error = "\"" + (m.hostPath.empty() ? m.name : m.hostPath) + "\" (" + Mib(m.size) +
                         ") is larger than a disc of " + Mib(capacity);
                return false;
            }
            if (discs->back().used + current.bytes + need > capacity) {
                flush();
                if (discs->back().used + current.bytes + need > capacity)
                    discs->push_back({{}, everyDiscReserved});
            }
            current.members.push_back(m);
            current.bytes += need;
            current.unpacked += m.size;
        }
        // An empty package (an empty folder of the game) still becomes an archive of its folder.
        if (!current.members.empty()) flush();
    }
    return true;
}

} // namespace mkdisc
