#include "shell/MessageBoxes.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/SetupLog.h"
#include "shell/Switches.h"
#include "shell/Text.h"

#include <atomic>
#include <mutex>

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
std::mutex& MessageLock() {
    static std::mutex lock;
    return lock;
}
std::string g_lastMessage;
std::atomic<bool> g_quietAnswer{true};

void Trace(const std::string& message) {
    os::DebugText(("message: " + message).c_str());
    setuplog::Line("message", message);
    std::lock_guard<std::mutex> hold(MessageLock());
    g_lastMessage = message;
    while (!g_lastMessage.empty() && g_lastMessage.back() == '\n')
        g_lastMessage.pop_back();
}

} // namespace

int ReportError(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string narrow = text::FormatV(kMessageChars, format, args);
    va_end(args);
    Trace(narrow + "\n");
    if (Unattended()) return os::kIdOk;
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
    if (Unattended()) return;
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
    if (Unattended()) {
        bool yes = g_quietAnswer;
        setuplog::Line("answer", yes ? "Yes" : "No");
        return yes;
    }
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
    if (Unattended()) return;
    os::MsgBoxA(g_installer.hwnd, message.c_str(), "Error", os::kMbIconInformation);
}

void SetQuietAnswer(bool yes) {
    g_quietAnswer = yes;
}

std::string LastMessage() {
    std::lock_guard<std::mutex> hold(MessageLock());
    return g_lastMessage;
}
