// The members of a package, read through the extractor library in list mode before the package is
// unpacked (so that what it will replace can be kept aside first).
#pragma once

#include <string>
#include <vector>

struct PackageMember {
    std::string name; // as stored, OEM code page
    bool isFolder;
};

// False when the library is not there, the package cannot be opened, or it cannot be listed to its
// end (a damaged header, a name longer than the record): such a package is not to be unpacked at all.
bool ListPackage(const char* package, std::vector<PackageMember>* members);
