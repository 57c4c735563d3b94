// The format of install.log, shared by the installer that writes it and the uninstaller that reads it:
// one entry a line, absolute paths or paths relative to the folder that holds the log.
#pragma once

#include "platform/Os.h"

#include <cstdio>
#include <string>
#include <vector>

namespace installlog {

constexpr const char* kFileName = "install.log";

// "C:\x" and longer are absolute; everything else, "C:\" included, is relative to the game folder.
inline bool IsAbsoluteEntry(const std::string& entry) {
    return entry.size() > 3 && entry[1] == ':';
}

// The lines of a log's text: CR LF or LF endings, a last line with or without one; empty lines dropped.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
            line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The entries of the log at path; false when it cannot be opened.
inline bool Read(const std::string& path, std::vector<std::string>* entries) {
    FILE* f = os::OpenFile(path.c_str(), "rb");
    if (!f) return false;
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    *entries = SplitLines(text);
    return true;
}

} // namespace installlog
