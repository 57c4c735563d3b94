// Installing without a person: the switches of both families, the exit codes the caller reads, the
// disc looked for instead of asked for, and the log.
#include "support/CopyWorld.h"

#include "engine/InstallWorker.h"
#include "engine/Unattended.h"
#include "shell/Registry.h"
#include "shell/SetupLog.h"
#include "shell/StartUp.h"

TEST(Switches, BothFamiliesWithTheirCaseQuotingAndValues) {
    Switches s = ParseSwitches("/S /D=C:\\Program Files\\Bright vale ");
    EXPECT_TRUE(s.valid) << s.problem;
    EXPECT_EQ(s.quiet, Quiet::VerySilent);
    EXPECT_EQ(s.quietSwitch, "/S");
    EXPECT_EQ(s.dir, "C:\\Program Files\\Bright vale") << "/D= takes the rest of the line, blanks and all";
    s = ParseSwitches("/S \"/D=C:\\Program Files\\Bright vale\"");
    EXPECT_TRUE(s.valid) << s.problem;
    EXPECT_EQ(s.dir, "C:\\Program Files\\Bright vale") << "as a launcher that quotes every argument passes it";

    s = ParseSwitches("/verysilent /Dir=\"C:\\My Games\\BV\\\" /log=\"C:\\logs\\setup log.txt\" /NoRestart "
                      "/SUPPRESSMSGBOXES /noicons /DISCWAIT=30");
    EXPECT_TRUE(s.valid) << s.problem;
    EXPECT_EQ(s.quiet, Quiet::VerySilent);
    EXPECT_EQ(s.dir, "C:\\My Games\\BV") << "quotes dropped, the final separator too";
    EXPECT_EQ(s.logFile, "C:\\logs\\setup log.txt");
    EXPECT_TRUE(s.noRestart && s.suppressBoxes && s.noIcons);
    EXPECT_EQ(s.discWaitSeconds, 30);

    s = ParseSwitches("/SILENT /DIR=D:\\Games");
    EXPECT_EQ(s.quiet, Quiet::Silent);
    EXPECT_EQ(s.dir, "D:\\Games");
    EXPECT_FALSE(s.noIcons);
    EXPECT_EQ(s.discWaitSeconds, 0) << "no waiting unless asked for";

    s = ParseSwitches("");
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.quiet, Quiet::None);
    EXPECT_TRUE(ParseSwitches("-AdditionalInstall /S").additionalInstall) << "the RunOnce entry's own";

    // What is not understood: named, and the line is refused as a whole.
    for (const char* bad : {"/s", "/d=C:\\Games", "/S /D=Games", "/DIR=relative\\folder", "/DIR=C:\\a\\..\\b",
                            "/QUIET", "/?", "setup", "/DISCWAIT=", "/DISCWAIT=-1", "/DISCWAIT=90000",
                            "/DISCWAIT=1e3", "/LOG=", "/SILENT /VERYSILENT", "/S /SILENT", "/NOICONS=1",
                            "/SILENT=yes", "\"\""}) {
        Switches b = ParseSwitches(bad);
        EXPECT_FALSE(b.valid) << bad;
        EXPECT_FALSE(b.problem.empty()) << bad;
    }
    EXPECT_TRUE(ParseSwitches("/S /S").valid) << "the same switch twice is no contradiction";
}

TEST(Switches, TheRelaunchKeepsTheCallersPartApartFromItsOwn) {
    CommandLine c = ParseCommandLine("/S /D=C:\\Program Files\\BV -CDPath D:");
    EXPECT_TRUE(c.hasCDPath);
    EXPECT_EQ(c.cdPath, "D:");
    EXPECT_TRUE(c.switches.valid) << c.switches.problem;
    EXPECT_EQ(c.switches.dir, "C:\\Program Files\\BV");
    c = ParseCommandLine("-AdditionalInstall /VERYSILENT -CDPath D:");
    EXPECT_TRUE(c.additionalInstall);
    EXPECT_EQ(c.switches.quiet, Quiet::VerySilent);
    EXPECT_EQ(RunOnceData("D:\\setup.exe", "/VERYSILENT"), "\"D:\\setup.exe\" -AdditionalInstall /VERYSILENT")
        << "the phase after the restart asks nothing either";
}

class Unattended : public CopyWorld {
  protected:
    void SetUp() override {
        CopyWorld::SetUp();
        UserFolders();
        D().modulePath = "C:\\Temp\\$$$1.tmp";
        D().freeBytes['C'] = 1ull << 34;
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
        reg::WriteString(os::kHkeyLocalMachine, reg::kWindowsKey, "ProgramFilesDir", "C:\\Games");
        g_installer.cdDrive = "D:";
        g_installer.gameDir.clear();
        g_installer.sourceDir = "D:";
        g_instanceMutex = os::MutexCreate(kInstanceMutexName);
        Marker("disc1", "cd1");
        Marker("disc2", "cd2");
        Package("disc1", "base.rar", "F game.exe abcd\n");
        Package("disc2", "more.rar", "F maps\\one.map map\n");
        // The disc builder puts the presets and the uninstaller on every disc.
        for (const char* disc : {"disc1", "disc2"}) {
            Package(disc, "settingsLow.pak", "F settings.ini low\n");
            Package(disc, "settingsHigh.pak", "F settings.ini high\n");
            Package(disc, "uninstall.exe", "MZ uninstaller");
        }
        Table("");
        Write("C:\\Games\\Brightvale\\player.sav", "the player's own");
    }
    void Table(const std::string& more) {
        Package("disc1", "Media/strings.txt",
                "APP_TITLE Brightvale\nGAME_EXE game.exe\nGAME_DIR Brightvale\nSPACE_NEED 1\n"
                "ANTIVIR_WARNING Turn off your virus scanner.\nSOURCE0 cd1:base.rar 4\n"
                "SOURCE1 cd2:more.rar 3\nADD_INSTALL_0 extras.exe\nCONFIRM_ADD_INSTALL_0 Install extras?\n" +
                    more);
    }
    void SecondDriveHolds(const char* disc) {
        D().drives['E'] = (root / disc).string();
        D().driveTypes['E'] = os::kDriveCdrom;
    }
    int Run(const std::string& line) {
        g_switches = ParseSwitches(line);
        EXPECT_TRUE(g_switches.valid) << g_switches.problem;
        return unattended::Install(nullptr);
    }
    bool WindowShown() {
        for (const auto& w : D().windows)
            if (w.showCommand != -1) return true; // never shown: as created
        return false;
    }
};

TEST_F(Unattended, VerySilentInstallsFromTwoDrivesWithoutAWindowOrABox) {
    SecondDriveHolds("disc2");
    EXPECT_EQ(Run("/VERYSILENT /DIR=\"C:\\My Games\\BV\" /NOICONS"), kExitDone);
    EXPECT_EQ(D().endedWith, kExitDone);
    for (const auto& box : D().boxes)
        ADD_FAILURE() << "a box was shown: " << box.text;
    EXPECT_FALSE(WindowShown());
    EXPECT_EQ(Read("C:\\My Games\\BV\\game.exe"), "abcd");
    EXPECT_EQ(Read("C:\\My Games\\BV\\maps\\one.map"), "map");
    EXPECT_EQ(Read("C:\\My Games\\BV\\settings.ini"), "low") << "the first preset";
    EXPECT_TRUE(Exists("C:\\My Games\\BV\\install.log"));
    EXPECT_FALSE(Exists("C:\\My Games\\BV\\~setup-journal"));
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), "C:\\My Games\\BV");
    EXPECT_EQ(Started("extras.exe"), 1) << "its question answered Yes";
    EXPECT_TRUE(D().links.size() > 0) << "the program group";
    for (const auto& link : D().links)
        EXPECT_EQ(link.file.find(u"Desktop"), std::u16string::npos) << "/NOICONS: no desktop shortcut";
    EXPECT_EQ(Started("$$$1.tmp"), 0) << "no maintenance page after a script's installation";
}

TEST_F(Unattended, ADiscInNoDriveFailsAfterTheWaitAndLeavesTheTargetAsItWas) {
    EXPECT_EQ(Run("/S /D=C:\\Games\\Brightvale"), kExitFailed);
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\player.sav"), "the player's own");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\game.exe")) << "the first disc's part undone";
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-journal"));
    EXPECT_EQ(unattended::Reason(), "the disc cd2 is in no drive");
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), "<none>");
    EXPECT_EQ(D().sleptMs, 0u) << "/DISCWAIT=0 waits for nothing";
}

TEST_F(Unattended, WithAWaitTheDiscIsLookedForOnceASecondForThatLong) {
    EXPECT_EQ(Run("/SILENT /DISCWAIT=5"), kExitFailed);
    EXPECT_GE(D().sleptMs, 5000u);
    EXPECT_LT(D().sleptMs, 3 * 5000u);
}

TEST_F(Unattended, ARestartDueIsMadeOrUnderNorestartOnlyReported) {
    SecondDriveHolds("disc2");
    Table("FORCEREBOOT 1\n");
    EXPECT_EQ(Run("/VERYSILENT /NORESTART"), kExitRestartNeeded) << unattended::Reason();
    EXPECT_TRUE(D().reboots.empty());
    EXPECT_TRUE(D().boxes.empty());
}

TEST_F(Unattended, ARestartDueWithoutNorestartIsMadeAndReported) {
    SecondDriveHolds("disc2");
    Table("FORCEREBOOT 1\n");
    EXPECT_EQ(Run("/VERYSILENT"), kExitRestartNeeded);
    EXPECT_EQ(D().reboots.size(), 1u);
    EXPECT_EQ(D().endedWith, kExitRestartNeeded);
    EXPECT_TRUE(D().boxes.empty());
}

TEST_F(Unattended, NotEnoughRoomFailsWithTheFigures) {
    SecondDriveHolds("disc2");
    D().freeBytes['C'] = 0;
    EXPECT_EQ(Run("/VERYSILENT"), kExitFailed);
    EXPECT_EQ(unattended::Reason(), "1 MB are needed on the drive of C:\\Games\\Brightvale, 0 MB are free");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\game.exe"));
}

TEST_F(Unattended, AFolderThatCannotBeMadeFailsWithItsReason) {
    Write("C:\\Blocked", "a file where the folder would be");
    EXPECT_EQ(Run("/VERYSILENT /DIR=C:\\Blocked\\BV"), kExitFailed);
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_EQ(unattended::Reason(), "the game folder C:\\Blocked\\BV cannot be made");
    EXPECT_FALSE(Exists("C:\\Blocked\\BV"));
}

TEST_F(Unattended, TheLogHasEveryStepMessageAndFileInUtf8AndIsAppendedTo) {
    SecondDriveHolds("disc2");
    Write("C:\\logs\\setup.log", "an earlier line\r\n");
    ASSERT_TRUE(setuplog::Open("C:\\logs\\setup.log"));
    EXPECT_EQ(Run("/VERYSILENT /LOG=C:\\logs\\setup.log"), kExitDone);
    std::string log = Read("C:\\logs\\setup.log");
    EXPECT_EQ(log.rfind("an earlier line\r\n", 0), 0u) << "appended to";
    for (const char* line : {"step: package base.rar", "file: C:\\Games\\Brightvale\\game.exe",
                             "file: C:\\Games\\Brightvale\\maps\\one.map", "message: Turn off your virus scanner.",
                             "message: Install extras?", "answer: Yes", "result: exit code 0"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;

    // Text of the ANSI code page arrives as UTF-8: the double's code page is 1251.
    setuplog::Line("message", "\xcf\xf0\xe8\xe2\xe5\xf2");
    EXPECT_NE(Read("C:\\logs\\setup.log").find("message: \xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"),
              std::string::npos);
    EXPECT_EQ(setuplog::Utf8(u"\U0001F3F0 \xd800x"), "\xf0\x9f\x8f\xb0 \xef\xbf\xbdx")
        << "a pair whole, half a pair replaced";
    setuplog::Open("C:\\logs\\closed-later.log");
}

class QuietStart : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        D().modulePath = "D:\\setup.exe";
        Write("D:\\setup.exe", "MZ setup program");
        Write("D:\\unrar.dll", "MZ extractor");
    }
};

TEST_F(QuietStart, TheCallersProcessWaitsAndEndsWithTheCopysCode) {
    Write("D:\\cd1", "");
    D().nextProcesses.push_back({"", 3, 3010});
    EXPECT_EQ(SetupMain(nullptr, "/VERYSILENT /DIR=\"C:\\My Games\\BV\""), kExitRestartNeeded);
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_NE(D().processes[0].commandLine.find("/VERYSILENT /DIR=\"C:\\My Games\\BV\" -CDPath D:"),
              std::string::npos)
        << D().processes[0].commandLine;
    EXPECT_TRUE(D().boxes.empty());

    D().processes.clear();
    D().nextProcesses.push_back({"", 0, 1602});
    EXPECT_EQ(SetupMain(nullptr, "/S"), kExitCancelled);
}

TEST_F(QuietStart, NoFirstDiscAndABadLineEndWithTheirCodes) {
    EXPECT_EQ(SetupMain(nullptr, "/S"), kExitFailed) << "no disc, nobody to ask";
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_TRUE(D().processes.empty());

    Write("D:\\cd1", "");
    EXPECT_EQ(SetupMain(nullptr, "/VERYSILENT /BOGUS"), kExitBadCommandLine);
    EXPECT_TRUE(D().boxes.empty()) << "quiet even about the line";
    EXPECT_EQ(SetupMain(nullptr, "/BOGUS"), kExitBadCommandLine);
    ASSERT_EQ(D().boxes.size(), 1u) << "a person is told why";
    EXPECT_NE(D().boxes[0].text.find("/BOGUS"), std::string::npos);
    EXPECT_TRUE(D().processes.empty());
    EXPECT_TRUE(D().registry.empty()) << "nothing done for a line not understood";

    D().mutexes[kInstanceMutexName] = 1;
    EXPECT_EQ(SetupMain(nullptr, "/S"), kExitFailed) << "another setup runs: a script must not read 0";
}
