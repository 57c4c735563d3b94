// Texts the player reads that came after the first string tables: the table's text when it has the
// key, else the English text built in, so that an older table still says something.
#pragma once

#include <string>

// The text of the key (ANSI code page); the built-in English when the table lacks it or it is empty.
std::string PlayerText(const char* key);
// The wide form, for texts that go to the system as they are (the reason a shutdown is held off).
std::u16string PlayerWideText(const char* key);
// The built-in English of a key; "" for a key that has none.
const char* BuiltInText(const char* key);
