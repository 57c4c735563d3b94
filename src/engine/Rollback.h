// Undoing an abandoned installation.
#pragma once

class CInstallJournal;

// Removes what the installation created, newest first (files, then folders once empty), and puts
// back every file it replaced. Nothing else is touched: a file that was in the target folder before
// stays, and so does anything outside the target. The journal is closed afterwards.
void RollBack(CInstallJournal& journal);
