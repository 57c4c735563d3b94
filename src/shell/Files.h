// File, disc and path services shared by the shell and the engine (ANSI paths).
#pragma once

#include <cstdint>
#include <string>

bool FileExists(const char* nameOrPattern);
// The drive ("X:") of the first CD-ROM drive whose root holds the file, or null.
const char* FindDiscMarker(const char* fileName);
std::uint64_t FreeDiskBytes(const char* path);
void DeleteTree(const char* folder);
void CollapseSeparators(std::string& path);
bool MakeDirs(const char* path);
bool MakeDirsWide(const std::u16string& path);
