#include "shell/CStringTable.h"

#include "platform/Os.h"
#include "shell/Text.h"

#include <cstdio>
#include <cstring>
#include <string>

CStringTable g_strings;

namespace {

bool IsKeyEnd(char16_t c) {
    return c == u'\t' || c == u' ' || c == u'\r' || c == u'\n';
}

// One line of a UTF-16LE stream: at most kPieceChars units, ending after a line feed.
std::size_t ReadWideLine(FILE* f, char16_t* out) {
    std::size_t n = 0;
    int lo, hi;
    while (n < CStringTable::kPieceChars && (lo = std::fgetc(f)) != EOF && (hi = std::fgetc(f)) != EOF) {
        out[n] = static_cast<char16_t>(lo | (hi << 8));
        if (out[n++] == u'\n') break;
    }
    return n;
}

// One line of an ANSI stream, at most kPieceChars bytes, ending after a line feed.
std::size_t ReadAnsiLine(FILE* f, char* out) {
    std::size_t n = 0;
    int c;
    while (n < CStringTable::kPieceChars && (c = std::fgetc(f)) != EOF) {
        out[n] = static_cast<char>(c);
        if (out[n++] == '\n') break;
    }
    return n;
}

} // namespace

bool CStringTable::KeyLess::operator()(const char16_t* a, const char16_t* b) const {
    while (*a && *a == *b)
        ++a, ++b;
    return *a < *b;
}

CStringTable::CStringTable() {
    Reset();
}

void CStringTable::Reset() {
    index.clear();
    values.clear();
    pool[0] = u'\0';
    poolUsed = 1;
}

const char16_t* CStringTable::Store(const char16_t* s, std::size_t length) {
    // A string that does not fit is replaced by the empty string at element 0.
    if (length + 1 > kPoolChars - poolUsed) return pool;
    char16_t* at = pool + poolUsed;
    std::memcpy(at, s, length * sizeof(char16_t));
    at[length] = u'\0';
    poolUsed += length + 1;
    return at;
}

void CStringTable::AddLine(const char16_t* line, std::size_t length) {
    std::size_t keyEnd = 0;
    while (keyEnd < length && line[keyEnd] && !IsKeyEnd(line[keyEnd]))
        ++keyEnd;
    std::size_t valueStart = keyEnd;
    while (valueStart < length && IsKeyEnd(line[valueStart]))
        ++valueStart;
    std::size_t valueEnd = valueStart;
    while (valueEnd < length && line[valueEnd])
        ++valueEnd;
    while (valueEnd > valueStart && (line[valueEnd - 1] == u'\r' || line[valueEnd - 1] == u'\n'))
        --valueEnd;

    const char16_t* key = Store(line, keyEnd);
    index[key] = static_cast<std::int32_t>(values.size());
    values.push_back(Store(line + valueStart, valueEnd - valueStart));
}

bool CStringTable::Load(const char* path) {
    FILE* f = os::OpenFile(path, "rb");
    if (!f) return false;
    Reset();
    int b0 = std::fgetc(f), b1 = b0 == EOF ? EOF : std::fgetc(f);
    bool wide = b0 == 0xFF && b1 == 0xFE;
    if (!wide) std::rewind(f);

    char16_t wideLine[kPieceChars + 1];
    char ansiLine[kPieceChars + 1];
    for (;;) {
        std::size_t n;
        if (wide) {
            n = ReadWideLine(f, wideLine);
            if (n == 0) break;
            AddLine(wideLine, n);
        } else {
            n = ReadAnsiLine(f, ansiLine);
            if (n == 0) break;
            ansiLine[n] = '\0';
            std::u16string converted = os::AnsiToWide(ansiLine);
            text::CutWide(converted, kPieceChars + 1);
            AddLine(converted.c_str(), converted.size());
        }
    }
    std::fclose(f);
    return true;
}

const char16_t* CStringTable::Find(const char* key) const {
    std::u16string wideKey = os::AnsiToWide(key ? key : "");
    auto it = index.find(wideKey.c_str());
    if (it == index.end()) return nullptr;
    return values[static_cast<std::size_t>(it->second)];
}

const char* CStringTable::GetText(const char* key) {
    // One buffer for each thread: a caption looked up by the worker does not overwrite the text a
    // page of the main thread is still reading.
    thread_local char narrow[kNarrowBytes];
    const char16_t* value = Find(key);
    if (!value) return "";
    std::string s = text::Fit(os::WideToAnsi(value), kNarrowBytes);
    std::memcpy(narrow, s.c_str(), s.size() + 1);
    return narrow;
}

const char16_t* CStringTable::GetWideText(const char* key) const {
    const char16_t* value = Find(key);
    return value ? value : pool;
}

int CStringTable::GetNumber(const char* key) {
    return text::Atoi(GetText(key));
}
