#include "shell/Text.h"

#include "platform/Os.h"

#include <climits>
#include <cstdio>
#include <vector>

namespace text {

void CutAnsi(std::string& s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return;
    // Walk characters from the start: a lead byte and its trail byte stay together.
    std::size_t i = 0;
    while (i < maxBytes) {
        std::size_t len = os::IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
        if (i + len > maxBytes) break;
        i += len;
    }
    s.resize(i);
}

void CutWide(std::u16string& s, std::size_t maxChars) {
    if (s.size() <= maxChars) return;
    std::size_t n = maxChars;
    if (n > 0 && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) --n; // a high surrogate without its pair
    s.resize(n);
}

std::string Fit(std::string s, std::size_t capacity) {
    CutAnsi(s, capacity ? capacity - 1 : 0);
    return s;
}

std::string FormatV(std::size_t capacity, const char* format, std::va_list args) {
    std::va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return Fit(std::string(buffer.data(), static_cast<std::size_t>(n)), capacity);
}

std::string Format(std::size_t capacity, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string s = FormatV(capacity, format, args);
    va_end(args);
    return s;
}

int Atoi(const char* s) {
    if (!s) return 0;
    while (*s == ' ' || (*s >= '\t' && *s <= '\r'))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') negative = *s++ == '-';
    long long value = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        value = value * 10 + (*s - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

} // namespace text
