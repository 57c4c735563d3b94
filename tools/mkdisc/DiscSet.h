// What goes on each disc, down to the byte: the packages planned over the discs, the set-up files,
// the media and every language's completed strings.txt. Planning repeats until every disc, measured
// with its final tables and names, fits its capacity.
#pragma once

#include "Description.h"
#include "DiscPlan.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace mkdisc {

struct Inputs {
    std::filesystem::path game, media, programs, description;
};

struct DiscFile {
    std::string path;     // on the disc, '/' separated, UTF-8
    std::string hostPath; // copied from here, or
    std::string text;     // made of these bytes (markers, strings.txt), or
    int archive = -1;     // the package of this index on the disc
    std::uint64_t size = 0;
};

struct DiscLayout {
    std::vector<DiscFile> files;
    std::vector<Archive> archives;
};

// The bytes a disc takes on its medium: the sum of its files for a folder, the image for an ISO.
using Measure =
    std::function<bool(const DiscLayout& disc, std::size_t index, std::uint64_t* bytes, std::string* error)>;

struct DiscSet {
    Description description;
    std::vector<DiscLayout> discs;
    std::vector<std::uint64_t> measured; // bytes of each disc as Measure gave them
    std::uint64_t spaceNeedBytes = 0;
    std::uint64_t payload = 0;      // bytes to be written, for progress
    std::vector<std::string> notes; // what the publisher should know (renamed packages)
    std::string label;              // volume label of the images, before "_N"
};

// Reads the inputs and lays the discs out; `work` takes the generated presets. `block` is the unit
// in which the medium allocates files (1 for folders, 2048 for images). False with a message.
bool LayOut(const Inputs& in, const std::filesystem::path& work, std::uint64_t block, const Measure& measure,
            DiscSet* set, std::string* error);

// The sum of the files' sizes: what a disc folder takes.
bool MeasureFolder(const DiscLayout& disc, std::size_t index, std::uint64_t* bytes, std::string* error);

// The marker file of disc n (1-based) and its contents.
std::string MarkerName(std::size_t n);
std::string MarkerText(std::size_t n);

} // namespace mkdisc
