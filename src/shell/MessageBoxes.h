// The message helpers: skinned boxes once the window and the boxes exist, system boxes before.
// Their formats are printf formats written in the code; a text of the string table is passed as an
// argument of "%s", never as the format.
#pragma once

#include <string>

constexpr std::size_t kMessageChars = 1024;

int ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ShowInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ShowLastError();

// Without a person in front of the screen (/S, /SILENT, /VERYSILENT) no box is shown: every message goes
// to the log and the debug output, and a question takes the answer set here (Yes unless told otherwise).
void SetQuietAnswer(bool yes);
// The last message told, shown or not: the reason an installation without questions gives for failing.
std::string LastMessage();

// Window titles: the narrow one the window is created with and the wide one from APP_TITLE,
// which is also the caption of ReportError.
extern std::string g_narrowTitle;
extern std::u16string g_wideTitle;
