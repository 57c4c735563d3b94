// Language media folders and the font charset they select.
#pragma once

#include <cstdint>

constexpr int kMediaFolderCount = 6;
extern const char* const kMediaFolders[kMediaFolderCount];
// Character set passed to every font that is built; the language's LNG_CHARSET changes it.
extern std::int32_t g_fontCharset;
// The charset value of a name of the charset table; false when the name is not in it.
bool CharsetByName(const char* name, std::int32_t* value);
bool SelectLanguage(int index);
