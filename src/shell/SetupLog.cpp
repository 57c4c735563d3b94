#include "shell/SetupLog.h"

#include "platform/Os.h"

#include <cstdio>

namespace setuplog {

namespace {
FILE* g_file = nullptr;
}

bool Open(const std::string& path) {
    if (g_file) std::fclose(g_file);
    g_file = os::OpenFile(path.c_str(), "ab");
    return g_file != nullptr;
}

bool IsOpen() {
    return g_file != nullptr;
}

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD; // half a pair stands for nothing
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void Line(const char* kind, const std::string& text) {
    if (!g_file) return;
    std::string body = text;
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r'))
        body.pop_back();
    // A message of several lines stays one line of the log.
    for (char& c : body)
        if (c == '\n' || c == '\r') c = ' ';
    std::string line = Utf8(os::AnsiToWide(kind)) + ": " + Utf8(os::AnsiToWide(body.c_str())) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), g_file);
    std::fflush(g_file);
}

} // namespace setuplog
