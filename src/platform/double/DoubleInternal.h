// What the parts of the test double share: its path rules and conversions.
#pragma once

#include "platform/double/Double.h"

#include <string>

namespace os::testdouble {

std::string Lower(std::string s);
bool IsSep(char c);
// Absolute, normalised Windows form ("D:\\a\\b") of a path relative to the current folder.
std::string Absolute(const std::string& path);
// iconv from one encoding to another; an unmappable character becomes a question mark.
std::string Convert(const char* from, const char* to, const std::string& in);
bool IsDir(const std::string& host);
bool Exists(const std::string& host);

} // namespace os::testdouble
