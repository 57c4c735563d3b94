// Disc images: ISO 9660 with Joliet names (what Windows reads) and Rock Ridge, made by libisofs.
// The same tree is built to measure an image before anything is written and to write it, so the
// planned size is the written size.
#pragma once

#include "DiscSet.h"
#include "Progress.h"

#include <filesystem>
#include <string>

namespace mkdisc {

constexpr std::uint64_t kImageBlock = 2048;

// Starts libisofs once (and ends it at exit), for writing and for reading images.
void StartIsoLibrary();

// The bytes of the image of a disc laid out as `disc`.
bool MeasureImage(const DiscLayout& disc, const std::string& volumeId, std::uint64_t* bytes,
                  std::string* error);

// Writes the image of a disc whose files are in `folder` (as WriteDisc left them) to `image`.
bool WriteImage(const DiscLayout& disc, const std::filesystem::path& folder, const std::string& volumeId,
                const std::filesystem::path& image, Progress* progress, std::uint64_t* bytes,
                std::string* error);

} // namespace mkdisc
