// The log an administrator asks for with /LOG: every step, message and file of the installation,
// appended in UTF-8 to the named file, one line each, written through at once so that a process that
// is ended leaves every line it got to.
#pragma once

#include <string>

namespace setuplog {

// Opens the file for appending; false (and nothing logged) when it cannot be opened.
bool Open(const std::string& path);
bool IsOpen();
// A line of the kind given ("step", "message", "file", "result"); text in the ANSI code page.
void Line(const char* kind, const std::string& text);
// The text as UTF-8 (for the tests and for the line itself).
std::string Utf8(const std::u16string& text);

} // namespace setuplog
