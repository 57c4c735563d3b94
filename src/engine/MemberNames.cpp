#include "engine/MemberNames.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

bool IsDevice(std::string component) {
    // A device name counts with any extension: "nul.txt" opens NUL too.
    std::size_t dot = component.find('.');
    if (dot != std::string::npos) component.resize(dot);
    for (char& c : component)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices)
        if (component == d) return true;
    return component.size() == 4 &&
           (component.compare(0, 3, "COM") == 0 || component.compare(0, 3, "LPT") == 0) &&
           component[3] >= '0' && component[3] <= '9';
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
