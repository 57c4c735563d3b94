// What this installation has put into the target folder, so that an installation that ends in any way
// can be undone exactly: the folders and files it created, the files it replaced (each moved aside into
// a folder of its own inside the target until the installation completes or is undone) and the parts it
// completed. The record is kept on the disk in the target as well ("~setup-journal"): the records of a
// part are on the disk before anything of the part is written, so a kill or a power loss at any instant
// leaves what the next start needs to undo the installation or to continue it.
#pragma once

#include "engine/JournalFile.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

class CInstallJournal {
  public:
    using Record = journal::Record;

    CInstallJournal() = default;
    ~CInstallJournal();
    CInstallJournal(const CInstallJournal&) = delete;
    CInstallJournal& operator=(const CInstallJournal&) = delete;

    // Starts the record of an installation into target. Folders made by an earlier attempt of this
    // run still count as made by the installation.
    void Begin(const std::string& target);
    // MakeDirs(path), each level it creates recorded before it is made (the target itself, which holds
    // the journal, just after).
    bool MakeDirs(const std::string& path);
    // Before a file is written at path (full): plans its record (created, or replaced and kept aside).
    // Write must follow before the file is written. False when the file cannot be kept aside.
    bool PrepareFile(const std::string& path);
    // Before a folder is created at path (full): plans its record unless it exists already.
    void PrepareFolder(const std::string& path);
    // Before a package is unpacked into the target: plans every member the package names and writes
    // the records. False, after telling the user, when the package cannot be listed or a replaced file
    // cannot be kept aside.
    bool PreparePackage(const char* package);
    // Puts the records planned so far on the disk, then moves the files they replace aside. False, after
    // telling the user, when the journal cannot be written or a file cannot be kept aside: nothing
    // planned may then be written.
    bool Write();
    // The part (a package's index, or one of journal's part names) is complete. Its record goes to the
    // file but is not forced to the disk: lost, it only means that the part is done again.
    void MarkDone(const std::string& part);
    bool IsDone(const std::string& part) const;
    // The installation is complete: the kept files are dropped and the record is closed and removed.
    void Commit();
    // True when path (full) was created by this installation.
    bool Created(const std::string& path) const;

    const std::string& Target() const { return target; }
    const std::vector<Record>& Records() const { return records; }
    // The journal file in the target folder.
    std::string FilePath() const;
    // Closes the record and forgets it: the journal file and the registry's pointer to it go too.
    void Clear();
    // Forgets everything, also the folders of earlier attempts (tests start afresh).
    void Reset();

    // Takes over a journal read from the disk: an installation that a kill or a power loss ended.
    void Adopt(const journal::Contents& contents);
    // Undoes the part that was being written when the installation stopped (the records after the
    // last completed part) and forgets them, on the disk too. False when something of it could not be
    // put back (its records are then kept).
    bool UndoUnfinishedPart();
    // The install.log entries of the completed packages, as the copy lists them: the target folder,
    // then the part's files and the folders it made, relative.
    std::vector<std::string> LoggedEntries() const;

    // What the continued installation needs besides the files, written with the first records.
    std::string media = "Media";
    bool desktopIcon = true;

  private:
    // Records the target and the folders above it that are missing, as created.
    void NoteMissingTarget();
    // Records every missing folder above path, up to the target, as created.
    void NoteMissingParents(const std::string& path);
    void PlanKeepAside(const std::string& path);
    // Recomputes what is derived from the records.
    void Index();
    // Writes the whole record anew (after records were dropped).
    bool Rewrite();
    bool OpenFile();
    void CloseFile();

    std::string target;
    std::vector<Record> records;
    std::size_t written = 0;                        // records on the disk
    std::set<std::string> created;                  // keys of everything recorded as created
    std::set<std::string> replaced;                 // keys of everything recorded as replaced
    std::map<std::string, std::string> madeFolders; // folders made in this run, across attempts, by key
    std::string keptFolder;
    unsigned keptCount = 0;
    std::FILE* file = nullptr;
};

extern CInstallJournal g_journal;

// The comparison form of a path: ASCII lower case, one kind of separator, none doubled or trailing.
std::string JournalKey(const std::string& path);
// True when path (compared by key) is folder or lies below it.
bool KeyWithin(const std::string& path, const std::string& folder);
// True when both files can be read and hold the same bytes.
bool SameFileContent(const std::string& a, const std::string& b);
// What is at path: 0 nothing, 1 a file, 2 a folder.
int PathKind(const std::string& path);

// Where the registry keeps the target of an installation whose journal is open (HKEY_CURRENT_USER,
// the product key), so that the next start finds it.
constexpr const char* kPendingInstallValue = "PendingInstallDir";
