#include "shell/Files.h"

#include "platform/Os.h"
#include "shell/Text.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace {

// The steps of a path (separators either way), and whether each is a name a folder may have.
bool PlainSteps(const std::string& path) {
    if (path.empty()) return false;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find_first_of("\\/", start);
        std::string step = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (step.empty() || step == "." || step == "..") return false;
        for (char c : step)
            if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c)) return false;
        if (end == std::string::npos) return true;
        start = end + 1;
        if (start == path.size()) return true; // a final separator
    }
}

} // namespace

bool IsPlainAbsoluteFolder(const std::string& path) {
    return path.size() > 3 && path.size() < text::kMaxPath && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/') && PlainSteps(path.substr(3));
}

bool IsPlainRelativeName(const std::string& name) {
    return !name.empty() && name[0] != '\\' && name[0] != '/' && PlainSteps(name);
}

std::string ModuleFolder() {
    std::string module = os::ModulePath();
    std::size_t cut = module.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : module.substr(0, cut);
}

bool FileExists(const char* nameOrPattern) {
    return os::FindFirstExists(nameOrPattern);
}

const char* FindDiscMarker(const char* fileName) {
    static char drive[3];
    char drives[text::kMaxPath] = {};
    std::uint32_t n = os::LogicalDriveStrings(drives, sizeof drives - 1);
    if (n >= sizeof drives) n = 0; // the list did not fit
    for (std::uint32_t i = 0; i + 3 <= n && drives[i]; i += 4) {
        if (os::DriveType(drives + i) != os::kDriveCdrom) continue;
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drives[i])));
        std::string path = text::Fit(std::string(1, letter) + ":\\" + fileName, text::kMaxPath);
        if (os::FindFirstExists(path.c_str())) {
            drive[0] = letter;
            drive[1] = ':';
            drive[2] = '\0';
            return drive;
        }
    }
    return nullptr;
}

std::uint64_t FreeDiskBytes(const char* path) {
    // Only a drive root tells the disk; a relative path tells nothing.
    if (std::strlen(path) < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return 0;
    std::string root(path, 3);
    std::uint64_t available = 0;
    int r = os::FreeSpaceEx(root.c_str(), &available);
    if (r == 1) return available;
    if (r == 0) return 0;
    std::uint32_t sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0;
    if (!os::FreeSpaceLegacy(root.substr(0, 2).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters))
        return 0;
    // Multiplied in 64 bits: the product of the three overflows 32 bits on a disk with 4 GiB free.
    return static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
}

void DeleteTree(const char* folder) {
    std::string base(folder);
    for (const os::DirEntry& e : os::ListDir((base + "\\*.*").c_str())) {
        if (e.name == "." || e.name == "..") continue;
        std::string path = base + "\\" + e.name;
        if (e.isDir) {
            DeleteTree(path.c_str());
        } else {
            os::SetFileAttrs(path.c_str(), os::kAttrNormal);
            os::FileDelete(path.c_str());
        }
    }
    os::SetFileAttrs(folder, os::kAttrNormal);
    os::RemoveDir(folder);
}

void CollapseSeparators(std::string& path) {
    std::size_t i = 1;
    while (i < path.size()) {
        char a = path[i - 1], b = path[i];
        if ((a == '\\' && b == '\\') || (a == '/' && b == '/')) {
            path.erase(i - 1, 1);
            i += 2;
        } else {
            i += 1;
        }
    }
}

bool MakeDirs(const char* path) {
    std::string p = text::Fit(path, text::kMaxPath);
    for (char& c : p)
        if (c == '\\') c = '/';
    // A trailing separator names the same folder; creating "x/" after "x" would report a failure.
    while (p.size() > 3 && p.back() == '/')
        p.pop_back();

    std::vector<std::size_t> cuts; // slash positions cut away, from the right
    std::string existing = p;
    bool found = false;
    while (!existing.empty()) {
        if (os::SetCurrentDir(existing.c_str())) {
            found = true;
            break;
        }
        std::size_t slash = existing.find_last_of('/');
        if (slash == std::string::npos) break;
        cuts.push_back(slash);
        existing.resize(slash);
    }
    if (found && cuts.empty()) return false; // the whole path exists: nothing was created

    // The deepest cut that still exists is the prefix found; create every level below it.
    std::size_t first = found ? cuts.size() - 1 : cuts.size();
    for (std::size_t i = first; i-- > 0;)
        os::CreateDir(p.substr(0, cuts[i]).c_str());
    return os::CreateDir(p.c_str());
}

bool MakeDirsWide(const std::u16string& path) {
    auto create = [](const std::u16string& p) {
        return os::CreateDirWide(p) || os::CreateDir(os::WideToAnsi(p).c_str());
    };
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == u'\\') create(path.substr(0, i));
    return create(path);
}
