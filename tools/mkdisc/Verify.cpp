#include "Verify.h"

#include "StringsFile.h"
#include "Text.h"

#include "engine/ExtractorApi.h"
#include "engine/MemberNames.h"

#include <cstdlib>
#include <map>
#include <set>

namespace mkdisc {

namespace {

const char* const kLanguages[] = {"Media", "MediaRus", "MediaFran", "MediaGerm", "MediaItal", "MediaSpan"};

struct Entry {
    std::string key, marker, package;
    std::uint64_t size = 0;
};

// The installer's reading of an entry: marker up to ':', package up to the next blank, then the size.
bool ParseEntry(const std::string& key, const std::string& value, Entry* e) {
    std::size_t colon = value.find(':');
    if (colon == std::string::npos) return false;
    std::size_t blank = value.find(' ', colon + 1);
    if (blank == std::string::npos) return false;
    e->key = key;
    e->marker = value.substr(0, colon);
    e->package = value.substr(colon + 1, blank - colon - 1);
    char* end = nullptr;
    e->size = std::strtoull(value.c_str() + blank + 1, &end, 10);
    return end && *end == '\0' && end != value.c_str() + blank + 1;
}

struct PackageCheck {
    bool opened = false;
    std::uint64_t unpacked = 0;
};

// Opens a package, reads every member through the archive reader (which checks each CRC) and checks
// each name against the installer's rule.
PackageCheck CheckPackage(DiscView& disc, const std::string& name, Progress* progress,
                          std::vector<std::string>* problems) {
    PackageCheck result;
    auto say = [&](const std::string& what) { problems->push_back(disc.name() + ": " + name + ": " + what); };
    std::unique_ptr<rar::Source> source = disc.Open(name);
    if (!source) {
        say("cannot be read");
        return result;
    }
    rar::Reader reader(*source);
    if (reader.Open() != 0) {
        say("is not an archive the installer can open");
        return result;
    }
    result.opened = true;
    std::vector<std::uint8_t> buffer(rar::kBlock);
    for (;;) {
        rar::Member m;
        int rc = reader.Next(&m);
        if (rc == extractor::kEndArchive) break;
        if (rc != 0) {
            say("a damaged header after " + std::to_string(result.unpacked) + " bytes of members");
            break;
        }
        if (!MemberNameIsSafe(m.name.c_str()))
            say("member \"" + m.name + "\" would be refused by the installer");
        if (m.isDir || m.link) continue;
        if (!m.stored) {
            say("member \"" + m.name + "\" is compressed; the stand-in library reads stored members only");
            continue;
        }
        int read = reader.ReadData(
            m,
            [&](const std::uint8_t*, std::size_t n) {
                progress->Add(n);
                return true;
            },
            buffer.data(), buffer.size());
        if (read != 0) say("member \"" + m.name + "\": its data does not match its CRC");
        result.unpacked += m.unpSize;
    }
    return result;
}

std::string Decimal(const std::string& text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    return text.substr(0, digits);
}

} // namespace

std::uint64_t PackageBytes(std::vector<std::unique_ptr<DiscView>>& discs) {
    std::uint64_t total = 0;
    std::string bytes;
    if (discs.empty() || !discs[0]->Read("Media/strings.txt", &bytes)) return 0;
    StringsFile table(bytes, "CP1252");
    for (unsigned i = 0; i < 128; ++i) {
        Entry e;
        if (ParseEntry("SOURCE" + std::to_string(i), table.Value("SOURCE" + std::to_string(i)), &e))
            total += e.size;
    }
    return total;
}

bool VerifySet(std::vector<std::unique_ptr<DiscView>>& discs, Progress* progress,
               std::vector<std::string>* problems, std::size_t* packageCount) {
    std::size_t before = problems->size();
    DiscView& first = *discs[0];
    auto problem = [&](const DiscView& d, const std::string& what) {
        problems->push_back(d.name() + ": " + what);
    };

    // Every disc: its marker, and what the end of an installation reads from whichever disc is in.
    for (std::size_t n = 0; n < discs.size(); ++n) {
        DiscView& d = *discs[n];
        if (!d.Exists("cd" + std::to_string(n + 1)))
            problem(d, "its marker cd" + std::to_string(n + 1) + " is missing");
        for (const char* name : {"uninstall.exe", "settingsLow.pak", "settingsHigh.pak"})
            if (!d.Exists(name)) problem(d, std::string(name) + " is missing");
        for (const char* pak : {"settingsLow.pak", "settingsHigh.pak"})
            if (d.Exists(pak)) CheckPackage(d, pak, progress, problems);
    }
    for (const char* name : {"setup.exe", "unrar.dll"})
        if (!first.Exists(name)) problem(first, std::string(name) + " is missing");

    std::map<std::string, PackageCheck> checked; // "disc/package"
    bool anyLanguage = false;
    for (const char* language : kLanguages) {
        std::string tablePath = std::string(language) + "/strings.txt";
        std::string bytes;
        if (!first.Read(tablePath, &bytes)) {
            if (std::string(language) == "Media") problem(first, "Media/strings.txt is missing");
            continue;
        }
        anyLanguage = true;
        for (std::size_t n = 1; n < discs.size(); ++n) {
            std::string other;
            if (!discs[n]->Read(tablePath, &other))
                problem(*discs[n], tablePath + " is missing (the installer reads it from the last disc)");
            else if (other != bytes)
                problem(*discs[n], tablePath + " differs from the first disc's");
        }
        StringsFile probe(bytes, "CP1252");
        StringsFile table(bytes, AnsiCodePage(probe.Value("LNG_CHARSET"), language));
        auto say = [&](const std::string& what) { problem(first, tablePath + ": " + what); };

        std::uint64_t sum = 0;
        for (unsigned i = 0; i < 128; ++i) {
            std::string key = "SOURCE" + std::to_string(i);
            std::string value = table.Value(key);
            if (value.empty()) continue;
            Entry e;
            if (!ParseEntry(key, value, &e)) {
                say(key + " \"" + value + "\" is not \"marker:package size\"");
                continue;
            }
            sum += e.size;
            std::vector<std::size_t> holders;
            for (std::size_t n = 0; n < discs.size(); ++n)
                if (discs[n]->Exists(e.marker)) holders.push_back(n);
            if (holders.size() != 1) {
                std::string where;
                for (std::size_t n : holders)
                    where += (where.empty() ? "" : ", ") + discs[n]->name();
                say(key + ": marker " + e.marker +
                    (holders.empty()
                         ? " is on no disc"
                         : " is on " + std::to_string(holders.size()) + " discs (" + where + ")"));
                continue;
            }
            DiscView& disc = *discs[holders[0]];
            if (!disc.Exists(e.package)) {
                say(key + ": package " + e.package + " is missing from " + disc.name());
                continue;
            }
            std::string id = disc.name() + "/" + LowerAscii(e.package);
            auto it = checked.find(id);
            if (it == checked.end())
                it = checked.emplace(id, CheckPackage(disc, e.package, progress, problems)).first;
            if (it->second.opened && it->second.unpacked != e.size)
                say(key + ": the entry says " + std::to_string(e.size) + " bytes, " + e.package + " holds " +
                    std::to_string(it->second.unpacked));
        }
        std::string need = Decimal(table.Value("SPACE_NEED"));
        std::uint64_t needBytes = need.empty() ? 0 : std::strtoull(need.c_str(), nullptr, 10) << 20;
        if (needBytes < sum)
            say("SPACE_NEED " + (need.empty() ? std::string("(none)") : need) + " MiB is less than the " +
                std::to_string((sum + (1 << 20) - 1) >> 20) + " MiB of the packages");
        for (unsigned i = 0; i < 16; ++i) {
            std::string program = table.Value("ADD_INSTALL_" + std::to_string(i));
            if (program.empty()) continue;
            for (auto& d : discs)
                if (!d->Exists(program))
                    problem(*d, "the additional program " + program + " (ADD_INSTALL_" + std::to_string(i) +
                                    ") is missing");
        }
        std::string mainExe = table.Value("MAIN_EXECUTABLE");
        std::string bare = mainExe.substr(
            mainExe.find_last_of('\\') == std::string::npos ? 0 : mainExe.find_last_of('\\') + 1);
        if (!mainExe.empty() && !first.Exists(bare))
            problem(first, "the main executable " + bare + " (MAIN_EXECUTABLE) is missing");
    }
    if (!anyLanguage) problem(first, "no language folder with a strings.txt");
    *packageCount += checked.size();
    return problems->size() == before;
}

} // namespace mkdisc
