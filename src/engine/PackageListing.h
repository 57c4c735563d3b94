// The members of a package, read through the extractor library in list mode before the package is
// unpacked (so that what it will replace can be kept aside first).
#pragma once

#include <string>
#include <vector>

struct PackageMember {
    std::string name; // as stored, OEM code page
    bool isFolder;
};

// False when the library is not there or the package cannot be opened.
bool ListPackage(const char* package, std::vector<PackageMember>* members);
