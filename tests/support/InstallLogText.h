// install.log text made by hand: the logs an earlier installation, an older set-up or someone else
// left in the game folder, for the steps that read them.
#pragma once

#include <string>
#include <vector>

namespace logtext {

// One entry a line, as the installer writes them, entries taken as they are (hostile ones too). The
// installer's text mode ends lines with CR LF on Windows and LF in the double, and an edited log may
// lack the last line end, so both are parameters.
inline std::string Lines(const std::vector<std::string>& entries, const std::string& end = "\n",
                         bool lastEnded = true) {
    std::string text;
    for (const std::string& e : entries)
        text += e + end;
    if (!lastEnded && !entries.empty()) text.resize(text.size() - end.size());
    return text;
}

} // namespace logtext
