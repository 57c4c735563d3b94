#include "engine/InstallJournal.h"

#include "engine/MemberNames.h"
#include "engine/PackageListing.h"
#include "engine/Rollback.h"
#include "platform/Os.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerTexts.h"
#include "shell/Registry.h"
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

bool KeyWithin(const std::string& path, const std::string& folder) {
    std::string p = JournalKey(path), f = JournalKey(folder);
    if (p == f) return true;
    if (!f.empty() && f.back() != '\\') f += '\\';
    return p.compare(0, f.size(), f) == 0;
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

std::string WithSeparator(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

// Creates the folders, outermost (last) first, leaving the current folder as it is. True when the
// innermost is there afterwards.
bool CreateFolders(const std::vector<std::string>& deepestFirst) {
    for (std::size_t i = deepestFirst.size(); i-- > 0;)
        os::CreateDir(deepestFirst[i].c_str());
    return deepestFirst.empty() || PathKind(deepestFirst.front()) == 2;
}

bool IsPackagePart(const std::string& part) {
    if (part == journal::kPresetPart) return true;
    if (part.empty()) return false;
    for (char c : part)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

int PathKind(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/'))
        p.pop_back();
    if (p.size() <= 3) return 2; // a drive root
    if (p.find_first_of("*?") != std::string::npos) return 0;
    std::vector<os::DirEntry> found = os::ListDir(p.c_str());
    if (found.empty()) return 0;
    return found[0].isDir ? 2 : 1;
}

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

CInstallJournal::~CInstallJournal() {
    CloseFile();
}

void CInstallJournal::Reset() {
    CloseFile();
    target.clear();
    records.clear();
    written = 0;
    created.clear();
    replaced.clear();
    madeFolders.clear();
    keptFolder.clear();
    keptCount = 0;
    media = "Media";
    desktopIcon = true;
}

std::string CInstallJournal::FilePath() const {
    std::string path = WithSeparator(target) + journal::kFileName;
    CollapseSeparators(path);
    return path;
}

void CInstallJournal::CloseFile() {
    if (file) std::fclose(file);
    file = nullptr;
}

void CInstallJournal::Clear() {
    CloseFile();
    if (!target.empty()) {
        std::string path = FilePath();
        os::SetFileAttrs(path.c_str(), os::kAttrNormal);
        os::FileDelete(path.c_str());
    }
    if (os::Handle key = os::RegOpen(os::kHkeyCurrentUser, reg::kProductKey, os::kKeyAllAccess)) {
        os::RegRemoveValue(key, kPendingInstallValue);
        os::RegClose(key);
    }
    records.clear();
    written = 0;
    created.clear();
    replaced.clear();
    keptFolder.clear();
    keptCount = 0;
}

void CInstallJournal::Begin(const std::string& folder) {
    CloseFile();
    target = folder;
    records.clear();
    written = 0;
    created.clear();
    replaced.clear();
    keptFolder.clear();
    keptCount = 0;
    // A folder made by an earlier attempt is still the installation's own while it exists.
    for (const auto& [key, path] : madeFolders) {
        if (PathKind(path) != 2) continue;
        records.push_back({Record::Folder, path, std::string()});
        created.insert(key);
    }
}

void CInstallJournal::Index() {
    created.clear();
    replaced.clear();
    keptFolder.clear();
    keptCount = 0;
    for (const Record& r : records) {
        if (r.kind == Record::Folder || r.kind == Record::File) created.insert(JournalKey(r.path));
        if (r.kind != Record::Replaced) continue;
        replaced.insert(JournalKey(r.path));
        std::size_t cut = r.kept.find_last_of('\\');
        if (cut == std::string::npos) continue;
        keptFolder = r.kept.substr(0, cut);
        unsigned n = static_cast<unsigned>(std::strtoul(r.kept.c_str() + cut + 1, nullptr, 10));
        if (n > keptCount) keptCount = n;
    }
}

void CInstallJournal::Adopt(const journal::Contents& contents) {
    Reset();
    target = contents.target;
    media = contents.media;
    desktopIcon = contents.desktopIcon;
    records = contents.records;
    written = records.size();
    Index();
}

bool CInstallJournal::Created(const std::string& path) const {
    return created.count(JournalKey(path)) != 0;
}

bool CInstallJournal::IsDone(const std::string& part) const {
    for (const Record& r : records)
        if (r.kind == Record::Done && r.path == part) return true;
    return false;
}

bool CInstallJournal::MakeDirs(const std::string& path) {
    std::vector<std::string> missing; // deepest first
    for (std::string p = path; !p.empty() && PathKind(p) == 0; p = Parent(p))
        missing.push_back(p);
    for (std::size_t i = missing.size(); i-- > 0;) {
        std::string key = JournalKey(missing[i]);
        madeFolders[key] = missing[i];
        if (created.insert(key).second) records.push_back({Record::Folder, missing[i], std::string()});
    }
    // The journal lives in the target: until the target exists, its records follow the folders.
    bool targetThere = PathKind(target) == 2;
    if (targetThere && !Write()) return false;
    bool made = CreateFolders(missing);
    if (!targetThere && PathKind(target) == 2 && !Write()) return false;
    return made;
}

void CInstallJournal::NoteMissingTarget() {
    std::vector<std::string> missing; // deepest first
    for (std::string p = target; !p.empty() && !created.count(JournalKey(p)) && PathKind(p) == 0; p = Parent(p))
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
        if (key.size() <= targetKey.size() || created.count(key) || PathKind(p) != 0) break;
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
    if (PathKind(path) != 0) return;
    created.insert(key);
    records.push_back({Record::Folder, path, std::string()});
}

void CInstallJournal::PlanKeepAside(const std::string& path) {
    if (keptFolder.empty()) {
        // A folder of our own inside the target: the same disk, so the old file is moved, not copied,
        // and nothing outside the target is touched.
        std::string folder;
        for (unsigned n = 0; n < 1000; ++n) {
            folder = WithSeparator(target) + "~setup-kept";
            if (n) folder += text::Format(16, ".%u", n);
            CollapseSeparators(folder);
            if (PathKind(folder) == 0 && !created.count(JournalKey(folder))) break;
        }
        keptFolder = folder;
        created.insert(JournalKey(folder));
        records.push_back({Record::Folder, folder, std::string()});
    }
    char name[16];
    std::snprintf(name, sizeof name, "\\%08u", ++keptCount);
    replaced.insert(JournalKey(path));
    records.push_back({Record::Replaced, path, keptFolder + name});
}

bool CInstallJournal::PrepareFile(const std::string& path) {
    std::string key = JournalKey(path);
    if (created.count(key) || replaced.count(key)) return true;
    NoteMissingParents(path);
    switch (PathKind(path)) {
    case 0:
        created.insert(key);
        records.push_back({Record::File, path, std::string()});
        return true;
    case 1:
        PlanKeepAside(path);
        return true;
    default:
        return true; // a folder stands there: the write fails and nothing of it changes
    }
}

bool CInstallJournal::OpenFile() {
    if (file) return true;
    // The pointer first: a journal the next start cannot find would undo nothing.
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, kPendingInstallValue, target);
    std::string path = FilePath();
    os::SetFileAttrs(path.c_str(), os::kAttrNormal);
    file = os::OpenFile(path.c_str(), "wb");
    if (!file) return false;
    journal::Contents settings;
    settings.target = target;
    settings.media = media;
    settings.desktopIcon = desktopIcon;
    // The records that count as written already (a journal taken over, or written anew) come first.
    std::string lines = journal::Header(settings);
    for (std::size_t i = 0; i < written; ++i)
        lines += journal::Line(records[i]);
    return std::fwrite(lines.data(), 1, lines.size(), file) == lines.size();
}

bool CInstallJournal::Rewrite() {
    CloseFile();
    written = records.size();
    return OpenFile() && os::FlushToDisk(file);
}

bool CInstallJournal::Write() {
    std::size_t from = written;
    if (!OpenFile()) {
        ShowInfo("%s %s", PlayerText("CANNOT_WRITE_FILE").c_str(), FilePath().c_str());
        return false;
    }
    std::string lines;
    for (std::size_t i = from; i < records.size(); ++i)
        lines += journal::Line(records[i]);
    // Once a package, never a file: the records of a whole part go to the disk in one flush.
    if (std::fwrite(lines.data(), 1, lines.size(), file) != lines.size() || !os::FlushToDisk(file)) {
        ShowInfo("%s %s", PlayerText("CANNOT_WRITE_FILE").c_str(), FilePath().c_str());
        return false;
    }
    written = records.size();
    for (std::size_t i = from; i < records.size(); ++i) {
        const Record& r = records[i];
        if (r.kind != Record::Replaced) continue;
        if (PathKind(keptFolder) == 0) os::CreateDir(keptFolder.c_str());
        if (KeepAside(r.path, r.kept)) continue;
        ShowInfo("Cannot keep a copy of %s: the installation stops here.", r.path.c_str());
        return false;
    }
    return true;
}

void CInstallJournal::MarkDone(const std::string& part) {
    if (written < records.size() && !Write()) return;
    records.push_back({Record::Done, part, std::string()});
    if (!file) return;
    std::string line = journal::Line(records.back());
    // Into the system's hands, so that a kill does not lose it; the disk gets it with the next part.
    if (std::fwrite(line.data(), 1, line.size(), file) == line.size() && std::fflush(file) == 0)
        written = records.size();
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
    std::string base = WithSeparator(target);
    for (const PackageMember& m : members) {
        std::string path = base + os::OemToAnsiText(m.name.c_str());
        CollapseSeparators(path);
        if (m.isFolder)
            PrepareFolder(path);
        else
            PrepareFile(path);
    }
    // The journal lives in the target folder, which must be there to hold it.
    std::vector<std::string> missing;
    for (std::string p = target; !p.empty() && PathKind(p) == 0; p = Parent(p))
        missing.push_back(p);
    CreateFolders(missing);
    return Write();
}

bool CInstallJournal::UndoUnfinishedPart() {
    std::size_t from = records.size();
    while (from > 0 && records[from - 1].kind != Record::Done)
        --from;
    std::vector<Record> part(records.begin() + static_cast<std::ptrdiff_t>(from), records.end());
    if (!UndoRecords(part, target)) return false;
    records.resize(from);
    // The target and the folders above it belong to the whole installation, not to the part: they
    // stay, and so do their records.
    for (const Record& r : part)
        if (r.kind == Record::Folder && KeyWithin(target, r.path)) records.push_back(r);
    Index();
    return Rewrite();
}

std::vector<std::string> CInstallJournal::LoggedEntries() const {
    std::vector<std::string> entries, part;
    std::string base = WithSeparator(target);
    std::string keptKey = JournalKey(keptFolder);
    for (const Record& r : records) {
        if (r.kind == Record::Done) {
            if (IsPackagePart(r.path)) {
                entries.push_back(base);
                entries.insert(entries.end(), part.begin(), part.end());
            }
            part.clear();
            continue;
        }
        if (!KeyWithin(r.path, target) || JournalKey(r.path) == JournalKey(target)) continue;
        if (!keptKey.empty() && KeyWithin(r.path, keptFolder)) continue;
        part.push_back(r.path.substr(base.size()));
    }
    return entries;
}

void CInstallJournal::Commit() {
    for (const Record& r : records) {
        if (r.kind != Record::Replaced) continue;
        os::SetFileAttrs(r.kept.c_str(), os::kAttrNormal); // a read-only original is dropped all the same
        os::FileDelete(r.kept.c_str());
    }
    if (!keptFolder.empty()) os::RemoveDir(keptFolder.c_str());
    Clear();
    madeFolders.clear();
}
