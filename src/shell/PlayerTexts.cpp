#include "shell/PlayerTexts.h"

#include "platform/Os.h"
#include "shell/CStringTable.h"

#include <cstring>

namespace {

struct BuiltIn {
    const char* key;
    const char* english;
};

constexpr BuiltIn kBuiltIn[] = {
    {"RESUME_INSTALL", "The last installation of Brightvale was interrupted. Do you want to continue it? "
                       "No undoes it and gives the folder back as it was."},
    {"CANNOT_WRITE_FILE", "The installation could not write this file:"},
    {"CANNOT_WRITE_KEY", "The installation could not write this registry key:"},
    {"UNDO_INCOMPLETE", "Some files could not be put back as they were. They are kept here, and the next "
                        "start of the setup program tries again:"},
    {"JOURNAL_REFUSED", "The record of an interrupted installation cannot be used, so nothing was undone:"},
    {"SHUTDOWN_REASON", "Brightvale is being installed"},
};

} // namespace

const char* BuiltInText(const char* key) {
    for (const BuiltIn& b : kBuiltIn)
        if (std::strcmp(b.key, key) == 0) return b.english;
    return "";
}

std::string PlayerText(const char* key) {
    std::string text = g_strings.GetText(key);
    return text.empty() ? BuiltInText(key) : text;
}

std::u16string PlayerWideText(const char* key) {
    std::u16string text = g_strings.GetWideText(key);
    return text.empty() ? os::AnsiToWide(BuiltInText(key)) : text;
}
