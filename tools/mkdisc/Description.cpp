#include "Description.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace mkdisc {

bool ParseSize(const std::string& text, std::uint64_t* bytes) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (errno == ERANGE) return false;
    std::string unit = end;
    for (char& c : unit)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    int shift = unit.empty() ? 0 : unit == "K" ? 10 : unit == "M" ? 20 : unit == "G" ? 30 : -1;
    if (shift < 0 || v == 0 || v > (~0ull >> shift)) return false;
    *bytes = static_cast<std::uint64_t>(v) << shift;
    return true;
}

bool LabelIsUsable(const std::string& label) {
    if (label.empty() || label.size() > 14) return false;
    for (char c : label)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

std::string DefaultLabel(const std::string& gameDir, const std::string& appTitle) {
    std::string source = gameDir.substr(
        gameDir.find_last_of("\\/") == std::string::npos ? 0 : gameDir.find_last_of("\\/") + 1);
    if (source.empty()) source = appTitle;
    std::string label;
    for (char c : source) {
        if (label.size() == 14) break;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            label += c;
        else if (!label.empty() && label.back() != '_')
            label += '_';
    }
    while (!label.empty() && label.back() == '_')
        label.pop_back();
    return label.empty() ? "GAME" : label;
}

bool ParseDescription(const std::string& text, const std::string& baseDir, Description* out,
                      std::string* error) {
    Description d;
    d.baseDir = baseDir;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (std::size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::string key;
        if (!(words >> key)) continue;
        std::vector<std::string> args;
        for (std::string w; words >> w;)
            args.push_back(w);
        auto fail = [&](const std::string& why) {
            *error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (key == "capacity") {
            if (args.size() != 1 || !ParseSize(args[0], &d.capacity))
                return fail("capacity takes one size, like 650M");
        } else if (key == "main") {
            if (args.size() != 1) return fail("main takes one file name");
            d.mainExecutable = args[0];
        } else if (key == "package") {
            if (args.size() < 2)
                return fail("package takes an archive name and the top-level names it holds");
            d.packages.push_back({args[0], std::vector<std::string>(args.begin() + 1, args.end())});
        } else if (key == "preset") {
            if (args.size() != 2 || (args[0] != "low" && args[0] != "high"))
                return fail("preset takes low or high and a folder");
            (args[0] == "low" ? d.presetLow : d.presetHigh) = args[1];
        } else if (key == "additional") {
            if (args.empty()) return fail("additional takes a program and an optional question");
            std::string question;
            for (std::size_t i = 1; i < args.size(); ++i)
                question += (i > 1 ? " " : "") + args[i];
            d.additional.push_back({args[0], question});
        } else if (key == "companion") {
            if (args.size() != 1) return fail("companion takes one file");
            d.companions.push_back(args[0]);
        } else if (key == "label") {
            if (args.size() != 1 || !LabelIsUsable(args[0]))
                return fail("label takes one name of at most 14 characters A-Z, 0-9 and _, like BRIGHTVALE");
            d.label = args[0];
        } else if (key == "oem-codepage") {
            if (args.size() != 1) return fail("oem-codepage takes one code page, like CP437");
            d.oemCodePage = args[0];
        } else {
            return fail("unknown key \"" + key + "\"");
        }
    }
    if (d.additional.size() > 16) {
        *error = "at most 16 additional programs";
        return false;
    }
    *out = d;
    return true;
}

} // namespace mkdisc
