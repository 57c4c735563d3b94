#include "support/InstallLogText.h"
#include "support/World.h"

#include "engine/FinishInstall.h"
#include "engine/InstallLog.h"
#include "engine/Registration.h"
#include "shell/Registry.h"

class Finish : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        UserFolders();
        Write("D:\\uninstall.exe", "MZ uninstaller");
        Write("D:\\Media\\strings.txt", "GAME_EXE Brightvale.exe\n");
        Write("C:\\Games\\Brightvale\\Brightvale.exe", "MZ game");
        D().currentDir = "D:\\";
        D().modulePath = "C:\\Temp\\$$$1.tmp";
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
        g_installer.cdDrive = "D:"; // checked and taken at start-up
        CInstaller& in = g_installer;
        in.gameDir = "C:\\Games\\Brightvale";
        in.sourceDir = "D:";
        in.copyComplete = true;
        in.shutdownPending = false;
        in.installedFiles = {"C:\\Games\\Brightvale\\", "Brightvale.exe"};
        g_instanceMutex = os::MutexCreate(kInstanceMutexName);
        LoadStrings(std::string(kStrings));
    }
    void TearDown() override {
        g_installer.finishing = false;
        World::TearDown();
    }
    std::vector<std::string> LinkFiles() {
        std::vector<std::string> files;
        for (const auto& l : D().links)
            files.push_back(os::testdouble::ToUtf8(l.file));
        return files;
    }
    std::vector<std::string> LogLines() {
        return installlog::SplitLines(Read("C:\\Games\\Brightvale\\install.log"));
    }

    static constexpr const char* kStrings = "GAME_EXE Brightvale.exe\n"
                                            "GAME_DIR Orelwick\\Brightvale\n"
                                            "GAME_ICON_DESCR Play Brightvale\n"
                                            "UNINSTALL Uninstall Brightvale\n"
                                            "README readme.txt\n"
                                            "README_ICON_DESCR Read Me\n"
                                            "URL_HOMEPAGE https://www.orelwick.example/\n"
                                            "SITE_ICON_DESCR On the Web\n"
                                            "CHECKDISK 1\n"
                                            "VERSION_STRING 1.0\n"
                                            "ADD_INSTALL_0 extras.exe\n";
};

TEST_F(Finish, ATypicalInstallation) {
    g_installer.FinishInstall();
    const std::string desktop = "C:\\Users\\ann\\Desktop",
                      group = "C:\\Users\\ann\\Programs\\Orelwick\\Brightvale";
    EXPECT_EQ(LinkFiles(),
              (std::vector<std::string>{desktop + "\\Play Brightvale.lnk", group + "\\Play Brightvale.lnk",
                                        group + "\\Read Me.lnk", group + "\\On the Web.lnk",
                                        group + "\\Uninstall Brightvale.lnk"}));
    EXPECT_EQ(os::testdouble::ToUtf8(D().links[0].target), "C:\\Games\\Brightvale\\Brightvale.exe");
    EXPECT_EQ(os::testdouble::ToUtf8(D().links[0].workingDir), "C:\\Games\\Brightvale");
    EXPECT_EQ(os::testdouble::ToUtf8(D().links[2].target), "C:\\Games\\Brightvale\\readme.txt");
    EXPECT_EQ(os::testdouble::ToUtf8(D().links[3].target), "https://www.orelwick.example/");
    EXPECT_EQ(os::testdouble::ToUtf8(D().links[4].target), "C:\\Games\\Brightvale\\uninstall.exe");
    EXPECT_TRUE(Exists("C:\\Users\\ann\\Programs\\Orelwick")) << "the vendor folder is made";

    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "C:\\Games\\Brightvale\\", "Brightvale.exe", desktop + "\\Play Brightvale.lnk",
                              group + "\\", "C:\\Games\\Brightvale\\uninstall.exe", "strings.txt",
                              group + "\\Play Brightvale.lnk", group + "\\Read Me.lnk",
                              group + "\\On the Web.lnk", group + "\\Uninstall Brightvale.lnk",
                              "addinstf.bin", "uninstall.exe", "Media\\strings.txt", "Media"}))
        << "only the innermost group folder is recorded";
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\uninstall.exe"), "MZ uninstaller");
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\strings.txt"), "GAME_EXE Brightvale.exe\n");

    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), "C:\\Games\\Brightvale");
    EXPECT_EQ(RegValue(std::string("HKLM\\") + registration::kUninstallKey, "UninstallString"),
              "\"C:\\Games\\Brightvale\\uninstall.exe\"");

    ASSERT_EQ(D().processes.size(), 2u);
    EXPECT_EQ(D().processes[0].commandLine, "\"D:\\extras.exe\" ");
    EXPECT_EQ(D().processes[1].commandLine, "\"C:\\Temp\\$$$1.tmp\" ") << "the setup program starts anew";
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\addinstf.bin"), std::string(16, '\x01'));
    EXPECT_TRUE(D().mutexes.empty()) << "the new instance must be able to start";
    EXPECT_EQ(D().currentDir, "D:\\");
    EXPECT_EQ(D().endedWith, 0);
    EXPECT_TRUE(D().reboots.empty());
    EXPECT_TRUE(g_installer.finishing);
}

TEST_F(Finish, NoDesktopShortcutAndOnlyTheTwoGroupShortcuts) {
    g_installer.createIcons = false;
    LoadStrings("GAME_EXE Brightvale.exe\nGAME_DIR Brightvale\nGAME_ICON_DESCR Play\nUNINSTALL Remove\n"
                "GAME_REGISTER\nMANUAL\nREADME\nURL_HOMEPAGE\nURL_SPONSOR_HOMEPAGE\n");
    g_installer.FinishInstall();
    EXPECT_EQ(LinkFiles(), (std::vector<std::string>{"C:\\Users\\ann\\Programs\\Brightvale\\Play.lnk",
                                                     "C:\\Users\\ann\\Programs\\Brightvale\\Remove.lnk"}));
}

TEST_F(Finish, TheFolderTheFilesWentToWinsOverAnEarlierInstallDirButNotAfterARestart) {
    // An InstallDir left by a cancelled or hand-removed earlier attempt elsewhere.
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "E:\\Old\\Brightvale");
    D().drives['E'] = (root / "e").string();
    fs::create_directories(root / "e" / "Old" / "Brightvale");
    g_installer.FinishInstall();
    EXPECT_EQ(g_installer.gameDir, "C:\\Games\\Brightvale");
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\uninstall.exe"), "MZ uninstaller");
    EXPECT_TRUE(Exists("C:\\Games\\Brightvale\\install.log"));
    EXPECT_FALSE(Exists("E:\\Old\\Brightvale\\install.log"));
    EXPECT_EQ(os::testdouble::ToUtf8(D().links[0].target), "C:\\Games\\Brightvale\\Brightvale.exe");
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), "C:\\Games\\Brightvale");

    // The phase after a restart has no copy of its own: InstallDir names the game folder.
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "E:\\Old\\Brightvale");
    g_installer.additionalInstall = true;
    g_installer.FinishInstall();
    g_installer.additionalInstall = false;
    EXPECT_EQ(g_installer.gameDir, "E:\\Old\\Brightvale");
    EXPECT_TRUE(Exists("E:\\Old\\Brightvale\\install.log"));
}

TEST_F(Finish, ForcedRestartInsteadOfTheRelaunch) {
    LoadStrings(std::string(kStrings) + "FORCEREBOOT 1\n");
    g_installer.FinishInstall();
    ASSERT_EQ(D().reboots.size(), 1u);
    EXPECT_TRUE(D().reboots[0]) << "NT: with the shutdown privilege";
    ASSERT_FALSE(D().boxes.empty());
    EXPECT_EQ(D().boxes.back().flags, os::kMbIconInformation);
    EXPECT_EQ(D().processes.size(), 1u) << "the additional program, no relaunch";
    EXPECT_EQ(D().endedWith, 0);
    for (const char* other : {"yes", "01", "0"}) {
        D().reboots.clear();
        LoadStrings(std::string(kStrings) + "FORCEREBOOT " + other + "\n");
        g_installer.FinishInstall();
        EXPECT_TRUE(D().reboots.empty()) << other;
    }
}

TEST_F(Finish, AnAbandonedCopyOnlyReturns) {
    g_installer.copyComplete = false;
    g_installer.FinishInstall();
    EXPECT_TRUE(g_installer.finishing);
    EXPECT_TRUE(D().links.empty());
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\install.log"));
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\addinstf.bin")) << "no marker is left behind";
    EXPECT_TRUE(D().processes.empty());
    EXPECT_EQ(D().endedWith, -1);
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), "<none>");
    // A cancel confirmed once the copy was complete is too late: the finishing runs whole.
    g_installer.copyComplete = true;
    g_installer.cancelConfirmed = true;
    g_installer.FinishInstall();
    EXPECT_FALSE(D().links.empty());
    EXPECT_TRUE(Exists("C:\\Games\\Brightvale\\install.log"));
    EXPECT_EQ(D().endedWith, 0);
}

TEST_F(Finish, TheAdditionalPhaseKeepsTheEarlierLog) {
    Write("C:\\Games\\Brightvale\\install.log",
          logtext::Lines({"C:\\Games\\Brightvale\\", "Brightvale.exe", "maps", "maps\\a.map"}));
    Write("C:\\Games\\Brightvale\\addinstf.bin", std::string(16, '\x01'));
    g_installer.additionalInstall = true;
    g_installer.installedFiles.clear(); // that phase unpacks nothing
    g_installer.FinishInstall();
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              (std::vector<std::string>{"C:\\Games\\Brightvale\\", "Brightvale.exe", "maps", "maps\\a.map"}));
    EXPECT_EQ(lines.back(), "Media");
    ASSERT_EQ(D().processes.size(), 1u) << "every slot was done: only the relaunch";
}

TEST_F(Finish, NoProgramsFolderMakesNoGroup) {
    D().specialFolders.erase(os::kCsidlPrograms);
    D().lastErrorText = "The system cannot find the path specified.";
    g_installer.FinishInstall();
    EXPECT_EQ(LinkFiles(), std::vector<std::string>{"C:\\Users\\ann\\Desktop\\Play Brightvale.lnk"});
    EXPECT_FALSE(Exists("D:\\Orelwick")) << "nothing lands in the root of the current drive";
    EXPECT_FALSE(Exists("C:\\Orelwick"));
    EXPECT_EQ(D().boxes[0].text, "The system cannot find the path specified.");
    EXPECT_EQ(D().endedWith, 0);
}

TEST_F(Finish, WhatCannotBeWrittenIsToldByNameAndTheFinishingGoesOn) {
    fs::remove(os::testdouble::HostPath("D:\\uninstall.exe")); // a disc made without it
    fs::create_directories(os::testdouble::HostPath("C:\\Games\\Brightvale\\install.log")); // in the way
    g_installer.FinishInstall();
    std::vector<std::string> texts;
    for (const auto& box : D().boxes)
        texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "The installation could not write this file: C:\\Games\\Brightvale\\uninstall.exe\n",
                         "The installation could not write this file: C:\\Games\\Brightvale\\install.log\n"}));
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), "C:\\Games\\Brightvale")
        << "the registration is written all the same";
    EXPECT_EQ(D().processes.back().commandLine, "\"C:\\Temp\\$$$1.tmp\" ") << "and the setup program starts anew";
}

TEST_F(Finish, AnUnknownDesktopGetsNoShortcutAnywhere) {
    D().specialFolders.erase(os::kCsidlDesktopDirectory);
    g_installer.FinishInstall();
    for (const std::string& link : LinkFiles())
        EXPECT_EQ(link.rfind("C:\\Users\\ann\\Programs\\Orelwick\\Brightvale\\", 0), 0u) << link;
    EXPECT_EQ(LinkFiles().size(), 4u) << "the group's four";
    EXPECT_FALSE(Exists("D:\\Play Brightvale.lnk"));
    EXPECT_FALSE(Exists("C:\\Play Brightvale.lnk"));
    for (const std::string& line : LogLines())
        EXPECT_EQ(line.find("Play Brightvale.lnk") == std::string::npos ||
                      line.find("\\Orelwick\\Brightvale\\") != std::string::npos,
                  true)
            << line;
}

TEST_F(Finish, AGameFolderWithLettersBeyondAsciiIsWrittenTheSameEverywhere) {
    const std::string folder = "C:\\\xC8\xE3\xF0\xFB\\Brightvale"; // "C:\Игры\Brightvale" in the ANSI code page
    Write(folder + "\\Brightvale.exe", "MZ game");
    g_installer.gameDir = folder;
    g_installer.installedFiles = {folder + "\\", "Brightvale.exe"};
    g_installer.FinishInstall();
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_EQ(Read(folder + "\\uninstall.exe"), "MZ uninstaller");
    std::vector<std::string> log = installlog::SplitLines(Read(folder + "\\install.log"));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], folder + "\\");
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), folder);
    ASSERT_FALSE(D().links.empty());
    EXPECT_EQ(D().links[0].target, u"C:\\\u0418\u0433\u0440\u044B\\Brightvale\\Brightvale.exe");
}

TEST_F(Finish, TheMainExecutableIsLogged) {
    LoadStrings(std::string(kStrings) + "MAIN_EXECUTABLE Brightvale.exe\n");
    g_installer.installedFiles = {"C:\\Games\\Brightvale\\", "maps"};
    g_installer.FinishInstall();
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Brightvale.exe") << "copied before the list started";
    std::vector<std::string> entries = {"a"};
    for (const char* odd : {"C:\\x.exe", "..\\x.exe", "\\x.exe", ""}) {
        LoadStrings(std::string("MAIN_EXECUTABLE ") + odd + "\n");
        RecordMainExecutable(entries);
        EXPECT_EQ(entries, std::vector<std::string>{"a"}) << odd;
    }
    LoadStrings("MAIN_EXECUTABLE bin\\game.exe\n");
    RecordMainExecutable(entries);
    RecordMainExecutable(entries);
    EXPECT_EQ(entries, (std::vector<std::string>{"bin\\game.exe", "a"})) << "once";
}

TEST_F(Finish, RunOnceLivesOnlyWhileAnAdditionalProgramIsDue) {
    const std::string runOnceKey = std::string("HKCU\\") + reg::kRunOnceKey;
    LoadStrings(std::string(kStrings) + "CONFIRM_ADD_INSTALL_0 Install the extras?\n");
    std::string armedWhileAsked;
    D().onBox = [&](const os::testdouble::MessageBoxCall&) {
        armedWhileAsked = RegValue(runOnceKey, reg::kRunOnceValue);
    };
    D().answers = {os::kIdYes};
    g_installer.FinishInstall();
    EXPECT_EQ(armedWhileAsked, "\"D:\\setup.exe\" -AdditionalInstall") << "armed before the programs run";
    EXPECT_EQ(RegValue(runOnceKey, reg::kRunOnceValue), "<none>") << "gone once every slot is dealt with";

    // Windows ends the session while the first program runs: the entry stays for the slot still due.
    std::string markerPath = "C:\\Games\\Brightvale\\addinstf.bin";
    fs::remove(os::testdouble::HostPath(markerPath));
    LoadStrings(std::string(kStrings) + "ADD_INSTALL_1 more.exe\n");
    D().onBox = nullptr;
    struct EndingSession : guiDialog {
        bool Update() override {
            g_installer.shutdownPending = true; // as WM_QUERYENDSESSION sets it
            return false;
        }
    } page;
    AddTopLevelDialog(&page);
    ShowPage(&page);
    D().nextProcesses.push_back({"", 2, 0});
    g_installer.FinishInstall();
    g_topLevelDialogs.clear();
    g_currentPage = nullptr;
    EXPECT_EQ(RegValue(runOnceKey, reg::kRunOnceValue), "\"D:\\setup.exe\" -AdditionalInstall");
    EXPECT_NE(Read(markerPath), std::string(16, '\x01'));

    // The phase that entry starts after the restart (Windows deletes the value first) does not arm it
    // again, and runs the slot that was left.
    os::Handle key = os::RegOpen(os::kHkeyCurrentUser, reg::kRunOnceKey, os::kKeyAllAccess);
    os::RegRemoveValue(key, reg::kRunOnceValue);
    os::RegClose(key);
    g_installer.additionalInstall = true;
    g_installer.shutdownPending = false;
    g_installer.FinishInstall();
    g_installer.additionalInstall = false;
    EXPECT_EQ(RegValue(runOnceKey, reg::kRunOnceValue), "<none>");
    EXPECT_EQ(Read(markerPath), std::string(16, '\x01'));
}
