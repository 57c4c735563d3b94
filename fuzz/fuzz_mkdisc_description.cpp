// libFuzzer target: mkdisc's description parser, and the disc plan for the capacity it reads. A
// description is accepted whole or refused with a message naming the line; a plan never puts more on
// a disc than it holds.
#include "Description.h"
#include "DiscPlan.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    mkdisc::Description d;
    std::string error;
    if (!mkdisc::ParseDescription(text, "/base", &d, &error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    if (d.capacity == 0 || d.additional.size() > 16 || d.baseDir != "/base") __builtin_trap();
    for (const mkdisc::PackageRule& p : d.packages)
        if (p.archive.empty() || p.entries.empty()) __builtin_trap();

    // A small game planned onto discs of the capacity read.
    std::vector<mkdisc::PackageInput> packages(2);
    packages[0].archive = d.packages.empty() ? "base.rar" : d.packages[0].archive;
    packages[0].named = true;
    packages[0].members = {
        {"readme.txt", "/x", 1200, false}, {"maps", "", 0, true}, {"maps\\a.map", "/y", 70000, false}};
    packages[1].archive = "data.rar";
    packages[1].members = {{"data\\big.bin", "/z", 300000, false}, {"data\\small.bin", "/w", 10, false}};
    mkdisc::PlanRules rules;
    rules.capacity = d.capacity;
    rules.block = 2048;
    rules.reserved = [](std::size_t disc) -> std::uint64_t { return disc == 0 ? 40960 : 4096; };
    std::vector<mkdisc::Disc> discs;
    if (!mkdisc::PlanDiscs(packages, rules, &discs, &error)) return 0;
    for (std::size_t i = 0; i < discs.size(); ++i)
        if (discs[i].used > d.capacity) __builtin_trap(); // used counts the set-up files too
    return 0;
}
