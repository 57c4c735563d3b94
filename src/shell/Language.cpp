#include "shell/Language.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/MessageBoxes.h"
#include "shell/Registry.h"
#include "shell/Switches.h"
#include "shell/Text.h"

#include <cstring>

const char* const kMediaFolders[kMediaFolderCount] = {"Media",     "MediaRus",  "MediaFran",
                                                      "MediaGerm", "MediaItal", "MediaSpan"};

std::int32_t g_fontCharset = 238;

namespace {
struct Charset {
    const char* name;
    std::int32_t value;
};
constexpr Charset kCharsets[] = {
    {"ANSI_CHARSET", 0},    {"BALTIC_CHARSET", 186},     {"CHINESEBIG5_CHARSET", 136},
    {"DEFAULT_CHARSET", 1}, {"EASTEUROPE_CHARSET", 238}, {"GB2312_CHARSET", 134},
    {"GREEK_CHARSET", 161}, {"HANGUL_CHARSET", 129},     {"MAC_CHARSET", 77},
    {"OEM_CHARSET", 255},   {"RUSSIAN_CHARSET", 204},    {"SHIFTJIS_CHARSET", 128},
    {"SYMBOL_CHARSET", 2},  {"TURKISH_CHARSET", 162},    {"VIETNAMESE_CHARSET", 163},
    {"JOHAB_CHARSET", 130}, {"ARABIC_CHARSET", 178},     {"HEBREW_CHARSET", 177},
    {"THAI_CHARSET", 222},
};
} // namespace

bool CharsetByName(const char* name, std::int32_t* value) {
    for (const Charset& c : kCharsets) {
        if (std::strcmp(c.name, name) == 0) {
            *value = c.value;
            return true;
        }
    }
    return false;
}

bool CInstaller::SetMediaDir(const char* folder) {
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "MediaDir", folder);
    mediaDir = folder;
    std::string path = text::Format(text::kMaxPath, "%s\\strings.txt", folder);
    // The disc holds the table; without it there is nothing to show, so keep asking for the disc.
    while (!g_strings.Load(path.c_str())) {
        ReportError("Please, place Peregrine install disk to the drive.");
        if (Unattended()) return false; // nobody to place it: told, and the installation fails
    }
    return true;
}

bool SelectLanguage(int index) {
    if (index < 0 || index >= kMediaFolderCount) index = 0;
    if (!g_installer.SetMediaDir(kMediaFolders[index])) return false;
    const char* charset = g_strings.GetText("LNG_CHARSET");
    std::int32_t value;
    if (charset[0] && CharsetByName(charset, &value)) g_fontCharset = value;
    g_wideTitle = g_strings.GetWideText("APP_TITLE");
    text::CutWide(g_wideTitle, kMessageChars - 1);
    os::SetWindowTitleWide(g_installer.hwnd, g_wideTitle);
    g_installer.DefaultGameDir();
    g_installer.homepageUrl = g_strings.GetText("URL_HOMEPAGE");
    g_installer.supportUrl = g_strings.GetText("URL_SUPPORT");
    return true;
}
