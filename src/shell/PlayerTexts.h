// Texts the player reads that came after the first string tables: the table's text when it has the
// key, else the English text built in, so that an older table still says something.
#pragma once

#include <string>

struct BuiltInText {
    const char* key;
    const char* english;
};

// The keys and their English texts; mkdisc adds those a table lacks, so that translators find them.
inline constexpr BuiltInText kBuiltInTexts[] = {
    {"RESUME_INSTALL", "The last installation of Brightvale was interrupted. Do you want to continue it? "
                       "No undoes it and gives the folder back as it was."},
    {"CANNOT_WRITE_FILE", "The installation could not write this file:"},
    {"CANNOT_WRITE_KEY", "The installation could not write this registry key:"},
    {"UNDO_INCOMPLETE", "Some files could not be put back as they were. They are kept here, and the next "
                        "start of the setup program tries again:"},
    {"JOURNAL_REFUSED", "The record of an interrupted installation cannot be used, so nothing was undone:"},
    {"SHUTDOWN_REASON", "Brightvale is being installed"},
};

// The text of the key (ANSI code page); the built-in English when the table lacks it or it is empty.
std::string PlayerText(const char* key);
// The wide form, for texts that go to the system as they are (the reason a shutdown is held off).
std::u16string PlayerWideText(const char* key);
// The built-in English of a key; "" for a key that has none.
const char* EnglishText(const char* key);
