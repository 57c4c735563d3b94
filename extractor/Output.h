// What the stand-in library writes to the file system, behind a small platform layer: names in the
// header record, folder creation and member files.
#pragma once

#include "RarReader.h"

#include <cstdint>
#include <memory>
#include <string>

namespace standin {

// The member's name as the header record reports it (OEM code page, the system's separator).
std::string RecordName(const rar::Member& m);

class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual bool Write(const std::uint8_t* data, std::size_t length) = 0;
    virtual bool Close() = 0;
};

#if defined(_WIN32)
using PathString = std::wstring;
#else
using PathString = std::string;
#endif

// The file system side of one archive's extraction. It remembers the last folder it made or found:
// members come folder by folder, so most of them need no folder checks at all.
class Output {
  public:
    // destination: folder in the OEM code page (may be empty: the current folder).
    // Creates the member's folders; for a folder member the folder itself. 0 or an error code.
    int MakeFolders(const std::string& destination, const rar::Member& m);
    std::unique_ptr<OutputFile> Create(const std::string& destination, const rar::Member& m, int* error);

  private:
    bool MakePath(const PathString& path);
    PathString lastFolder;
};

// The archive opened for reading by its name (ANSI code page).
std::unique_ptr<rar::Source> OpenArchiveFile(const char* name);

} // namespace standin
