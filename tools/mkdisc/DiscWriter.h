// Writing the laid-out discs, and putting a finished set in place of an earlier one.
#pragma once

#include "DiscSet.h"
#include "Progress.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mkdisc {

// Writes a disc into `folder`. Every file is checked against the plan: a game file that changed
// since it was read is a failure, not a disc with a wrong size in its table.
bool WriteDisc(const DiscLayout& disc, const std::filesystem::path& folder, Progress* progress,
               std::string* error);

// Moves `names` (disc1, disc2, ..., disc1.iso, ...) from `work` into `out`. Whatever of an earlier set
// is in `out` (disc1..disc9, disc1.iso..disc9.iso) is moved aside first and brought back when any
// move fails, so `out` holds either the earlier set or the new one, never a mixture or neither.
bool PutInPlace(const std::filesystem::path& work, const std::filesystem::path& out,
                const std::vector<std::string>& names, std::string* error);

} // namespace mkdisc
