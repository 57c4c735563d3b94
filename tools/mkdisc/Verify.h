// The check of a finished disc set: what the installer relies on, disc by disc.
#pragma once

#include "DiscView.h"
#include "Progress.h"

#include <memory>
#include <string>
#include <vector>

namespace mkdisc {

// Checks one set (disc 1 first); appends one line per problem. True when all holds.
bool VerifySet(std::vector<std::unique_ptr<DiscView>>& discs, Progress* progress,
               std::vector<std::string>* problems, std::size_t* packages);

// The bytes of the packages a set names, for progress.
std::uint64_t PackageBytes(std::vector<std::unique_ptr<DiscView>>& discs);

} // namespace mkdisc
