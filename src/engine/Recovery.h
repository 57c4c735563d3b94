// The start after an installation that ended without completing or being undone (the window closed by
// force, a kill, a crash, log-off, power loss): its journal is found through the registry, and the
// player chooses, before the wizard takes input, to continue the installation or to undo it.
#pragma once

#include "engine/JournalFile.h"

#include <string>

enum class PendingJournal {
    None,    // no installation was left open
    Usable,  // its journal was read and every record lies in its target folder
    Refused, // the registry points at something that is not a journal of ours, or one naming paths
             // outside its target: nothing of it is undone
};

// Looks for the journal of an installation left open; problem names what was refused.
PendingJournal FindPendingJournal(journal::Contents* contents, std::string* problem);
// True when the registry points at an open installation (a cheap test for the start-up's flow).
bool HasPendingInstallation();
// Asks the player and does what is chosen: Yes continues the installation (the progress page is up, the
// worker running, true), No undoes it (false, the wizard's first page stays).
bool OfferRecovery();
