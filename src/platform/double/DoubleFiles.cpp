// The test double's files, folders and drives: Windows paths on host folders, a drive letter a folder.
#include "platform/double/DoubleInternal.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {
using namespace testdouble;

bool SetCurrentDir(const char* path) {
    ++Double().folderChanges;
    std::string host = HostPath(path);
    if (!IsDir(host)) return false;
    Double().currentDir = Absolute(path);
    return true;
}

std::string GetCurrentDir() {
    return Double().currentDir;
}

FILE* OpenFile(const char* path, const char* mode) {
    ++Double().fileOpens;
    std::string host = HostPath(path);
    if (host.empty()) return nullptr;
    std::string m;
    for (const char* p = mode; *p; ++p)
        if (*p != 't') m += *p; // text mode is the host's default
    return std::fopen(host.c_str(), m.c_str());
}

static std::vector<DirEntry> Match(const char* pattern) {
    std::vector<DirEntry> out;
    std::string p(pattern);
    size_t cut = p.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? std::string(".") : p.substr(0, cut + 1);
    std::string mask = cut == std::string::npos ? p : p.substr(cut + 1);
    std::string hostFolder = HostPath(folder);
    if (mask.find_first_of("*?") == std::string::npos) {
        std::string host = HostPath(p);
        if (Exists(host)) out.push_back({mask, IsDir(host)});
        return out;
    }
    if (mask == "*.*") mask = "*";
    DIR* dir = opendir(hostFolder.c_str());
    if (!dir) return out;
    std::vector<DirEntry> found;
    while (dirent* e = readdir(dir)) {
        if (fnmatch(mask.c_str(), e->d_name, FNM_CASEFOLD) != 0) continue;
        found.push_back({e->d_name, IsDir(hostFolder + "/" + e->d_name)});
    }
    closedir(dir);
    std::sort(found.begin(), found.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return found;
}

bool FindFirstExists(const char* nameOrPattern) {
    return !Match(nameOrPattern).empty();
}
std::vector<DirEntry> ListDir(const char* pattern) {
    return Match(pattern);
}

bool CreateDir(const char* path) {
    std::string host = HostPath(path);
    return !host.empty() && mkdir(host.c_str(), 0777) == 0;
}

bool CreateDirWide(const std::u16string& path) {
    return CreateDir(WideToAnsi(path).c_str());
}

bool CreatePrivateDir(const char* path) {
    std::string host = HostPath(path);
    if (host.empty() || mkdir(host.c_str(), 0700) != 0) return false;
    Double().privateDirs.push_back(path);
    return true;
}

bool FileCopy(const char* from, const char* to, bool failIfExists) {
    std::string src = HostPath(from), dst = HostPath(to);
    if (src.empty() || dst.empty() || IsDir(src) || (failIfExists && Exists(dst))) return false;
    FILE* in = std::fopen(src.c_str(), "rb");
    if (!in) return false;
    struct stat st;
    if (stat(dst.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) {
        std::fclose(in);
        return false; // a read-only target cannot be overwritten
    }
    FILE* out = std::fopen(dst.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        std::fwrite(buffer, 1, n, out);
    std::fclose(in);
    return std::fclose(out) == 0;
}

bool SetFileAttrs(const char* path, std::uint32_t attrs) {
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || stat(host.c_str(), &st) != 0) return false;
    mode_t mode = (attrs & kAttrReadOnly) ? (st.st_mode & ~0222) : (st.st_mode | S_IWUSR);
    return chmod(host.c_str(), mode) == 0;
}

static bool Locked(const char* path) {
    return Double().lockedFiles.count(Lower(Absolute(path))) != 0;
}

bool FileDelete(const char* path) {
    if (Locked(path)) return false;
    std::string host = HostPath(path);
    struct stat st;
    if (host.empty() || stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (!(st.st_mode & S_IWUSR)) return false; // Windows refuses to delete a read-only file
    // Wine deletes the file a link to a file leads to, not the link.
    char real[PATH_MAX];
    if (Double().fileLinksUnmarked && realpath(host.c_str(), real)) return unlink(real) == 0;
    return unlink(host.c_str()) == 0;
}

bool RemoveDir(const char* path) {
    std::string host = HostPath(path);
    return !host.empty() && rmdir(host.c_str()) == 0;
}

bool DeleteAtReboot(const char* path) {
    Double().deleteAtReboot.push_back(path);
    return true;
}

bool IsReparsePoint(const char* path) {
    struct stat st;
    std::string host = HostPath(path);
    return !host.empty() && lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
           !(Double().fileLinksUnmarked && !IsDir(host));
}

std::string FinalPath(const char* path) {
    char real[PATH_MAX];
    std::string host = HostPath(path);
    if (Double().noFinalPath || host.empty() || !realpath(host.c_str(), real)) return std::string();
    // Back to a Windows path through the drive whose folder holds it; a host path stays as it is, and
    // matches no Windows path.
    std::string r = real;
    for (auto& [letter, folder] : Double().drives) {
        char root[PATH_MAX];
        if (!realpath(folder.c_str(), root)) continue;
        std::string f = root;
        if (r.compare(0, f.size(), f) != 0 || (r.size() > f.size() && r[f.size()] != '/')) continue;
        std::string win = std::string("\\\\?\\") + letter + ":" + (r.size() > f.size() ? "" : "\\");
        for (std::size_t i = f.size(); i < r.size(); ++i)
            win += r[i] == '/' ? '\\' : r[i];
        return win;
    }
    return r;
}

bool RemoveLink(const char* path) {
    return IsReparsePoint(path) && unlink(HostPath(path).c_str()) == 0;
}

bool MoveOnDisk(const char* from, const char* to, bool replace) {
    std::string src = HostPath(from), dst = HostPath(to);
    if (Double().movesFail || Locked(from) || Locked(to) || src.empty() || dst.empty() || !Exists(src))
        return false;
    if (Exists(dst)) {
        // Windows replaces a file, never a folder, and no read-only file.
        struct stat st;
        if (!replace || IsDir(dst) || (stat(dst.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR))) return false;
    }
    if (std::rename(src.c_str(), dst.c_str()) != 0) return false;
    Double().diskOrder.push_back(std::string("move ") + from);
    return true;
}

bool FlushToDisk(FILE* file) {
    if (!file || std::fflush(file) != 0) return false;
    ++Double().diskFlushes;
    Double().diskOrder.push_back("flush");
    return fsync(fileno(file)) == 0;
}

bool ShortPathWide(const std::u16string& path, std::u16string* shortPath) {
    if (!Exists(HostPath(WideToAnsi(path)))) return false;
    *shortPath = path; // the double has no 8.3 names: the short form is the long one
    return true;
}

bool ShortPath(const char* path, std::string* shortPath) {
    if (!Exists(HostPath(path))) return false;
    *shortPath = path;
    return true;
}

std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t size) {
    std::string all;
    for (auto& [letter, folder] : Double().drives) {
        all += letter;
        all += ":\\";
        all += '\0';
    }
    if (all.size() + 1 > size) return static_cast<std::uint32_t>(all.size() + 1);
    std::memcpy(buffer, all.data(), all.size());
    buffer[all.size()] = '\0';
    return static_cast<std::uint32_t>(all.size());
}

std::uint32_t DriveType(const char* root) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    auto it = Double().driveTypes.find(letter);
    if (it != Double().driveTypes.end()) return it->second;
    return Double().drives.count(letter) ? kDriveFixed : 1;
}

int FreeSpaceEx(const char* root, std::uint64_t* availableToCaller) {
    if (!Double().hasFreeSpaceEx) return -1;
    Double().freeSpaceRoots.push_back(std::string("Ex ") + root);
    if (std::strlen(root) < 3 || root[1] != ':' || !IsSep(root[2])) return 0;
    auto it = Double().freeBytes.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
    if (it == Double().freeBytes.end()) return 0;
    *availableToCaller = it->second;
    return 1;
}

bool FreeSpaceLegacy(const char* root, std::uint32_t* spc, std::uint32_t* bps, std::uint32_t* freeClusters) {
    Double().freeSpaceRoots.push_back(std::string("Legacy ") + root);
    if (std::strlen(root) < 2 || root[1] != ':') return false;
    *spc = Double().legacySectorsPerCluster;
    *bps = Double().legacyBytesPerSector;
    *freeClusters = Double().legacyFreeClusters;
    return true;
}

} // namespace os
