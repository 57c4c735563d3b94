#include "shell/Switches.h"

#include "shell/Files.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

Switches g_switches;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// One argument: up to the next blank outside quotes, the quotes themselves dropped.
std::string NextToken(const std::string& line, std::size_t* at) {
    std::string token;
    bool quoted = false;
    std::size_t i = *at;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else
            token += line[i];
    }
    *at = i;
    return token;
}

std::string TrimEnd(std::string s) {
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r' || s.back() == '\n'))
        s.pop_back();
    return s;
}

bool Fail(Switches& s, const std::string& problem) {
    s.valid = false;
    s.problem = problem;
    return false;
}

bool SetQuiet(Switches& s, Quiet quiet, const std::string& as) {
    if (s.quiet != Quiet::None && s.quietSwitch != as) return Fail(s, "two ways of running quietly: " + s.quietSwitch + " and " + as);
    s.quiet = quiet;
    s.quietSwitch = as;
    return true;
}

bool SetDir(Switches& s, const std::string& folder, const std::string& as) {
    std::string dir = folder;
    while (dir.size() > 3 && dir.back() == '\\')
        dir.pop_back();
    if (!IsPlainAbsoluteFolder(dir)) return Fail(s, as + " needs a folder with its drive, such as C:\\Games\\Brightvale");
    s.hasDir = true;
    s.dir = dir;
    return true;
}

bool SetDiscWait(Switches& s, const std::string& value) {
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos)
        return Fail(s, "/DISCWAIT needs a number of seconds");
    int seconds = std::atoi(value.c_str());
    if (seconds > kMaxDiscWaitSeconds) return Fail(s, "/DISCWAIT is at most 86400 seconds");
    s.discWaitSeconds = seconds;
    return true;
}

// A switch of the case-insensitive family; name is upper case, value what follows "=" (or none).
bool Take(Switches& s, const std::string& token) {
    std::size_t equals = token.find('=');
    std::string name = Upper(token.substr(0, equals));
    bool hasValue = equals != std::string::npos;
    std::string value = hasValue ? token.substr(equals + 1) : std::string();
    if (!hasValue) {
        if (name == "/SILENT") return SetQuiet(s, Quiet::Silent, "/SILENT");
        if (name == "/VERYSILENT") return SetQuiet(s, Quiet::VerySilent, "/VERYSILENT");
        if (name == "/NORESTART") return s.noRestart = true;
        if (name == "/SUPPRESSMSGBOXES") return s.suppressBoxes = true;
        if (name == "/NOICONS") return s.noIcons = true;
    } else {
        if (name == "/DIR") return SetDir(s, value, "/DIR");
        if (name == "/DISCWAIT") return SetDiscWait(s, value);
        if (name == "/LOG") {
            if (value.empty()) return Fail(s, "/LOG needs a file name");
            s.logFile = value;
            return true;
        }
    }
    return Fail(s, "unknown switch " + token);
}

} // namespace

Switches ParseSwitches(const std::string& line) {
    Switches s;
    std::size_t at = 0;
    while (at < line.size()) {
        if (IsBlank(line[at]) || line[at] == '\r' || line[at] == '\n') {
            ++at;
            continue;
        }
        // The folder of "/D=" is the rest of the line, blanks and all, and never quoted.
        if (line.compare(at, 3, "/D=") == 0) {
            SetDir(s, TrimEnd(line.substr(at + 3)), "/D=");
            return s;
        }
        // A launcher that quotes every argument with a blank puts the quote before the switch.
        if (line.compare(at, 4, "\"/D=") == 0) {
            std::string folder = TrimEnd(line.substr(at + 4));
            if (!folder.empty() && folder.back() == '"') folder.pop_back();
            SetDir(s, folder, "/D=");
            return s;
        }
        std::string token = NextToken(line, &at);
        if (token == "/S") {
            if (!SetQuiet(s, Quiet::VerySilent, "/S")) return s;
        } else if (token == "-AdditionalInstall") {
            s.additionalInstall = true;
        } else if (token.empty() || token[0] != '/' || !Take(s, token)) {
            if (s.valid) Fail(s, "unknown switch " + token);
            return s;
        }
    }
    return s;
}
