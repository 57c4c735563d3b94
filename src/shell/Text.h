// Bounded text helpers: every fixed-size buffer of the installer is filled through these, so a long
// text is cut at a character boundary instead of overflowing.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace text {

constexpr std::size_t kMaxPath = 260; // characters of a path buffer, terminator included

// Cuts s to at most maxBytes bytes without splitting a double-byte character of the ANSI code page.
void CutAnsi(std::string& s, std::size_t maxBytes);
// Cuts s to at most maxChars UTF-16 units without splitting a surrogate pair.
void CutWide(std::u16string& s, std::size_t maxChars);
// s as it fits a buffer of capacity bytes (terminator included).
std::string Fit(std::string s, std::size_t capacity);
// printf into a buffer of capacity bytes (terminator included).
std::string Format(std::size_t capacity, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::string FormatV(std::size_t capacity, const char* format, std::va_list args)
    __attribute__((format(printf, 2, 0)));
// Decimal integer in the manner of atoi: leading blanks, an optional sign, digits up to the first other
// character; values beyond the int range saturate instead of being undefined.
int Atoi(const char* s);

} // namespace text
