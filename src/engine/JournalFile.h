// The on-disk form of the install journal: a text file "~setup-journal" in the target folder, a record
// a line, written before what it records is done. A kill or a power loss can cut the file anywhere:
// reading stops at the first line that is not whole, and what was read is still a valid journal.
#pragma once

#include <string>
#include <vector>

namespace journal {

constexpr const char* kFileName = "~setup-journal";
constexpr const char* kMagic = "Brightvale install journal 1";

struct Record {
    enum Kind { Folder, File, Replaced, Done } kind;
    std::string path; // full path; Done: the name of the completed part
    std::string kept; // Replaced: where the old content is kept
};

struct Contents {
    std::string target;      // the game folder
    std::string media;       // the language's media folder
    bool desktopIcon = true; // the player's choice on the options page
    std::vector<Record> records;
};

// The first lines: the magic line and the installation's settings.
std::string Header(const Contents& contents);
// One record as a line, ending with its line feed.
std::string Line(const Record& record);
// Reads a journal file's bytes; records end at the first line that is incomplete or malformed.
// False when the bytes are not a journal (no magic line, no target).
bool Parse(const std::string& bytes, Contents* out);

// The names of the parts of an installation besides the packages (which are named by their index).
constexpr const char* kMainPart = "main";
constexpr const char* kPresetPart = "preset";
constexpr const char* kFinishPart = "finish";

} // namespace journal
