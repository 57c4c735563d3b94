// How packages are named. A name travels in a SOURCE entry ("cd1:data.rar 1234", split at the first
// blank), in every language's code page and on the disc's file system, so it is ASCII without blanks;
// and no two files on a disc set may share a name without regard to case.
#pragma once

#include <map>
#include <string>

namespace mkdisc {

// The package of a top-level folder: "My Mods" gives "my_mods.rar". False with a message for a
// name that has no ASCII form (characters outside ASCII, or nothing left).
bool DerivedArchiveName(const std::string& folder, std::string* archive, std::string* error);

// A name given by the publisher: printable ASCII, no blank, nothing Windows refuses in a file name.
bool ArchiveNameIsUsable(const std::string& name, std::string* why);

// Part n of a package split over discs: "data.rar", "data2.rar", "data3.rar", ...
std::string PartName(const std::string& archive, int part);

// The names of a disc set's files, compared without regard to case.
class NameBook {
  public:
    // False (and the name stays with its first owner) when the name is taken; *owner then names it.
    bool Take(const std::string& name, const std::string& what, std::string* owner);
    bool IsFree(const std::string& name) const;

  private:
    std::map<std::string, std::string> taken; // lower-case name -> what holds it
};

} // namespace mkdisc
