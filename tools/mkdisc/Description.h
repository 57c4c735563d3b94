// The disc description: what a publisher tells mkdisc beyond the game folder itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkdisc {

struct PackageRule {
    std::string archive;              // e.g. "data.rar"
    std::vector<std::string> entries; // top-level names of the game folder it takes
};

struct Additional {
    std::string program;  // path of the program, relative to the description
    std::string question; // CONFIRM_ADD_INSTALL text; empty for none
};

struct Description {
    std::uint64_t capacity = 650ull << 20;
    std::string mainExecutable;        // top-level file of the game folder; found when empty
    std::vector<PackageRule> packages; // in disc order; the rest get one package per top-level folder
    std::string presetLow, presetHigh; // folders whose files become settingsLow.pak / settingsHigh.pak
    std::vector<Additional> additional;
    std::vector<std::string> companions; // more files for every disc
    std::string oemCodePage = "CP437";   // member names are stored in it
    std::string label;                   // volume label of the images: LABEL_1, LABEL_2, ...
    std::string baseDir;                 // folder of the description file: relative paths start there
};

// Parses the description; false with a message naming the line on a mistake.
bool ParseDescription(const std::string& text, const std::string& baseDir, Description* out,
                      std::string* error);
// A volume label: A-Z, 0-9 and '_', at most 14 characters, so that with "_N" it fits the 16
// characters of a Joliet label.
bool LabelIsUsable(const std::string& label);
// The label of a set without one: the last part of GAME_DIR (or APP_TITLE) in those characters.
std::string DefaultLabel(const std::string& gameDir, const std::string& appTitle);
// Sizes like "650M", "4G", "123456".
bool ParseSize(const std::string& text, std::uint64_t* bytes);

} // namespace mkdisc
