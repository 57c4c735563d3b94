// The sample game, media and presets in a temporary folder, mkdisc run on them, and the set it made
// installed by the installer's worker.
#pragma once

#include "support/CopyWorld.h"
#include "support/Tree.h"

#include "engine/InstallDescription.h"
#include "engine/InstallWorker.h"

#include <cstdlib>
#include <iconv.h>
#include <map>
#include <unistd.h>

namespace mkdisc_test {

inline std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string Iconv(const std::string& s, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    std::string out(s.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(s.data());
    char* dst = out.data();
    std::size_t sl = s.size(), dl = out.size();
    iconv(cd, &src, &sl, &dst, &dl);
    iconv_close(cd);
    out.resize(out.size() - dl);
    return out;
}

// An unpacked member's name, stored in the OEM code page, as the game folder spells it.
inline std::string FromCp437(const std::string& name) {
    return Iconv(name, "CP437", "UTF-8");
}

// The paths two trees do not agree on ("" when they are the same), so a failure stays readable.
inline std::string TreeDifference(const std::map<std::string, std::string>& got,
                                  const std::map<std::string, std::string>& expected) {
    std::string diff;
    for (auto& [path, bytes] : got) {
        auto it = expected.find(path);
        if (it == expected.end())
            diff += "unexpected " + path + "\n";
        else if (it->second != bytes)
            diff += "different " + path + "\n";
    }
    for (auto& [path, bytes] : expected)
        if (!got.count(path)) diff += "missing " + path + "\n";
    return diff;
}

// The value of a key in an ANSI or UTF-16 table, as UTF-8 (ANSI read in `codePage`); "<none>" when
// absent. `count` gets the number of lines with the key.
inline std::string TableValue(const std::string& bytes, const std::string& key, int* count = nullptr,
                              const char* codePage = "CP1252") {
    bool wide = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                static_cast<unsigned char>(bytes[1]) == 0xFE;
    std::string text = wide ? Iconv(bytes.substr(2), "UTF-16LE", "UTF-8") : Iconv(bytes, codePage, "UTF-8");
    std::string value = "<none>";
    int n = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        std::size_t keyEnd = line.find_first_of("\t \r");
        if (line.substr(0, keyEnd) != key) continue;
        ++n;
        std::size_t v =
            keyEnd == std::string::npos ? std::string::npos : line.find_first_not_of("\t \r", keyEnd);
        value = v == std::string::npos ? "" : line.substr(v);
        while (!value.empty() && value.back() == '\r')
            value.pop_back();
    }
    if (count) *count = n;
    return value;
}

} // namespace mkdisc_test

class MkdiscWorld : public CopyWorld {
  protected:
    void SetUp() override {
        CopyWorld::SetUp();
        game = root / "game";
        fs::copy(fs::path(BV_SOURCE_DIR) / "sample" / "game", game, fs::copy_options::recursive);
        std::ofstream(game / "Brightvale.exe", std::ios::binary) << "MZ the sample game";
        ASSERT_EQ(std::system((std::string(BV_SAMPLE_DATA) + " '" + game.string() + "'").c_str()), 0);
        media = root / "media";
        fs::copy(fs::path(BV_SOURCE_DIR) / "sample" / "media", media, fs::copy_options::recursive);
        fs::create_directories(media / "MainMedia");
        std::ofstream(media / "MainMedia" / "logoL.tga", std::ios::binary) << "shared picture";
        fs::copy(fs::path(BV_SOURCE_DIR) / "sample" / "presets", root / "presets",
                 fs::copy_options::recursive);
        std::ofstream(root / "extras.exe", std::ios::binary) << "MZ extras";
        discs = root / "discs";
    }

    // The mkdisc under test: BV_MKDISC_UNDER_TEST names another build (an earlier one, say).
    static std::string Program() {
        const char* other = std::getenv("BV_MKDISC_UNDER_TEST");
        return other && *other ? other : BV_MKDISC;
    }

    // Runs mkdisc with the game, media and out folders and `more` options; `prefix` goes before the
    // program (a "cd DIR &&" or a setpriv).
    int Run(const std::string& description, std::string* output, const std::string& more = "",
            const std::string& prefix = "") {
        std::string args = "--game '" + game.string() + "' --media '" + media.string() + "' --out '" +
                           discs.string() + "' " + more;
        if (!description.empty()) {
            std::ofstream(root / "game.disc") << description;
            args += " --description '" + (root / "game.disc").string() + "'";
        }
        std::string cmd =
            prefix + " " + Program() + " " + args + " >'" + (root / "out.txt").string() + "' 2>&1";
        int rc = std::system(cmd.c_str());
        *output = mkdisc_test::Slurp(root / "out.txt");
        return rc;
    }

    // No disc folder and no half-made one.
    void ExpectNoDiscs() {
        if (!fs::exists(discs)) return;
        for (auto& e : fs::directory_iterator(discs))
            ADD_FAILURE() << "left behind: " << e.path();
    }

    // Loads the first disc's English table into the string table.
    void LoadTable() {
        D().drives['E'] = (discs / "disc1").string();
        ASSERT_TRUE(g_strings.Load("E:\\Media\\strings.txt"));
    }

    // Installs the set into `target` with the worker through `library`, the player inserting each disc
    // it asks for. Returns the sum of the entries' sizes.
    std::uint64_t Unpack(const char* library, const fs::path& target) {
        LoadTable();
        Fake<void (*)(const char*)>("FakeForward")(library);
        fs::create_directories(target.parent_path()); // the drive the game goes to
        D().drives['G'] = target.parent_path().string();
        g_installer.gameDir = "G:\\" + target.filename().string();
        D().drives['D'] = (discs / "disc1").string();
        D().onBox = [this](const os::testdouble::MessageBoxCall& box) {
            std::size_t marker = box.text.rfind(" cd");
            if (marker == std::string::npos) return; // not a disc question: the worker fails, seen below
            D().drives['D'] = (discs / ("disc" + std::to_string(std::atoi(&box.text[marker + 3])))).string();
            D().answers.push_back(os::kIdYes);
        };
        g_journal.Reset();
        InstallWorker();
        EXPECT_TRUE(g_installer.copyComplete) << library << ": " << ::testing::PrintToString(BoxTexts());
        g_journal.Commit(); // as the finishing steps do
        Fake<void (*)(const char*)>("FakeForward")(nullptr);
        // The worker takes a package found without its disc's marker: each must be where its entry says.
        for (unsigned i = 0; i < install::kMaxEntries; ++i) {
            install::PackageEntry p;
            if (!install::SplitEntry(install::EntryText(i), &p)) continue;
            fs::path disc = discs / ("disc" + p.marker.substr(2));
            EXPECT_TRUE(fs::exists(disc / p.marker) && fs::is_regular_file(disc / p.package)) << p.package;
        }
        return static_cast<std::uint64_t>(g_bytesTotal.load());
    }

    // The game folder as installed: everything but the main executable, copied plainly.
    std::map<std::string, std::string> GameTree() {
        auto expected = Tree(game);
        expected.erase("Brightvale.exe");
        return expected;
    }

    // The package names of every SOURCE entry of the first disc's table.
    std::vector<std::string> Packages() {
        std::vector<std::string> names;
        std::string table = mkdisc_test::Slurp(discs / "disc1" / "Media" / "strings.txt");
        for (unsigned i = 0; i < 128; ++i) {
            std::string v = mkdisc_test::TableValue(table, "SOURCE" + std::to_string(i));
            if (v == "<none>") continue;
            names.push_back(v.substr(v.find(':') + 1, v.rfind(' ') - v.find(':') - 1));
        }
        return names;
    }

    fs::path game, media, discs;
};
