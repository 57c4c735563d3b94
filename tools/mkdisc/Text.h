// Text conversions of the disc builder: host names are UTF-8; the archive stores member names in an
// OEM code page and each strings.txt is in its language's ANSI code page or UTF-16LE.
#pragma once

#include <string>

namespace mkdisc {

// iconv from one encoding to another; false when a character has no place in the target (or the
// source is not valid in its encoding), or the encoding is unknown.
bool Convert(const std::string& text, const std::string& from, const std::string& to, std::string* out);

std::string LowerAscii(std::string s);

// The ANSI code page of a language: from its LNG_CHARSET, else from its media folder's name
// ("MediaRus" is Cyrillic), else Western.
std::string AnsiCodePage(const std::string& lngCharset, const std::string& mediaFolder);

} // namespace mkdisc
