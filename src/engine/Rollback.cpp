#include "engine/Rollback.h"

#include "engine/InstallJournal.h"
#include "engine/LinkSafety.h"
#include "platform/Os.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerTexts.h"

bool KeepAside(const std::string& path, const std::string& kept) {
    if (os::MoveOnDisk(path.c_str(), kept.c_str(), false)) return true;
    // Not movable (another volume behind the path): a copy, checked, and the original made writable so
    // that the package can replace it.
    if (!os::FileCopy(path.c_str(), kept.c_str(), true) || !SameFileContent(path, kept)) {
        os::SetFileAttrs(kept.c_str(), os::kAttrNormal);
        os::FileDelete(kept.c_str());
        return false;
    }
    os::SetFileAttrs(path.c_str(), os::kAttrNormal);
    return true;
}

namespace {

bool PutBack(const std::string& path, const std::string& kept) {
    if (PathKind(kept) != 1) return true; // never moved aside, or put back already
    os::SetFileAttrs(path.c_str(), os::kAttrNormal);
    os::FileDelete(path.c_str());
    if (os::MoveOnDisk(kept.c_str(), path.c_str(), true)) return true;
    if (!os::FileCopy(kept.c_str(), path.c_str(), false) || !SameFileContent(path, kept)) return false;
    os::SetFileAttrs(kept.c_str(), os::kAttrNormal);
    os::FileDelete(kept.c_str());
    return true;
}

} // namespace

bool UndoRecords(const std::vector<journal::Record>& records, const std::string& target) {
    bool complete = true;
    for (std::size_t i = records.size(); i-- > 0;) {
        const journal::Record& r = records[i];
        // A link put in the way since (by another program, or another user) is never followed: the
        // link itself goes if it stands where the installation made something, what it leads to stays.
        if (r.kind != journal::Record::Done && !KeyWithin(target, r.path)) {
            links::Reach reach = links::Check(target, r.path);
            if (reach == links::Reach::Link && r.kind != journal::Record::Replaced) os::RemoveLink(r.path.c_str());
            if (reach != links::Reach::Direct) continue;
            if (r.kind == journal::Record::Replaced && links::Check(target, r.kept) != links::Reach::Direct) continue;
        }
        switch (r.kind) {
        case journal::Record::File:
            os::SetFileAttrs(r.path.c_str(), os::kAttrNormal);
            os::FileDelete(r.path.c_str());
            if (PathKind(r.path) == 1) complete = false;
            break;
        case journal::Record::Folder:
            // Only once empty: whatever else is in it was not made by the installation.
            if (!KeyWithin(target, r.path)) os::RemoveDir(r.path.c_str());
            break;
        case journal::Record::Replaced:
            // When the old content cannot be put back, it stays where it was kept.
            if (!PutBack(r.path, r.kept)) complete = false;
            break;
        case journal::Record::Done:
            break;
        }
    }
    return complete;
}

bool RollBack(CInstallJournal& journal) {
    std::string target = journal.Target();
    std::vector<std::string> chain; // the target and the folders above it that the installation made
    for (std::size_t i = journal.Records().size(); i-- > 0;) {
        const journal::Record& r = journal.Records()[i];
        if (r.kind == journal::Record::Folder && KeyWithin(target, r.path)) chain.push_back(r.path);
    }
    if (!UndoRecords(journal.Records(), target)) {
        // The player is told where the old files wait; the journal stays for the next start.
        std::string kept = target;
        for (const journal::Record& r : journal.Records())
            if (r.kind == journal::Record::Replaced && PathKind(r.kept) == 1) kept = r.kept.substr(0, r.kept.rfind('\\'));
        ShowInfo("%s %s", PlayerText("UNDO_INCOMPLETE").c_str(), kept.c_str());
        return false;
    }
    journal.Clear();
    for (const std::string& folder : chain)
        os::RemoveDir(folder.c_str());
    return true;
}
