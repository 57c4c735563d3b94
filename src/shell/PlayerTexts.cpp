#include "shell/PlayerTexts.h"

#include "platform/Os.h"
#include "shell/CStringTable.h"

#include <cstring>

const char* EnglishText(const char* key) {
    for (const BuiltInText& b : kBuiltInTexts)
        if (std::strcmp(b.key, key) == 0) return b.english;
    return "";
}

std::string PlayerText(const char* key) {
    std::string text = g_strings.GetText(key);
    return text.empty() ? EnglishText(key) : text;
}

std::u16string PlayerWideText(const char* key) {
    std::u16string text = g_strings.GetWideText(key);
    return text.empty() ? os::AnsiToWide(EnglishText(key)) : text;
}
