#include "engine/JournalFile.h"

namespace journal {

namespace {

char KindLetter(Record::Kind kind) {
    switch (kind) {
    case Record::Folder:
        return 'D';
    case Record::File:
        return 'F';
    case Record::Replaced:
        return 'R';
    case Record::Done:
        return 'P';
    }
    return '?';
}

// Fields of a line (without its line feed), split at tabs.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// A path as the journal writes it: absolute ("X:\..."), and nothing a line or a field could hide in.
bool PlausiblePath(const std::string& path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
    for (char c : path)
        if (static_cast<unsigned char>(c) < 32) return false;
    return true;
}

} // namespace

std::string Header(const Contents& c) {
    return std::string(kMagic) + "\nT\t" + c.target + "\nM\t" + c.media + "\nI\t" + (c.desktopIcon ? "1" : "0") +
           "\n";
}

std::string Line(const Record& r) {
    std::string line(1, KindLetter(r.kind));
    line += '\t';
    line += r.path;
    if (r.kind == Record::Replaced) line += "\t" + r.kept;
    return line + "\n";
}

bool Parse(const std::string& bytes, Contents* out) {
    *out = Contents();
    std::size_t at = 0;
    bool magic = false;
    for (;;) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) break; // the last line was cut
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!magic) {
            if (line != kMagic) return false;
            magic = true;
            continue;
        }
        std::vector<std::string> f = Fields(line);
        if (f[0].size() != 1) break;
        char kind = f[0][0];
        bool header = out->records.empty();
        if (header && kind == 'T' && f.size() == 2 && out->target.empty() && PlausiblePath(f[1])) {
            out->target = f[1];
        } else if (header && kind == 'M' && f.size() == 2) {
            out->media = f[1];
        } else if (header && kind == 'I' && f.size() == 2 && (f[1] == "0" || f[1] == "1")) {
            out->desktopIcon = f[1] == "1";
        } else if ((kind == 'D' || kind == 'F') && f.size() == 2 && PlausiblePath(f[1])) {
            out->records.push_back({kind == 'D' ? Record::Folder : Record::File, f[1], std::string()});
        } else if (kind == 'R' && f.size() == 3 && PlausiblePath(f[1]) && PlausiblePath(f[2])) {
            out->records.push_back({Record::Replaced, f[1], f[2]});
        } else if (kind == 'P' && f.size() == 2 && !f[1].empty()) {
            out->records.push_back({Record::Done, f[1], std::string()});
        } else {
            break; // a torn or foreign line: what follows cannot be trusted either
        }
    }
    return magic && !out->target.empty();
}

} // namespace journal
