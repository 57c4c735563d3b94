// The test double's shell: special folders, documents opened, the folder browser and shell links.
#include "platform/double/DoubleInternal.h"

#include <cstdio>

namespace os {
using namespace testdouble;

bool SpecialFolderWide(int csidl, std::u16string* path) {
    auto it = Double().specialFolders.find(csidl);
    if (it == Double().specialFolders.end()) return false;
    *path = it->second;
    return true;
}

void ShellOpen(Window, const char* file) {
    Double().opened.push_back(file);
}

bool BrowseForFolder(Window, const std::u16string& title, std::uint32_t flags, bool wide,
                     std::u16string* chosen) {
    Double().browseCalls.push_back({flags, wide});
    Double().browseTitle = title;
    if (!Double().browseChooses) return false;
    *chosen = Double().browseResult;
    return true;
}

ShellLinkResult SaveShellLink(bool wide, const std::u16string& target, const std::u16string& description,
                              const std::u16string& workingDir, const std::u16string& linkFile) {
    if (Double().linkCreateFails) return {false, static_cast<std::int32_t>(0x80040154u)};
    Double().links.push_back({wide, target, description, workingDir, linkFile});
    if (Double().linkSaveResult == 0) {
        if (FILE* f = OpenFile(WideToAnsi(linkFile).c_str(), "wb")) std::fclose(f);
    }
    return {true, Double().linkSaveResult};
}

} // namespace os
