// mkdisc on the sample game, and what it refuses.
#include "support/World.h"

#include "engine/Extractor.h"
#include "engine/InstallDescription.h"

#include <iconv.h>
#include <map>
#include <regex>

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string FromCp437(const std::string& s) {
    iconv_t cd = iconv_open("UTF-8", "CP437");
    std::string out(s.size() * 4, '\0');
    char* src = const_cast<char*>(s.data());
    char* dst = out.data();
    std::size_t sl = s.size(), dl = out.size();
    iconv(cd, &src, &sl, &dst, &dl);
    iconv_close(cd);
    out.resize(out.size() - dl);
    return out;
}

// Every file of a tree, by relative path, with its bytes; folders as "<dir>".
std::map<std::string, std::string> Tree(const fs::path& at, bool namesInCp437) {
    std::map<std::string, std::string> tree;
    for (auto& e : fs::recursive_directory_iterator(at)) {
        std::string rel = fs::relative(e.path(), at).string();
        tree[namesInCp437 ? FromCp437(rel) : rel] = e.is_directory() ? "<dir>" : Slurp(e.path());
    }
    return tree;
}

} // namespace

class Mkdisc : public World {
  protected:
    void SetUp() override {
        World::SetUp();
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
    }

    int Run(const std::string& description, std::string* output) {
        std::string args = "--game '" + game.string() + "' --media '" + media.string() + "' --out '" +
                           (root / "discs").string() + "'";
        if (!description.empty()) {
            std::ofstream(root / "game.disc") << description;
            args += " --description '" + (root / "game.disc").string() + "'";
        }
        std::string cmd =
            std::string(BV_MKDISC) + " " + args + " >'" + (root / "out.txt").string() + "' 2>&1";
        int rc = std::system(cmd.c_str());
        *output = Slurp(root / "out.txt");
        return rc;
    }

    // No disc folder and no half-made one.
    void ExpectNoDiscs() {
        if (!fs::exists(root / "discs")) return;
        for (auto& e : fs::directory_iterator(root / "discs"))
            ADD_FAILURE() << "left behind: " << e.path();
    }

    fs::path game, media;
};

TEST_F(Mkdisc, SampleGameOnTwoDiscs) {
    std::string out;
    ASSERT_EQ(Run("capacity 3M\nmain Brightvale.exe\npackage base.rar readme.txt manual.txt\n"
                  "preset low presets/low\npreset high presets/high\n"
                  "additional extras.exe Install the extras?\n",
                  &out),
              0)
        << out;
    fs::path disc1 = root / "discs" / "disc1", disc2 = root / "discs" / "disc2";
    EXPECT_TRUE(fs::exists(disc1 / "cd1"));
    EXPECT_TRUE(fs::exists(disc2 / "cd2"));
    EXPECT_FALSE(fs::exists(disc1 / "cd2"));
    EXPECT_EQ(Slurp(disc1 / "Brightvale.exe"), "MZ the sample game")
        << "the main executable under its bare name";
    for (auto& disc : {disc1, disc2}) {
        EXPECT_TRUE(fs::exists(disc / "settingsLow.pak")) << disc;
        EXPECT_TRUE(fs::exists(disc / "settingsHigh.pak")) << disc;
        EXPECT_TRUE(fs::exists(disc / "extras.exe")) << disc;
        EXPECT_TRUE(fs::exists(disc / "Media" / "strings.txt")) << disc;
    }
    EXPECT_TRUE(fs::exists(disc1 / "Media" / "license.txt"));
    EXPECT_EQ(Slurp(disc1 / "Media" / "MainMedia" / "logoL.tga"), "shared picture")
        << "the shared pictures below the language folder, where the installer reads them";
    EXPECT_FALSE(fs::exists(disc1 / "MainMedia"));

    // The vendor's unrar accepts every package.
    std::vector<fs::path> archives;
    for (auto& disc : {disc1, disc2})
        for (auto& e : fs::directory_iterator(disc))
            if (e.path().extension() == ".rar" || e.path().extension() == ".pak")
                archives.push_back(e.path());
    ASSERT_GE(archives.size(), 5u);
    for (auto& a : archives)
        EXPECT_EQ(std::system(("unrar t -idq '" + a.string() + "' >/dev/null").c_str()), 0) << a;

    // strings.txt has every key the installer reads, and the package entries.
    D().drives['E'] = disc1.string();
    ASSERT_TRUE(g_strings.Load("E:\\Media\\strings.txt"));
    for (const char* key : {"APP_TITLE",
                            "GAME_DIR",
                            "URL_HOMEPAGE",
                            "URL_SUPPORT",
                            "LNG_CHARSET",
                            "README",
                            "GAME_EXE",
                            "SELECT_DIRECTORY",
                            "ARE_YOU_SURE",
                            "ICON_CB_X",
                            "ICON_CB_Y",
                            "QUALITY1_X",
                            "QUALITY2_X",
                            "QUALITY_Y",
                            "PROGRESS_PERCENT_X",
                            "PROGRESS_PERCENT_Y",
                            "SPACE_NEED",
                            "MB",
                            "OUT_OF_SPACE1",
                            "OUT_OF_SPACE2",
                            "OUT_OF_SPACE3",
                            "WRONG_PATH",
                            "INSERT_DISK",
                            "ANTIVIR_WARNING",
                            "MAIN_EXECUTABLE",
                            "GAME_ICON_DESCR",
                            "GAME_REGISTER",
                            "REGISTER_ICON_DESCR",
                            "MANUAL",
                            "MANUAL_ICON_DESCR",
                            "README_ICON_DESCR",
                            "SITE_ICON_DESCR",
                            "URL_SPONSOR_HOMEPAGE",
                            "SPONSOR_SITE_ICON_DESCR",
                            "UNINSTALL",
                            "CHECKDISK",
                            "VERSION_STRING",
                            "FORCEREBOOT",
                            "OK",
                            "YES",
                            "NO",
                            "SOURCE0",
                            "ADD_INSTALL_0",
                            "CONFIRM_ADD_INSTALL_0"})
        EXPECT_TRUE(g_strings.Has(key)) << key;
    EXPECT_STREQ(g_strings.GetText("ADD_INSTALL_0"), "extras.exe");
    EXPECT_STREQ(g_strings.GetText("CONFIRM_ADD_INSTALL_0"), "Install the extras?");

    // Unpacking every package with the vendor's library gives the game folder back, byte for byte.
    fs::create_symlink(BV_VENDOR_SO, root / "c" / "Temp" / "unrar.dll");
    UnbindExtractor();
    BindExtractor();
    ASSERT_TRUE(ExtractorBound());
    fs::path target = root / "installed";
    fs::create_directories(target);
    g_bytesDone = 0;
    std::uint64_t entrySizes = 0;
    int discsSeen = 0;
    for (unsigned i = 0; i < install::kMaxEntries; ++i) {
        std::string entry = install::EntryText(i);
        install::PackageEntry p;
        if (!install::SplitEntry(entry, &p)) continue;
        entrySizes += install::EntrySize(entry);
        fs::path disc = root / "discs" / ("disc" + p.marker.substr(2));
        ASSERT_TRUE(fs::exists(disc / p.marker)) << "the entry's disc holds its marker: " << entry;
        ASSERT_TRUE(fs::exists(disc / p.package)) << entry;
        discsSeen = std::max(discsSeen, std::stoi(p.marker.substr(2)));
        ASSERT_TRUE(ExtractPackage((disc / p.package).string().c_str(), target.string().c_str())) << entry;
    }
    UnbindExtractor();
    EXPECT_EQ(discsSeen, 2);
    EXPECT_EQ(static_cast<std::int64_t>(entrySizes), g_bytesDone.load())
        << "SOURCE sizes sum to the unpacked bytes";
    auto expected = Tree(game, false);
    expected.erase("Brightvale.exe");
    EXPECT_EQ(Tree(target, true), expected);
    std::uint64_t need = std::strtoull(g_strings.GetText("SPACE_NEED"), nullptr, 10);
    EXPECT_GE(need << 20, entrySizes) << "SPACE_NEED in whole MiB, rounded up";
}

TEST_F(Mkdisc, DefaultsNeedNoDescription) {
    std::string out;
    ASSERT_EQ(Run("", &out), 0) << out;
    fs::path disc1 = root / "discs" / "disc1";
    EXPECT_TRUE(fs::exists(disc1 / "cd1"));
    EXPECT_TRUE(fs::exists(disc1 / "data.rar")) << "one package per top-level folder";
    EXPECT_TRUE(fs::exists(disc1 / "maps.rar"));
    EXPECT_TRUE(fs::exists(disc1 / "base.rar")) << "the loose files";
    EXPECT_FALSE(fs::exists(root / "discs" / "disc2")) << "650 MiB is room enough";
}

TEST_F(Mkdisc, RefusesAFileLargerThanADisc) {
    std::ofstream(game / "data" / "huge.bin", std::ios::binary) << std::string(3 << 20, 'h');
    std::string out;
    EXPECT_NE(Run("capacity 2M\n", &out), 0);
    EXPECT_NE(out.find("huge.bin"), std::string::npos) << out;
    EXPECT_NE(out.find("larger than a disc"), std::string::npos) << out;
    ExpectNoDiscs();
}

TEST_F(Mkdisc, RefusesWithoutAMainExecutable) {
    fs::remove(game / "Brightvale.exe");
    std::string out;
    EXPECT_NE(Run("", &out), 0);
    EXPECT_NE(out.find("no main executable"), std::string::npos) << out;
    ExpectNoDiscs();
    std::ofstream(game / "a.exe") << "MZ";
    std::ofstream(game / "b.exe") << "MZ";
    EXPECT_NE(Run("", &out), 0);
    EXPECT_NE(out.find("several .exe"), std::string::npos) << out;
}

TEST_F(Mkdisc, RefusesAnOverlongName) {
    fs::path deep = game / "data";
    for (int i = 0; i < 9; ++i)
        deep /= std::string(24, 'a' + i);
    fs::create_directories(deep);
    std::ofstream(deep / "file.txt") << "x";
    std::string out;
    EXPECT_NE(Run("", &out), 0);
    EXPECT_NE(out.find("too long"), std::string::npos) << out;
    ExpectNoDiscs();
}

TEST_F(Mkdisc, RefusesMissingInputsAndBadDescriptions) {
    std::string out;
    fs::remove_all(media);
    EXPECT_NE(Run("", &out), 0);
    EXPECT_NE(out.find("media folder"), std::string::npos) << out;
    fs::create_directories(media / "Media");
    std::ofstream(media / "Media" / "strings.txt") << "APP_TITLE x\n";
    EXPECT_NE(Run("capacity lots\n", &out), 0);
    EXPECT_NE(out.find("line 1"), std::string::npos) << out;
    EXPECT_NE(Run("package data.rar nothing-here\n", &out), 0);
    EXPECT_NE(out.find("nothing-here"), std::string::npos) << out;
    ExpectNoDiscs();
}
