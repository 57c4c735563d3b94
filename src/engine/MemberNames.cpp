#include "engine/MemberNames.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

// Windows counts COM and LPT followed by a superscript one, two or three as devices too. The
// superscripts as they arrive: UTF-8 (RAR 5 names), the OEM code pages that have them (850: FB FD
// FC; 437: FD) and the ANSI code pages (B9 B2 B3) of the recorded names.
bool IsDeviceDigit(const std::string& rest) {
    if (rest.size() == 1) {
        unsigned char c = static_cast<unsigned char>(rest[0]);
        return (c >= '0' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3 || c == 0xFB || c == 0xFC ||
               c == 0xFD;
    }
    return rest == "\xC2\xB9" || rest == "\xC2\xB2" || rest == "\xC2\xB3";
}

bool IsDevice(std::string component) {
    // A device name counts with any extension, and with blanks before it: "nul.txt" and "CON .txt"
    // open the device too.
    std::size_t dot = component.find('.');
    if (dot != std::string::npos) component.resize(dot);
    while (!component.empty() && component.back() == ' ')
        component.pop_back();
    for (char& c : component)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices)
        if (component == d) return true;
    return component.size() > 3 &&
           (component.compare(0, 3, "COM") == 0 || component.compare(0, 3, "LPT") == 0) &&
           IsDeviceDigit(component.substr(3));
}

} // namespace

bool MemberNameIsSafe(const char* name) {
    if (!name || !*name || name[0] == '\\' || name[0] == '/') return false;
    if (std::strchr(name, ':')) return false;
    const char* start = name;
    for (;;) {
        const char* end = start + std::strcspn(start, "\\/");
        std::string component(start, end);
        while (!component.empty() && (component.back() == '.' || component.back() == ' '))
            component.pop_back();
        bool onlyDots = end > start && component.empty();
        if (onlyDots && std::string(start, end) != ".") return false;
        if (IsDevice(component)) return false;
        if (!*end) return true;
        start = end + 1;
    }
}
