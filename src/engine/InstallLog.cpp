#include "engine/InstallLog.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Files.h"
#include "shell/Registry.h"
#include "shell/Text.h"

#include <cctype>
#include <cstdio>
#include <set>

namespace installlog {

std::string PathIn(const std::string& gameDir) {
    return text::Fit(gameDir + "\\" + kFileName, text::kMaxPath);
}

bool Write(const std::string& path, const std::vector<std::string>& entries) {
    FILE* f = os::OpenFile(path.c_str(), "wt");
    if (!f) return false;
    for (const std::string& e : entries)
        std::fprintf(f, "%s\n", e.c_str());
    return std::fclose(f) == 0;
}

static std::string Folded(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> Merge(const std::vector<std::string>& earlier,
                               const std::vector<std::string>& added) {
    std::vector<std::string> out = earlier;
    std::set<std::string> known;
    for (const std::string& e : earlier)
        known.insert(Folded(e));
    for (const std::string& e : added)
        if (known.insert(Folded(e)).second) out.push_back(e);
    return out;
}

} // namespace installlog

// True when InstallDir is recorded and both its install.log and its uninstall.exe exist.
bool CInstaller::IsAlreadyInstalled() {
    const char* dir = ReadInstallDir();
    if (!dir) return false;
    std::string log = text::Fit(std::string(dir) + "//install.log", text::kMaxPath);
    std::string uninstaller = text::Fit(std::string(dir) + "//uninstall.exe", text::kMaxPath);
    return FileExists(log.c_str()) && FileExists(uninstaller.c_str());
}
