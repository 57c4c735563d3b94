// A finished disc as the installer will see it: a disc folder, or an image read through its Joliet
// names. Paths are looked up without regard to case, with '\' or '/'.
#pragma once

#include "RarReader.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace mkdisc {

class DiscView {
  public:
    virtual ~DiscView() = default;
    const std::string& name() const { return label; }
    bool Exists(const std::string& path) const;
    // The bytes of a small file; false when it is missing or cannot be read.
    bool Read(const std::string& path, std::string* bytes);
    // Random access to a file's bytes, for the archive reader; null when it is missing.
    virtual std::unique_ptr<rar::Source> Open(const std::string& path) = 0;

    // The discs in a folder: its disc folders (disc1, disc2, ...) and, as a second set, its images
    // (disc1.iso, ...). False with a message when an image cannot be read.
    static bool FindSets(const std::filesystem::path& folder,
                         std::vector<std::vector<std::unique_ptr<DiscView>>>* sets, std::string* error);

  protected:
    static std::string Key(const std::string& path);
    std::string label;
    std::vector<std::string> files; // keys of every file
};

} // namespace mkdisc
