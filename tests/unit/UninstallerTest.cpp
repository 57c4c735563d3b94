#include "support/InstallLogText.h"
#include "support/World.h"

#include "Uninstaller.h"
#include "shell/Registry.h"

class Uninstaller : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        D().specialFolders[os::kCsidlDesktopDirectory] = u"C:\\Users\\ann\\Desktop";
        D().specialFolders[os::kCsidlPrograms] = u"C:\\Users\\ann\\Start Menu\\Programs";
        D().specialFolders[os::kCsidlProfile] = u"C:\\Users\\ann";
        D().specialFolders[os::kCsidlWindows] = u"C:\\Windows";
        D().specialFolders[os::kCsidlProgramFiles] = u"C:\\Program Files";
        Write(game + "\\Brightvale.exe", "MZ game");
        Write(game + "\\readme.txt", "read me");
        Write(game + "\\maps\\north.map", "map");
        Write(game + "\\uninstall.exe", "MZ uninstaller");
        Write(game + "\\strings.txt", "GAME_EXE Brightvale.exe");
        Write(game + "\\addinstf.bin", std::string(16, '\1'));
        Write(desktop + "\\Play Brightvale.lnk", "link");
        Write(group + "\\Play Brightvale.lnk", "link");
        Write("C:\\Users\\ann\\Start Menu\\Programs\\Orelwick\\Other game.lnk", "another game of the vendor");
        Write(game + "\\install.log",
              logtext::Lines({"C:\\Games\\Brightvale\\", "Brightvale.exe", "readme.txt", "maps",
                              "maps\\north.map", desktop + "\\Play Brightvale.lnk", group + "\\",
                              game + "\\uninstall.exe", "strings.txt", group + "\\Play Brightvale.lnk",
                              "addinstf.bin", "uninstall.exe", "Media\\strings.txt", "Media"},
                             "\r\n"));
        const char* hkcu = "SOFTWARE\\Orelwick\\Brightvale";
        for (const char* v : {"InstallDir", "CheckDisk", "InsertDisk", "VersionString", "ExeCDPath"})
            reg::WriteString(os::kHkeyCurrentUser, hkcu, v, v == std::string("InstallDir") ? game : "x");
        reg::WriteString(os::kHkeyLocalMachine, uninstallKey, "DisplayName", "Brightvale");
        reg::WriteString(os::kHkeyLocalMachine, uninstallKey, "UninstallString", game + "\\uninstall.exe");
        reg::WriteString(os::kHkeyCurrentUser, reg::kRunOnceKey, reg::kRunOnceValue, "\"D:\\setup.exe\"");
        reg::WriteString(os::kHkeyCurrentUser, reg::kRunOnceKey, "SomethingElse", "kept");
    }

    // The user starts uninstall.exe and answers the question; then the working copy runs, if started.
    int RunAsUser(int answer) {
        D().answers.push_back(answer);
        int code = uninstall::Run(game + "\\uninstall.exe", "");
        if (code != 0 || D().processes.empty()) return code;
        const std::string& line = D().processes.back().commandLine;
        std::string copy = line.substr(1, line.find('"', 1) - 1);
        return uninstall::Run(copy, line.substr(line.find('"', 1) + 1).c_str());
    }

    bool KeyExists(const std::string& key) { return D().registry.count(key) != 0; }

    const std::string game = "C:\\Games\\Brightvale";
    const std::string desktop = "C:\\Users\\ann\\Desktop";
    const std::string group = "C:\\Users\\ann\\Start Menu\\Programs\\Orelwick\\Brightvale";
    const char* uninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brightvale";
};

TEST_F(Uninstaller, AsksOnceThenWorksFromACopyInTheTemporaryFolder) {
    D().answers.push_back(os::kIdYes);
    EXPECT_EQ(uninstall::Run(game + "\\uninstall.exe", ""), 0);
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].flags, os::kMbYesNo | os::kMbIconQuestion);
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_EQ(D().processes[0].commandLine, "\"C:\\Temp\\$un1.tmp\" /remove \"C:\\Games\\Brightvale\"");
    EXPECT_EQ(Read("C:\\Temp\\$un1.tmp"), "MZ uninstaller");
    EXPECT_TRUE(Exists(game + "\\readme.txt")) << "the user's instance removes nothing itself";
    EXPECT_EQ(uninstall::WorkingFolder("/remove \"C:\\Games\\Brightvale\""), "C:\\Games\\Brightvale");
    EXPECT_EQ(uninstall::WorkingFolder(""), "");
}

TEST_F(Uninstaller, RemovesWhatTheLogNamesAndKeepsTheSaveGame) {
    Write(game + "\\saves\\slot1.sav", "my game");
    Write(game + "\\maps\\mymap.map", "a map I made");
    ASSERT_EQ(RunAsUser(os::kIdYes), 0);
    for (const char* gone : {"\\Brightvale.exe", "\\readme.txt", "\\maps\\north.map", "\\uninstall.exe",
                             "\\strings.txt", "\\addinstf.bin", "\\install.log"})
        EXPECT_FALSE(Exists(game + gone)) << gone;
    EXPECT_EQ(Read(game + "\\saves\\slot1.sav"), "my game");
    EXPECT_EQ(Read(game + "\\maps\\mymap.map"), "a map I made")
        << "a folder the log names keeps what it holds";
    EXPECT_FALSE(Exists(desktop + "\\Play Brightvale.lnk"));
    EXPECT_FALSE(Exists(group)) << "the group, once empty";
    EXPECT_TRUE(Exists("C:\\Users\\ann\\Start Menu\\Programs\\Orelwick\\Other game.lnk"));
    ASSERT_EQ(D().boxes.size(), 2u);
    const std::string& text = D().boxes[1].text;
    EXPECT_NE(text.find("has been removed"), std::string::npos);
    EXPECT_NE(text.find(game + "\\saves\\slot1.sav"), std::string::npos) << text;
    EXPECT_NE(text.find(game + "\\maps\\mymap.map"), std::string::npos) << text;
    EXPECT_EQ(D().deleteAtReboot, std::vector<std::string>{"C:\\Temp\\$un1.tmp"});
}

TEST_F(Uninstaller, RemovesTheFolderAndTheRegistryEntries) {
    ASSERT_EQ(RunAsUser(os::kIdYes), 0);
    EXPECT_FALSE(Exists(game)) << "nothing else was left";
    EXPECT_EQ(D().boxes.back().text, "Brightvale has been removed from your computer.");
    EXPECT_FALSE(KeyExists("hkcu\\software\\orelwick\\brightvale"));
    EXPECT_FALSE(KeyExists("hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\brightvale"));
    EXPECT_EQ(RegValue(std::string("HKCU\\") + reg::kRunOnceKey, reg::kRunOnceValue), "<none>");
    EXPECT_EQ(RegValue(std::string("HKCU\\") + reg::kRunOnceKey, "SomethingElse"), "kept");
}

TEST_F(Uninstaller, QuietlyItAsksNothingShowsNothingAndEndsWithTheCopysCode) {
    for (const char* extra : {"QuietUninstallString", "InstallDate", "URLInfoAbout", "HelpLink"})
        reg::WriteString(os::kHkeyLocalMachine, uninstallKey, extra, "x");
    os::testdouble::Process copy;
    copy.pollsUntilExit = 3;
    copy.exitCode = 7;
    D().nextProcesses.push_back(copy);
    EXPECT_EQ(uninstall::Run(game + "\\uninstall.exe", "/S"), 7) << "the caller gets the working copy's code";
    ASSERT_EQ(D().processes.size(), 1u);
    const std::string line = D().processes[0].commandLine;
    EXPECT_EQ(line, "\"C:\\Temp\\$un1.tmp\" /S /remove \"C:\\Games\\Brightvale\"");
    EXPECT_EQ(uninstall::Run("C:\\Temp\\$un1.tmp", line.substr(line.find('"', 1) + 1).c_str()), 0);
    EXPECT_TRUE(D().boxes.empty()) << "no question and no closing box";
    EXPECT_FALSE(Exists(game));
    EXPECT_FALSE(KeyExists("hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\brightvale"))
        << "the values for administrators' tools go too";

    // A refusal is a code, not a box.
    Write(game + "\\install.log", "C:\\Games\\Brightvale\\\r\n..\\..\\Windows\\win.ini\r\n");
    EXPECT_EQ(uninstall::Run(game + "\\uninstall.exe", "/S"), 1);
    EXPECT_TRUE(D().boxes.empty());

    EXPECT_TRUE(uninstall::QuietSwitch("  /S  "));
    EXPECT_FALSE(uninstall::QuietSwitch("/s")) << "the switch keeps its case";
    EXPECT_FALSE(uninstall::QuietSwitch("/SILENT"));
    EXPECT_FALSE(uninstall::QuietSwitch("/remove \"C:\\My /S game\"")) << "a word of the folder is no switch";
}

TEST_F(Uninstaller, AReadOnlyFileGoesAndAFileInUseIsNamedAsLeft) {
    os::SetFileAttrs((game + "\\readme.txt").c_str(), os::kAttrReadOnly);
    D().lockedFiles.insert("c:\\games\\brightvale\\maps\\north.map"); // the game still running
    ASSERT_EQ(RunAsUser(os::kIdYes), 0);
    EXPECT_FALSE(Exists(game + "\\readme.txt"));
    EXPECT_TRUE(Exists(game + "\\maps\\north.map"));
    EXPECT_FALSE(Exists(game + "\\Brightvale.exe")) << "the rest goes all the same";
    const std::string& text = D().boxes.back().text;
    EXPECT_NE(text.find(game + "\\maps\\north.map"), std::string::npos) << text;
}

TEST_F(Uninstaller, AValueOfTheGameKeepsTheKey) {
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "PlayerName", "Ann");
    ASSERT_EQ(RunAsUser(os::kIdYes), 0);
    EXPECT_EQ(RegValue(std::string("HKCU\\") + reg::kProductKey, "PlayerName"), "Ann");
    EXPECT_EQ(RegValue(std::string("HKCU\\") + reg::kProductKey, "InstallDir"), "<none>");
}

TEST_F(Uninstaller, RegistrationOfAnotherFolderStays) {
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "D:\\Brightvale");
    ASSERT_EQ(RunAsUser(os::kIdYes), 0);
    EXPECT_FALSE(Exists(game));
    EXPECT_EQ(RegValue(std::string("HKCU\\") + reg::kProductKey, "InstallDir"), "D:\\Brightvale");
    EXPECT_EQ(RegValue(std::string("HKLM\\") + uninstallKey, "DisplayName"), "Brightvale");
}

TEST_F(Uninstaller, NoRemovesNothing) {
    ASSERT_EQ(RunAsUser(os::kIdNo), 0);
    EXPECT_TRUE(D().processes.empty());
    EXPECT_TRUE(Exists(game + "\\readme.txt"));
    EXPECT_EQ(RegValue(std::string("HKCU\\") + reg::kProductKey, "InstallDir"), game);
}

TEST_F(Uninstaller, HostileOrMissingLogIsRefusedBeforeTheQuestion) {
    Write("C:\\Windows\\win.ini", "system");
    Write(game + "\\install.log", logtext::Lines({"readme.txt", "..\\..\\Windows\\win.ini"}, "\r\n"));
    EXPECT_EQ(RunAsUser(os::kIdYes), 1);
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].flags, os::kMbOk | os::kMbIconError);
    EXPECT_NE(D().boxes[0].text.find("..\\..\\Windows\\win.ini"), std::string::npos);
    EXPECT_TRUE(Exists(game + "\\readme.txt"));
    EXPECT_TRUE(Exists("C:\\Windows\\win.ini"));

    fs::remove(os::testdouble::HostPath(game + "\\install.log"));
    D().boxes.clear();
    EXPECT_EQ(RunAsUser(os::kIdYes), 1);
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_NE(D().boxes[0].text.find("no installation log"), std::string::npos);
}

TEST_F(Uninstaller, RefusesAGameFolderThatIsAProfileRoot) {
    Write("C:\\Users\\ann\\install.log", logtext::Lines({"C:\\Users\\ann\\", "NTUSER.DAT"}, "\r\n"));
    Write("C:\\Users\\ann\\NTUSER.DAT", "profile");
    EXPECT_EQ(uninstall::Run("C:\\Users\\ann\\uninstall.exe", ""), 1);
    EXPECT_TRUE(Exists("C:\\Users\\ann\\NTUSER.DAT"));
    EXPECT_EQ(uninstall::Run("C:\\Temp\\$un9.tmp", "/remove \"C:\\Users\\ann\""), 1)
        << "the working copy checks again";
    EXPECT_TRUE(Exists("C:\\Users\\ann\\NTUSER.DAT"));
}

TEST_F(Uninstaller, WithoutACopyTheWorkIsDoneInPlace) {
    D().tempPath = "Q:\\Nowhere\\"; // no such drive: the copy cannot be made
    D().answers.push_back(os::kIdYes);
    EXPECT_EQ(uninstall::Run(game + "\\uninstall.exe", ""), 0);
    EXPECT_TRUE(D().processes.empty());
    EXPECT_FALSE(Exists(game + "\\readme.txt"));
}

// On Windows (links marked, final paths), on XP (no final paths: the folders on the way are all there is)
// and under Wine (links to files unmarked: only their final path tells).
enum class LinkSystem { Windows, XP, Wine };
class UninstallerLinks : public Uninstaller, public ::testing::WithParamInterface<LinkSystem> {};
INSTANTIATE_TEST_SUITE_P(Systems, UninstallerLinks,
                         ::testing::Values(LinkSystem::Windows, LinkSystem::XP, LinkSystem::Wine));

TEST_P(UninstallerLinks, NeverRemovesThroughALinkAtAnyLevel) {
    D().noFinalPath = GetParam() == LinkSystem::XP;
    D().fileLinksUnmarked = GetParam() == LinkSystem::Wine;
    // Files of others, outside the game folder, that links in it lead to.
    Write("C:\\Windows\\System32\\x.dll", "the system's");
    Write("C:\\Outside\\notes.txt", "another user's");
    Write("C:\\Outside\\data.bin", "another user's data");
    auto link = [&](const std::string& at, const std::string& to) {
        fs::create_symlink(os::testdouble::HostPath(to), os::testdouble::HostPath(at));
    };
    // A logged folder that is now a link (a junction to System32, say), with a logged file in it.
    fs::remove_all(os::testdouble::HostPath(game + "\\maps"));
    link(game + "\\maps", "C:\\Windows\\System32");
    // A link inside a logged folder that is a real one.
    Write(game + "\\data\\real.dat", "game data");
    link(game + "\\data\\more", "C:\\Outside");
    // A logged file that is a link to a file outside.
    link(game + "\\lib.dll", "C:\\Outside\\data.bin");
    Write(game + "\\install.log",
          logtext::Lines({"Brightvale.exe", "maps", "maps\\x.dll", "data", "data\\real.dat",
                          "data\\more\\notes.txt", "lib.dll", "uninstall.exe"},
                         "\r\n"));
    ASSERT_EQ(RunAsUser(os::kIdYes), 0);
    EXPECT_EQ(Read("C:\\Windows\\System32\\x.dll"), "the system's") << "not through the logged folder's link";
    EXPECT_EQ(Read("C:\\Outside\\notes.txt"), "another user's") << "not through a link in a logged folder";
    EXPECT_EQ(Read("C:\\Outside\\data.bin"), "another user's data") << "not the file a logged link names";
    EXPECT_FALSE(fs::is_symlink(os::testdouble::HostPath(game + "\\maps"))) << "the logged links go themselves";
    if (GetParam() != LinkSystem::Wine) // there a link to a file cannot be told from the file: it stays
        EXPECT_FALSE(fs::is_symlink(os::testdouble::HostPath(game + "\\lib.dll")));
    EXPECT_FALSE(Exists(game + "\\data\\real.dat"));
    ASSERT_FALSE(D().boxes.empty());
    EXPECT_NE(D().boxes.back().text.find("more"), std::string::npos) << "the link it left is listed";
}

TEST_F(Uninstaller, AGameFolderThatIsItselfALinkIsRefused) {
    Write("C:\\Elsewhere\\install.log", logtext::Lines({"Brightvale.exe"}, "\r\n"));
    Write("C:\\Elsewhere\\Brightvale.exe", "someone's program");
    Write("C:\\Elsewhere\\uninstall.exe", "MZ");
    fs::remove_all(os::testdouble::HostPath(game));
    fs::create_symlink(os::testdouble::HostPath("C:\\Elsewhere"), os::testdouble::HostPath(game));
    EXPECT_EQ(uninstall::Run(game + "\\uninstall.exe", ""), 1);
    EXPECT_EQ(Read("C:\\Elsewhere\\Brightvale.exe"), "someone's program");
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_NE(D().boxes[0].text.find("not a game folder of its own"), std::string::npos);
}
