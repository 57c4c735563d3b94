#include "shell/MessageBoxes.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Text.h"

#include <cstdarg>

std::string g_narrowTitle = "Brightvale Installation";
std::u16string g_wideTitle = u"Installation";

namespace {

// The formatted text cut to the 1024-character buffer with room for the appended line feed.
__attribute__((format(printf, 1, 0))) std::string Compose(const char* format, std::va_list args) {
    return text::FormatV(kMessageChars - 1, format, args) + "\n";
}

// Every message also goes to the debug output, so that what a player was told can be seen without
// the screen.
void Trace(const std::string& message) {
    os::DebugText(("message: " + message).c_str());
}

} // namespace

int ReportError(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string narrow = text::FormatV(kMessageChars, format, args);
    va_end(args);
    Trace(narrow + "\n");
    std::u16string wide = os::AnsiToWide(narrow.c_str());
    text::CutWide(wide, kMessageChars - 2);
    wide += u"\n";
    return os::MsgBoxW(g_installer.hwnd, wide, g_wideTitle, os::kMbIconError);
}

void ShowInfo(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string message = Compose(format, args);
    va_end(args);
    Trace(message);
    std::string caption = g_strings.GetText("APP_TITLE");
    if (g_installer.hwnd && g_installer.okBox) {
        g_installer.okBox->Show(message.c_str(), caption.c_str());
        return;
    }
    os::MsgBoxA(nullptr, message.c_str(), caption.c_str(), os::kMbIconInformation);
}

bool AskYesNo(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string message = Compose(format, args);
    va_end(args);
    Trace(message);
    std::string caption = g_strings.GetText("APP_TITLE");
    if (g_installer.hwnd && g_installer.yesNoBox)
        return g_installer.yesNoBox->Show(message.c_str(), caption.c_str()) == 3;
    return os::MsgBoxA(g_installer.hwnd, message.c_str(), caption.c_str(),
                       os::kMbIconQuestion | os::kMbYesNo) == os::kIdYes;
}

void ShowLastError() {
    std::string message = os::LastErrorText();
    if (message.empty()) return;
    Trace(message);
    os::MsgBoxA(g_installer.hwnd, message.c_str(), "Error", os::kMbIconInformation);
}
