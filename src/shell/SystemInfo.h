// Windows version tests and process start.
#pragma once

bool IsWindowsNT();
int WindowsMajorVersion();
// The new shell (wide folder browser and shell links) is there on NT 5 and later.
bool HasNewShell();
// Starts a program; when waiting, keeps the window alive (messages, else one update and draw pass).
bool StartProcess(const char* program, const char* arguments, bool wait);
