// What the install button runs on the main thread: the checks before the copy, the main executable,
// the extractor, then the progress page and the install worker.
#pragma once

#include <cstdint>
#include <string>

void PreInstallChecks();

// The steps in their order; each false ends the operation with the options page still current.
// The target folder can be entered, or is created.
bool EnterTargetFolder();
// The target's disk has the room "SPACE_NEED" asks for.
bool CheckFreeSpace();
// The first disc is in the drive, or no disc is there at all.
bool CheckFirstDisc();
// Copies the one plain file of the game into the target folder, in the journal first. False when the
// journal could not record it (the installation cannot go on).
bool CopyMainExecutable();
// Shows the progress page and starts the worker; false when no thread could be started.
bool StartCopy();

// The out-of-space message: needed size with its unit, then the shortfall, both in whole MiB.
std::string OutOfSpaceMessage(int neededMb, std::int64_t missingMb);
// Where the main executable is copied from (the source folder's root, under its file name) and to.
void MainExecutablePaths(const std::string& gameDir, const std::string& sourceDir, const std::string& value,
                         std::string* source, std::string* destination);
