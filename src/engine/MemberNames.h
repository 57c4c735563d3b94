// The check every member name of a package passes before it is written or recorded.
#pragma once

// True when a name stored in an archive stays inside the destination folder: it is not absolute
// (no drive, no leading separator), has no ".." component (Windows drops trailing dots and blanks,
// so "..." and ".. " count too), names no stream (no colon) and no device (CON, NUL, COM1, ...) in
// any component (devices include "CON .txt" and COM or LPT with a superscript digit).
bool MemberNameIsSafe(const char* name);
