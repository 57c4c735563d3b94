#include "support/World.h"

#include "shell/Registry.h"
#include "shell/Shell.h"

class Shell : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        reg::WriteString(os::kHkeyLocalMachine, reg::kWindowsKey, "ProgramFilesDir", "C:\\Program Files");
        LoadStrings("GAME_DIR Orelwick\\Brightvale\nSELECT_DIRECTORY Choose a folder\n");
    }
};

TEST_F(Shell, DefaultGameDir) {
    g_installer.DefaultGameDir();
    EXPECT_EQ(g_installer.gameDir, "C:\\Program Files\\Orelwick\\Brightvale");
    D().registry.clear();
    g_installer.DefaultGameDir();
    EXPECT_EQ(g_installer.gameDir, "\\Orelwick\\Brightvale")
        << "a missing ProgramFilesDir gives an empty folder part";
}

TEST_F(Shell, BrowseForGameDirPathRules) {
    g_installer.gameDir = "C:\\Program Files\\Orelwick\\Brightvale";
    D().browseChooses = true;
    D().browseResult = u"D:\\Games";
    g_installer.BrowseForGameDir();
    EXPECT_EQ(g_installer.gameDir, "D:\\Games\\Orelwick\\Brightvale");
    D().browseResult = u"E:\\";
    g_installer.BrowseForGameDir();
    EXPECT_EQ(g_installer.gameDir, "E:\\Orelwick\\Brightvale") << "a drive root keeps one backslash";
    D().browseResult = u"\\\\server\\share";
    g_installer.BrowseForGameDir();
    EXPECT_EQ(g_installer.gameDir, "E:\\Orelwick\\Brightvale") << "a path without a drive letter is ignored";
    D().browseResult = u"F:";
    g_installer.BrowseForGameDir();
    EXPECT_EQ(g_installer.gameDir, "E:\\Orelwick\\Brightvale") << "two characters are not enough";
    D().browseChooses = false;
    g_installer.BrowseForGameDir();
    EXPECT_EQ(g_installer.gameDir, "E:\\Orelwick\\Brightvale") << "cancelled";
    ASSERT_EQ(D().browseCalls.size(), 5u);
    EXPECT_EQ(D().browseCalls[0].first, 0x0001u | 0x0008u | 0x0040u);
    EXPECT_TRUE(D().browseCalls[0].second) << "NT 6 has the new shell";
    EXPECT_EQ(D().browseTitle, u"Choose a folder");
}

TEST_F(Shell, OldSystemsUseTheNarrowInterfaces) {
    D().platformId = 1; // Windows 9x
    D().browseChooses = true;
    D().browseResult = u"C:\\G";
    g_installer.BrowseForGameDir();
    EXPECT_FALSE(D().browseCalls.back().second);
    D().platformId = 2;
    D().majorVersion = 4; // NT 4
    g_installer.CreateShortcut(u"C:\\G\\game.exe", u"Game", u"C:\\G", u"C:\\Links");
    ASSERT_EQ(D().links.size(), 1u);
    EXPECT_FALSE(D().links[0].wide);
}

TEST_F(Shell, ShortcutsAreRecordedAsTheyAreMade) {
    fs::create_directories(root / "c" / "Links");
    EXPECT_EQ(g_installer.CreateShortcut(u"C:\\G\\game.exe", u"Play Brightvale", u"C:\\G", u"C:\\Links"), 0);
    ASSERT_EQ(D().links.size(), 1u);
    EXPECT_TRUE(D().links[0].wide);
    EXPECT_EQ(D().links[0].file, u"C:\\Links\\Play Brightvale.lnk");
    EXPECT_EQ(D().links[0].description, u"Play Brightvale");
    EXPECT_EQ(D().links[0].workingDir, u"C:\\G");
    ASSERT_EQ(g_installer.installedFiles.size(), 1u);
    EXPECT_EQ(g_installer.installedFiles[0], "C:\\Links\\Play Brightvale.lnk");

    D().linkCreateFails = true;
    EXPECT_LT(g_installer.CreateShortcut(u"C:\\G\\x.exe", u"Broken", u"C:\\G", u"C:\\Links"), 0);
    ASSERT_EQ(g_installer.installedFiles.size(), 2u) << "recorded even when the link object cannot be made";
    EXPECT_EQ(g_installer.installedFiles[1], "C:\\Links\\Broken.lnk");
}

TEST_F(Shell, NarrowSaveFailureShowsTheSystemText) {
    D().platformId = 1;
    D().linkSaveResult = static_cast<std::int32_t>(0x80070005u);
    D().lastErrorText = "Access is denied.";
    g_installer.CreateShortcut(u"C:\\G\\x.exe", u"X", u"C:\\G", u"C:\\Links");
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Access is denied.");
    EXPECT_EQ(D().boxes[0].caption, "Error");
}

TEST_F(Shell, SpecialFoldersThatCannotBeResolvedAreEmpty) {
    D().specialFolders[os::kCsidlDesktopDirectory] = u"C:\\Users\\p\\Desktop";
    EXPECT_EQ(GetDesktopFolder(), u"C:\\Users\\p\\Desktop");
    D().lastErrorText = "The system cannot find the path specified.";
    EXPECT_EQ(GetProgramsFolder(), u"");
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].caption, "Error");
}

TEST_F(Shell, DocumentsOpenWithTheShell) {
    LoadStrings("README readme.txt\n");
    g_installer.homepageUrl = "https://brightvale.example/";
    g_installer.OpenReadme();
    g_installer.OpenHomepage();
    ASSERT_EQ(D().opened.size(), 2u);
    EXPECT_EQ(D().opened[0], "readme.txt");
    EXPECT_EQ(D().opened[1], "https://brightvale.example/");
}
