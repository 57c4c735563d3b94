// Windows version tests and process start.
#pragma once

bool IsWindowsNT();
int WindowsMajorVersion();
// The new shell (wide folder browser and shell links) is there on NT 5 and later.
bool HasNewShell();
bool StartProcess(const char* program, const char* arguments, bool wait);
// The toolkit's update and draw passes, run by waiting loops; null until the toolkit is started.
extern void (*g_idlePass)();
