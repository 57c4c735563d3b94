// A language's strings.txt as mkdisc completes it: the entries it writes replace any earlier ones and
// are encoded as the rest of the file (the language's ANSI code page, or UTF-16LE after FF FE).
#pragma once

#include <string>
#include <vector>

namespace mkdisc {

class StringsFile {
  public:
    // bytes: the file as read; codePage: the language's ANSI code page, for an ANSI file.
    StringsFile(std::string bytes, std::string codePage);

    bool wide() const { return isWide; }
    const std::string& codePage() const { return ansi; }
    // The value of a key, last occurrence, as UTF-8 (characters the code page lacks become '?').
    std::string Value(const std::string& key) const;
    // The file without the lines of the keys mkdisc writes (SOURCEn, SPACE_NEED, ADD_INSTALL_n,
    // CONFIRM_ADD_INSTALL_n) and with `lines` (UTF-8, CRLF ends) appended in the file's encoding;
    // false with a message when a character has no place in it.
    bool Complete(const std::string& lines, std::string* bytes, std::string* error) const;

    // The characters the installer's table takes to hold this file's keys and values (ANSI bytes
    // counted as characters, so never fewer than it takes).
    std::size_t InstallerChars() const;

    // Keys mkdisc owns.
    static bool IsWrittenKey(const std::string& key);

  private:
    struct Line {
        std::size_t begin, end; // byte range in `raw`, end after the line feed
        std::string key;        // ASCII key; non-ASCII keys are never ours
    };
    std::string raw;
    std::string ansi;
    bool isWide = false;
    std::vector<Line> lines;
};

} // namespace mkdisc
