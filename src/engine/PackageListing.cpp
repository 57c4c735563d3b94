#include "engine/PackageListing.h"

#include "engine/Extractor.h"
#include "engine/ExtractorApi.h"
#include "platform/Os.h"
#include "shell/Files.h"
#include "shell/Text.h"

#include <cstring>

bool ListPackage(const char* package, std::vector<PackageMember>* members) {
    members->clear();
    // The library the extraction binds: loading it again only counts up its use.
    os::Handle library = os::LoadLibraryPath(ExtractorLibraryPath().c_str());
    if (!library) return false;
    auto open = reinterpret_cast<extractor::OpenArchiveFn>(os::LibrarySymbol(library, "RAROpenArchive"));
    auto close = reinterpret_cast<extractor::CloseArchiveFn>(os::LibrarySymbol(library, "RARCloseArchive"));
    auto readHeader = reinterpret_cast<extractor::ReadHeaderFn>(os::LibrarySymbol(library, "RARReadHeader"));
    auto processFile =
        reinterpret_cast<extractor::ProcessFileFn>(os::LibrarySymbol(library, "RARProcessFile"));
    if (!open || !close || !readHeader || !processFile) return false;

    extractor::OpenArchiveData openData;
    std::memset(&openData, 0, sizeof openData);
    std::string name = package;
    openData.ArcName = name.data();
    openData.OpenMode = extractor::kOpenList;
    void* archive = open(&openData);
    if (!archive) return false;
    extractor::HeaderData header;
    std::memset(&header, 0, sizeof header);
    bool whole = false;
    for (;;) {
        int r = readHeader(archive, &header);
        if (r != extractor::kSuccess) {
            whole = r == extractor::kEndArchive;
            break;
        }
        if (!std::memchr(header.FileName, '\0', sizeof header.FileName)) break;
        members->push_back({header.FileName, (header.Flags & extractor::kFlagDirectory) != 0});
        if (processFile(archive, extractor::kSkip, nullptr, nullptr) != extractor::kSuccess) break;
    }
    close(archive);
    return whole;
}
