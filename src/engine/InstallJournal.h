// What this installation has put into the target folder, so that an abandoned installation can be
// undone exactly: the folders and files it created, and the files it replaced, each kept aside (as a
// copy in a folder of its own inside the target) until the installation completes or is rolled back.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class CInstallJournal {
  public:
    struct Record {
        enum Kind { Folder, File, Replaced } kind;
        std::string path; // full path
        std::string kept; // Replaced: the copy of the old content
    };

    // Starts the record of an installation into target. Folders made by an earlier attempt of this
    // run still count as made by the installation.
    void Begin(const std::string& target);
    // MakeDirs(path), recording each level it created.
    bool MakeDirs(const std::string& path);
    // Before a file is written at path (full): records it as created, or keeps the existing file aside.
    // False when an existing file could not be kept aside; it must then not be written.
    bool PrepareFile(const std::string& path);
    // Before a folder is created at path (full): records it unless it exists already.
    void PrepareFolder(const std::string& path);
    // Before a package is unpacked into the target: prepares every member the package names. False,
    // after telling the user, when the package cannot be listed or a replaced file cannot be kept aside.
    bool PreparePackage(const char* package);
    // The installation is complete: the kept copies are dropped and the record is closed.
    void Commit();
    // True when path (full) was created by this installation.
    bool Created(const std::string& path) const;

    const std::string& Target() const { return target; }
    const std::vector<Record>& Records() const { return records; }
    // After a rollback: nothing is recorded any more, so a later attempt records afresh.
    void Clear() {
        records.clear();
        created.clear();
        keptFolder.clear();
        keptCount = 0;
    }
    // Forgets everything, also the folders of earlier attempts (tests start afresh).
    void Reset();

  private:
    // Records the target and the folders above it that are missing, as created.
    void NoteMissingTarget();
    // Records every missing folder above path, up to the target, as created.
    void NoteMissingParents(const std::string& path);
    bool KeepAside(const std::string& path);

    std::string target;
    std::vector<Record> records;
    std::set<std::string> created;                  // keys of everything recorded as created
    std::map<std::string, std::string> madeFolders; // folders made in this run, across attempts, by key
    std::string keptFolder;
    unsigned keptCount = 0;
};

extern CInstallJournal g_journal;

// The comparison form of a path: ASCII lower case, one kind of separator, none doubled or trailing.
std::string JournalKey(const std::string& path);
// True when both files can be read and hold the same bytes.
bool SameFileContent(const std::string& a, const std::string& b);
