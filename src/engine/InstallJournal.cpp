#include "engine/InstallJournal.h"

#include "engine/MemberNames.h"
#include "engine/PackageListing.h"
#include "platform/Os.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/Text.h"

#include <cstdio>
#include <cstring>

CInstallJournal g_journal;

std::string JournalKey(const std::string& path) {
    std::string key;
    for (char c : path) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '\\' && !key.empty() && key.back() == '\\') continue;
        key += c;
    }
    while (key.size() > 3 && key.back() == '\\')
        key.pop_back();
    return key;
}

namespace {

std::string Parent(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/'))
        p.pop_back();
    std::size_t cut = p.find_last_of("\\/");
    if (cut == std::string::npos || cut < 2) return std::string();
    return p.substr(0, cut == 2 ? 3 : cut);
}

// What is at path: 0 nothing, 1 a file, 2 a folder.
int Lookup(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/'))
        p.pop_back();
    if (p.size() <= 3) return 2; // a drive root
    if (p.find_first_of("*?") != std::string::npos) return 0;
    std::vector<os::DirEntry> found = os::ListDir(p.c_str());
    if (found.empty()) return 0;
    return found[0].isDir ? 2 : 1;
}

} // namespace

bool SameFileContent(const std::string& a, const std::string& b) {
    FILE* fa = os::OpenFile(a.c_str(), "rb");
    FILE* fb = os::OpenFile(b.c_str(), "rb");
    bool same = fa && fb;
    static char ba[65536], bb[65536];
    while (same) {
        std::size_t na = std::fread(ba, 1, sizeof ba, fa);
        std::size_t nb = std::fread(bb, 1, sizeof bb, fb);
        if (na != nb || std::memcmp(ba, bb, na) != 0) same = false;
        if (na == 0) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

void CInstallJournal::Reset() {
    *this = CInstallJournal();
}

void CInstallJournal::Begin(const std::string& folder) {
    target = folder;
    records.clear();
    created.clear();
    keptFolder.clear();
    keptCount = 0;
    // A folder made by an earlier attempt is still the installation's own while it exists.
    for (const auto& [key, path] : madeFolders) {
        if (Lookup(path) != 2) continue;
        records.push_back({Record::Folder, path, std::string()});
        created.insert(key);
    }
}

bool CInstallJournal::Created(const std::string& path) const {
    return created.count(JournalKey(path)) != 0;
}

bool CInstallJournal::MakeDirs(const std::string& path) {
    std::vector<std::string> missing; // deepest first
    for (std::string p = path; !p.empty() && Lookup(p) == 0; p = Parent(p))
        missing.push_back(p);
    bool made = ::MakeDirs(path.c_str());
    for (std::size_t i = missing.size(); i-- > 0;) {
        if (Lookup(missing[i]) != 2) continue;
        std::string key = JournalKey(missing[i]);
        madeFolders[key] = missing[i];
        if (created.insert(key).second) records.push_back({Record::Folder, missing[i], std::string()});
    }
    return made;
}

void CInstallJournal::NoteMissingTarget() {
    std::vector<std::string> missing; // deepest first
    for (std::string p = target; !p.empty() && !created.count(JournalKey(p)) && Lookup(p) == 0; p = Parent(p))
        missing.push_back(p);
    for (std::size_t i = missing.size(); i-- > 0;) {
        created.insert(JournalKey(missing[i]));
        records.push_back({Record::Folder, missing[i], std::string()});
    }
}

void CInstallJournal::NoteMissingParents(const std::string& path) {
    std::vector<std::string> missing; // deepest first
    std::string targetKey = JournalKey(target);
    for (std::string p = Parent(path); !p.empty(); p = Parent(p)) {
        std::string key = JournalKey(p);
        if (key.size() <= targetKey.size() || created.count(key) || Lookup(p) != 0) break;
        missing.push_back(p);
    }
    for (std::size_t i = missing.size(); i-- > 0;) {
        created.insert(JournalKey(missing[i]));
        records.push_back({Record::Folder, missing[i], std::string()});
    }
}

void CInstallJournal::PrepareFolder(const std::string& path) {
    std::string key = JournalKey(path);
    if (created.count(key)) return;
    NoteMissingParents(path);
    if (Lookup(path) != 0) return;
    created.insert(key);
    records.push_back({Record::Folder, path, std::string()});
}

bool CInstallJournal::KeepAside(const std::string& path) {
    if (keptFolder.empty()) {
        // A folder of our own inside the target: same disk, and nothing outside the target is touched.
        std::string base = target;
        if (!base.empty() && base.back() != '\\') base += '\\';
        std::string folder;
        for (unsigned n = 0; n < 1000; ++n) {
            folder = base + "~setup-kept";
            if (n) folder += text::Format(16, ".%u", n);
            if (Lookup(folder) == 0) break;
        }
        CollapseSeparators(folder);
        if (!os::CreateDir(folder.c_str())) return false;
        keptFolder = folder;
        created.insert(JournalKey(folder));
        records.push_back({Record::Folder, folder, std::string()});
    }
    char name[16];
    std::snprintf(name, sizeof name, "\\%08u", ++keptCount);
    std::string kept = keptFolder + name;
    if (!os::FileCopy(path.c_str(), kept.c_str(), true) || !SameFileContent(path, kept)) {
        os::FileDelete(kept.c_str());
        return false;
    }
    records.push_back({Record::Replaced, path, kept});
    return true;
}

bool CInstallJournal::PrepareFile(const std::string& path) {
    std::string key = JournalKey(path);
    if (created.count(key)) return true;
    for (const Record& r : records)
        if (r.kind == Record::Replaced && JournalKey(r.path) == key) return true;
    NoteMissingParents(path);
    switch (Lookup(path)) {
    case 0:
        created.insert(key);
        records.push_back({Record::File, path, std::string()});
        return true;
    case 1:
        return KeepAside(path);
    default:
        return true; // a folder stands there: the write fails and nothing of it changes
    }
}

bool CInstallJournal::PreparePackage(const char* package) {
    std::vector<PackageMember> members;
    // A damaged package, or one with a member that would leave the target folder, is refused before
    // any of it is written; the message names the package, which is what a player can report.
    bool usable = ListPackage(package, &members);
    for (const PackageMember& m : members)
        usable = usable && MemberNameIsSafe(m.name.c_str());
    if (!usable) {
        ShowInfo("Cannot process package: %s.", package);
        return false;
    }
    // The library makes the target folder if it is not there yet.
    NoteMissingTarget();
    std::string base = target;
    if (!base.empty() && base.back() != '\\') base += '\\';
    for (const PackageMember& m : members) {
        std::string path = base + os::OemToAnsiText(m.name.c_str());
        CollapseSeparators(path);
        if (m.isFolder) {
            PrepareFolder(path);
        } else if (!PrepareFile(path)) {
            ShowInfo("Cannot keep a copy of %s: the installation stops here.", path.c_str());
            return false;
        }
    }
    return true;
}

void CInstallJournal::Commit() {
    for (const Record& r : records)
        if (r.kind == Record::Replaced) os::FileDelete(r.kept.c_str());
    if (!keptFolder.empty()) os::RemoveDir(keptFolder.c_str());
    Clear();
    madeFolders.clear();
}
