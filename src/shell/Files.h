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
// A folder of the form the installer writes: a drive, a path below its root, no "." or ".." step, no
// character a Windows name cannot hold. What the registry says is checked with it before it is used.
bool IsPlainAbsoluteFolder(const std::string& path);
// A name relative to a folder that stays inside it: no drive, no root, no "." or ".." step.
bool IsPlainRelativeName(const std::string& name);
// The folder of the running program, without a final separator.
std::string ModuleFolder();
bool MakeDirs(const char* path);
bool MakeDirsWide(const std::u16string& path);
