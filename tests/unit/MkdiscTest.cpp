// mkdisc on the sample game, and what it refuses.
#include "MkdiscWorld.h"

#include "shell/PlayerTexts.h"

#include <sstream>

using namespace mkdisc_test;

using Mkdisc = MkdiscWorld;

TEST_F(Mkdisc, SampleGameOnTwoDiscs) {
    std::string out;
    ASSERT_EQ(Run("capacity 3M\nmain Brightvale.exe\npackage base.rar readme.txt manual.txt\n"
                  "preset low presets/low\npreset high presets/high\n"
                  "additional extras.exe Install the extras?\n",
                  &out),
              0)
        << out;
    fs::path disc1 = discs / "disc1", disc2 = discs / "disc2";
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

    // Unpacking every package with our stand-in and with the vendor's library gives the game folder
    // back, byte for byte, each package from the disc its entry names.
    for (const char* library : {BV_STANDIN_SO, BV_VENDOR_SO}) {
        SCOPED_TRACE(library);
        fs::path target = root / "installed" / fs::path(library).filename();
        std::uint64_t entrySizes = Unpack(library, target);
        EXPECT_EQ(static_cast<std::int64_t>(entrySizes), g_bytesDone.load())
            << "SOURCE sizes sum to the unpacked bytes";
        EXPECT_EQ(TreeDifference(Tree(target, FromCp437), GameTree()), "");
        std::uint64_t need = std::strtoull(g_strings.GetText("SPACE_NEED"), nullptr, 10);
        EXPECT_GE(need << 20, entrySizes) << "SPACE_NEED in whole MiB, rounded up";
    }
    EXPECT_TRUE(g_strings.Has("SOURCE0"));
    std::string table = Slurp(disc1 / "Media" / "strings.txt");
    EXPECT_NE(table.find("\tcd2:"), std::string::npos) << "a package on disc 2";
}

TEST_F(Mkdisc, DefaultsNeedNoDescription) {
    std::string out;
    ASSERT_EQ(Run("", &out), 0) << out;
    fs::path disc1 = discs / "disc1";
    EXPECT_TRUE(fs::exists(disc1 / "cd1"));
    EXPECT_TRUE(fs::exists(disc1 / "data.rar")) << "one package per top-level folder";
    EXPECT_TRUE(fs::exists(disc1 / "maps.rar"));
    EXPECT_TRUE(fs::exists(disc1 / "base.rar")) << "the loose files";
    EXPECT_FALSE(fs::exists(discs / "disc2")) << "650 MiB is room enough";
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

TEST_F(Mkdisc, TextsNewerThanATableAreAddedInEnglishAndATranslationIsKept) {
    fs::path table = media / "Media" / "strings.txt";
    std::string text = Slurp(table), kept;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("RESUME_INSTALL\t", 0) == 0) continue; // an older table
        if (line.rfind("SHUTDOWN_REASON\t", 0) == 0) line = "SHUTDOWN_REASON\tBrightvale wird installiert\r";
        kept += line + "\n";
    }
    std::ofstream(table, std::ios::binary) << kept;
    std::string out;
    ASSERT_EQ(Run("", &out), 0) << out;
    D().drives['E'] = (discs / "disc1").string();
    ASSERT_TRUE(g_strings.Load("E:\\Media\\strings.txt"));
    EXPECT_STREQ(g_strings.GetText("RESUME_INSTALL"), kBuiltInTexts[0].english);
    EXPECT_STREQ(g_strings.GetText("SHUTDOWN_REASON"), "Brightvale wird installiert");
    for (const BuiltInText& b : kBuiltInTexts)
        EXPECT_TRUE(g_strings.Has(b.key)) << b.key;
}
