#include "engine/Recovery.h"

#include "engine/Extractor.h"
#include "engine/InstallJournal.h"
#include "engine/PreInstallChecks.h"
#include "engine/Rollback.h"
#include "gui/guiDialog.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Files.h"
#include "shell/Language.h"
#include "shell/MessageBoxes.h"
#include "shell/PlayerTexts.h"
#include "shell/Registry.h"

#include <cstring>

namespace {

bool ReadPointer(std::string* target) {
    return reg::ReadString(os::kHkeyCurrentUser, reg::kProductKey, kPendingInstallValue, target) ==
           reg::ReadResult::Ok;
}

void DropPointer() {
    if (os::Handle key = os::RegOpen(os::kHkeyCurrentUser, reg::kProductKey, os::kKeyAllAccess)) {
        os::RegRemoveValue(key, kPendingInstallValue);
        os::RegClose(key);
    }
}

bool ReadWhole(const std::string& path, std::string* bytes) {
    FILE* f = os::OpenFile(path.c_str(), "rb");
    if (!f) return false;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->append(buffer, n);
    std::fclose(f);
    return true;
}

int MediaIndex(const std::string& media) {
    for (int i = 0; i < kMediaFolderCount; ++i)
        if (media == kMediaFolders[i]) return i;
    return -1;
}

} // namespace

bool HasPendingInstallation() {
    std::string target;
    return ReadPointer(&target);
}

PendingJournal FindPendingJournal(journal::Contents* contents, std::string* problem) {
    std::string target;
    if (!ReadPointer(&target)) return PendingJournal::None;
    *problem = target;
    if (!IsPlainAbsoluteFolder(target)) return PendingJournal::Refused;
    std::string path = target + (target.back() == '\\' ? "" : "\\") + journal::kFileName;
    std::string bytes;
    // No journal at the place: the installation ended before its first record; nothing to undo.
    if (!ReadWhole(path, &bytes)) return PendingJournal::None;
    *problem = path;
    if (!journal::Parse(bytes, contents) || JournalKey(contents->target) != JournalKey(target) ||
        MediaIndex(contents->media) < 0)
        return PendingJournal::Refused;
    // The elevated program undoes only what lies in the folder the player chose.
    for (const journal::Record& r : contents->records) {
        if (r.kind == journal::Record::Done) continue;
        bool inside = IsPlainAbsoluteFolder(r.path) && (KeyWithin(r.path, target) || KeyWithin(target, r.path));
        if (r.kind == journal::Record::Replaced)
            inside = inside && IsPlainAbsoluteFolder(r.kept) && KeyWithin(r.kept, target) && !KeyWithin(target, r.path);
        if (r.kind == journal::Record::File) inside = inside && !KeyWithin(target, r.path);
        if (!inside) {
            *problem = r.path;
            return PendingJournal::Refused;
        }
    }
    return PendingJournal::Usable;
}

bool OfferRecovery() {
    journal::Contents contents;
    std::string problem;
    switch (FindPendingJournal(&contents, &problem)) {
    case PendingJournal::None:
        DropPointer();
        return false;
    case PendingJournal::Refused:
        ShowInfo("%s %s", PlayerText("JOURNAL_REFUSED").c_str(), problem.c_str());
        DropPointer();
        return false;
    case PendingJournal::Usable:
        break;
    }
    // Ended before anything of the player's was touched (the target folder made, the notice on
    // screen): there is nothing to continue, and the folders go without a question.
    bool touched = false;
    for (const journal::Record& r : contents.records)
        touched = touched || r.kind != journal::Record::Folder;
    if (!touched) {
        g_journal.Adopt(contents);
        RollBack(g_journal);
        return false;
    }
    bool resume = AskYesNo("%s", PlayerText("RESUME_INSTALL").c_str());
    // The window went while the question was up: nothing is done now, the next start asks again.
    if (g_leaving) return false;
    g_journal.Adopt(contents);
    if (!resume) {
        RollBack(g_journal);
        return false;
    }
    CInstaller& in = g_installer;
    if (contents.media != in.mediaDir) SelectLanguage(MediaIndex(contents.media));
    in.gameDir = contents.target;
    in.createIcons = contents.desktopIcon;
    in.wndOptions.RefreshFolderBox();
    if (!g_journal.UndoUnfinishedPart()) {
        ShowInfo("%s %s", PlayerText("UNDO_INCOMPLETE").c_str(), contents.target.c_str());
        return false;
    }
    os::SetCurrentDir(in.sourceDir.c_str());
    if (!g_journal.IsDone(journal::kMainPart) && !CopyMainExecutable()) return false;
    BindExtractor();
    return StartCopy();
}
