// Undoing an installation, or a part of one, from its journal.
#pragma once

#include "engine/JournalFile.h"

#include <string>
#include <vector>

class CInstallJournal;

// Moves the file at path aside to kept (a copy when it cannot be moved), so that it can be put back.
bool KeepAside(const std::string& path, const std::string& kept);
// Undoes records, newest first: created files are deleted, replaced files get their old content back,
// created folders go once empty. The target folder and the folders above it are left to the caller (the
// journal lives in the target). Nothing else is touched. False when a file could not be deleted or put
// back.
bool UndoRecords(const std::vector<journal::Record>& records, const std::string& target);
// Undoes the whole installation: a file that was in the target folder before stays, and so does
// anything outside the target. When everything was undone the journal is closed and removed, then the
// target folder (and the folders above it) the installation made go once empty; otherwise the journal
// stays, so that the next start tries again, and the player is told. True when everything was undone.
bool RollBack(CInstallJournal& journal);
