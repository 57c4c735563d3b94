#include "DiscPlan.h"

#include "PackageNames.h"

namespace mkdisc {

namespace {
constexpr std::uint64_t kArchiveFrame = 7 + 13 + 7; // marker, archive header, end block
std::string Size(std::uint64_t bytes) {
    if (bytes < (1 << 20)) return std::to_string(bytes) + " bytes";
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

std::uint64_t RoundUp(std::uint64_t bytes, std::uint64_t block) {
    return block <= 1 ? bytes : (bytes + block - 1) / block * block;
}

bool PlanDiscs(const std::vector<PackageInput>& packages, const PlanRules& rules, std::vector<Disc>* discs,
               std::string* error) {
    discs->clear();
    const std::uint64_t capacity = rules.capacity;
    auto startDisc = [&]() -> bool {
        std::uint64_t reserved = rules.reserved(discs->size());
        if (reserved + RoundUp(kArchiveFrame, rules.block) > capacity) {
            *error = "the set-up files of disc " + std::to_string(discs->size() + 1) + " alone (" +
                     Size(reserved) + ") fill a disc of " + Size(capacity);
            return false;
        }
        discs->push_back({{}, reserved});
        return true;
    };
    if (!startDisc()) return false;
    for (std::size_t index = 0; index < packages.size(); ++index) {
        const PackageInput& p = packages[index];
        int part = 1;
        Archive current{PartName(p.archive, part), {}, 0, kArchiveFrame, index, part};
        auto fits = [&](std::uint64_t more) {
            return discs->back().used + RoundUp(current.bytes + more, rules.block) <= capacity;
        };
        auto flush = [&] {
            if (current.members.empty()) return;
            discs->back().used += RoundUp(current.bytes, rules.block);
            discs->back().archives.push_back(current);
            ++part;
            current = Archive{PartName(p.archive, part), {}, 0, kArchiveFrame, index, part};
        };
        for (const Member& m : p.members) {
            std::uint64_t need = MemberBytes(m);
            if (!fits(need)) {
                flush();
                if (!fits(need)) {
                    if (rules.reserved(discs->size()) + RoundUp(kArchiveFrame + need, rules.block) >
                        capacity) {
                        *error = "\"" + (m.hostPath.empty() ? m.name : m.hostPath) + "\" (" + Size(m.size) +
                                 ") is larger than a disc of " + Size(capacity) +
                                 " can hold beside the set-up files";
                        return false;
                    }
                    if (!startDisc()) return false;
                }
            }
            current.members.push_back(m);
            current.bytes += need;
            current.unpacked += m.size;
        }
        flush();
    }
    return true;
}

} // namespace mkdisc
