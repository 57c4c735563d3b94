#include "support/World.h"

#include "shell/Registry.h"
#include "shell/StartUp.h"
#include "engine/AddInstallMarker.h"

#include <optional>

class StartUp : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        D().modulePath = "D:\\setup.exe";
        Write("D:\\setup.exe", "MZ setup program");
        Write("D:\\unrar.dll", "MZ extractor");
        Write("D:\\Media\\strings.txt", "APP_TITLE\tBrightvale Setup\n");
        // The relaunched instance opens its window and runs its loop: let the loop end at once.
        os::testdouble::PostWindowMessage(os::kWmQuit);
    }
    std::string Product(const char* name) { return RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", name); }
    std::string RunOnce() {
        return RegValue("HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Runonce",
                        "__OrelwickAdditionalInstallation__");
    }
};

TEST_F(StartUp, CommandLineRules) {
    CommandLine c = ParseCommandLine("");
    EXPECT_FALSE(c.hasCDPath);
    c = ParseCommandLine("-AdditionalInstall");
    EXPECT_FALSE(c.hasCDPath);
    EXPECT_FALSE(c.additionalInstall) << "ignored without -CDPath";
    c = ParseCommandLine(" -CDPath D:");
    EXPECT_TRUE(c.hasCDPath);
    EXPECT_EQ(c.cdPath, "D:");
    EXPECT_FALSE(c.additionalInstall);
    c = ParseCommandLine("-AdditionalInstall -CDPath D:");
    EXPECT_TRUE(c.additionalInstall);
    EXPECT_EQ(c.cdPath, "D:");
    c = ParseCommandLine("-CDPath D:\\sub dir -AdditionalInstall");
    EXPECT_EQ(c.cdPath, "D:\\sub dir -AdditionalInstall") << "everything after the blank is the path";
    EXPECT_TRUE(c.additionalInstall);
    c = ParseCommandLine("-cdpath D:");
    EXPECT_FALSE(c.hasCDPath) << "case-sensitive";
    c = ParseCommandLine(("-CDPath " + std::string(400, 'p')).c_str());
    EXPECT_EQ(c.cdPath.size(), 259u) << "cut to the 260-character path buffer";
    c = ParseCommandLine("x-CDPath");
    EXPECT_TRUE(c.hasCDPath);
    EXPECT_EQ(c.cdPath, "") << "nothing after the switch";
}

TEST_F(StartUp, RunOnceDataAndRelaunchArguments) {
    EXPECT_EQ(RunOnceData("D:\\setup.exe"), "\"D:\\setup.exe\" -AdditionalInstall");
    EXPECT_EQ(RelaunchArguments("", "D:"), " -CDPath D:");
    EXPECT_EQ(RelaunchArguments("-AdditionalInstall", "D:"), "-AdditionalInstall -CDPath D:");
}

TEST_F(StartUp, FirstInstanceRecordsTheDiscAndRelaunchesFromTemp) {
    Write("D:\\cd1", "");
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    EXPECT_EQ(Product("ExeCDPath"), "D:");
    EXPECT_EQ(RunOnce(), "<none>") << "armed by the finishing steps only, when a program is due";
    EXPECT_TRUE(D().dllSearchRestricted);
    ASSERT_EQ(D().privateDirs.size(), 1u) << "a folder only the user and the administrators can write";
    std::string folder = D().privateDirs[0];
    EXPECT_TRUE(IsPrivateFolder(folder, "C:\\Temp\\")) << folder;
    ASSERT_EQ(D().processes.size(), 1u);
    const std::string& line = D().processes[0].commandLine;
    EXPECT_EQ(line, "\"" + folder + "\\$$$1.tmp\"  -CDPath D:") << "started by its full path";
    EXPECT_EQ(Read(folder + "\\$$$1.tmp"), "MZ setup program");
    EXPECT_EQ(Read(folder + "\\unrar.dll"), "MZ extractor");
    EXPECT_FALSE(Exists("C:\\Temp\\unrar.dll")) << "nothing in the folder every program can write";
    EXPECT_TRUE(D().boxes.empty());

    // Another start: another name, which no program could have known in advance.
    D().processes.clear();
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    ASSERT_EQ(D().privateDirs.size(), 2u);
    EXPECT_NE(D().privateDirs[1], folder);
}

TEST_F(StartUp, FirstInstanceWithAdditionalInstallPassesItOn) {
    Write("D:\\cd1", "");
    EXPECT_EQ(SetupMain(nullptr, "-AdditionalInstall"), 0);
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_EQ(D().processes[0].commandLine,
              "\"" + D().privateDirs[0] + "\\$$$1.tmp\" -AdditionalInstall -CDPath D:");
    CommandLine relaunched = ParseCommandLine("-AdditionalInstall -CDPath D:");
    EXPECT_TRUE(relaunched.additionalInstall);
}

TEST_F(StartUp, WhatEarlierStartsLeftIsRemovedButNeverThroughALink) {
    Write("D:\\cd1", "");
    const std::string stale = "C:\\Temp\\Brightvale-Setup.0123456789abcdef0123456789abcdef";
    Write(stale + "\\$$$2.tmp", "an earlier copy");
    Write(stale + "\\unrar.dll", "an earlier library");
    Write("C:\\Temp\\Brightvale-Setup.notours\\x.txt", "somebody's");
    Write("C:\\Outside\\unrar.dll", "another user's");
    fs::create_symlink(os::testdouble::HostPath("C:\\Outside"),
                       os::testdouble::HostPath("C:\\Temp\\Brightvale-Setup.ffffffffffffffffffffffffffffffff"));
    // A link to a file, named as a copy of ours, that the system does not mark (as under Wine).
    Write("C:\\Outside\\keep.exe", "another user's program");
    const std::string other = "C:\\Temp\\Brightvale-Setup.00000000000000000000000000000000";
    Write(other + "\\placeholder", "");
    fs::create_symlink(os::testdouble::HostPath("C:\\Outside\\keep.exe"), os::testdouble::HostPath(other + "\\$$$9.tmp"));
    D().fileLinksUnmarked = true;
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    EXPECT_FALSE(Exists(stale));
    EXPECT_EQ(Read("C:\\Outside\\keep.exe"), "another user's program");
    EXPECT_EQ(Read("C:\\Temp\\Brightvale-Setup.notours\\x.txt"), "somebody's") << "not a name of ours";
    EXPECT_EQ(Read("C:\\Outside\\unrar.dll"), "another user's") << "a link is never entered";
    // Without the system's random numbers there is no folder to trust: nothing is started.
    D().processes.clear();
    D().randomFails = true;
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    EXPECT_TRUE(D().processes.empty());
    ASSERT_FALSE(D().boxes.empty());
    EXPECT_NE(D().boxes.back().text.find("C:\\Temp"), std::string::npos);
}

TEST_F(StartUp, NoDiscAskedUntilInserted) {
    int asked = 0;
    D().onBox = [&](const os::testdouble::MessageBoxCall& call) {
        ++asked;
        EXPECT_EQ(call.text, "Please, insert Brightvale disk CD1.\n");
        EXPECT_EQ(call.caption, "") << "the table is not loaded yet";
        EXPECT_EQ(call.flags, os::kMbIconQuestion | os::kMbYesNo);
        if (asked == 2) Write("D:\\cd1", "");
    };
    D().answers = {os::kIdYes, os::kIdYes};
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Product("ExeCDPath"), "D:");
}

TEST_F(StartUp, NoDiscAndNoWritesNothing) {
    D().answers = {os::kIdNo};
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    EXPECT_EQ(D().boxes.size(), 1u);
    EXPECT_TRUE(D().registry.empty());
    EXPECT_TRUE(D().processes.empty());
    EXPECT_FALSE(Exists("C:\\Temp\\unrar.dll"));
}

TEST_F(StartUp, SecondInstanceEndsSilently) {
    Write("D:\\cd1", "");
    D().mutexes[kInstanceMutexName] = 1;
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    EXPECT_TRUE(D().registry.empty());
    EXPECT_TRUE(D().processes.empty());
    EXPECT_TRUE(D().boxes.empty());
}

TEST_F(StartUp, RelaunchedInstanceChangesToTheRecordedDisc) {
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
    Write("D:\\cd1", "");
    D().currentDir = "C:\\Temp";
    EXPECT_EQ(SetupMain(&g_installer, " -CDPath D:"), 0);
    EXPECT_EQ(D().currentDir, "D:\\");
    EXPECT_EQ(g_installer.cdDrive, "D:");
    EXPECT_EQ(g_installer.sourceDir, "D:");
    EXPECT_FALSE(g_installer.additionalInstall);
    EXPECT_TRUE(D().processes.empty());
    ASSERT_EQ(D().windows.size(), 1u) << "the relaunched instance runs Init";
    EXPECT_EQ(D().comUninits, 1) << "and Run to its end";
    EXPECT_EQ(g_installer.hInstance, &g_installer) << "the module instance is kept";
}

TEST_F(StartUp, RelaunchedInstanceEndsWithOneWhenInitFails) {
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
    D().windowFails = true;
    EXPECT_EQ(SetupMain(nullptr, " -CDPath D:"), 1);
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Could not create window\n");
    EXPECT_EQ(D().mutexes.count(kInstanceMutexName), 0u) << "the mutex is closed all the same";
}

TEST_F(StartUp, TheTemporaryCopyGoesAtTheNextRestart) {
    const std::string folder = "C:\\Temp\\Brightvale-Setup.0123456789abcdef0123456789ABCDEF";
    EXPECT_TRUE(IsTemporaryCopy(folder + "\\$$$1A.tmp", "C:\\Temp\\"));
    EXPECT_TRUE(IsTemporaryCopy("c:\\temp\\brightvale-setup.0123456789abcdef0123456789abcdef\\$$$1A.tmp", "C:\\Temp"));
    EXPECT_FALSE(IsTemporaryCopy("C:\\Temp\\$$$1A.tmp", "C:\\Temp\\")) << "the shared temporary folder";
    EXPECT_FALSE(IsTemporaryCopy("D:\\setup.exe", "C:\\Temp\\"));
    EXPECT_FALSE(IsTemporaryCopy("C:\\Temp\\Brightvale-Setup.guess\\$$$1A.tmp", "C:\\Temp\\"));
    EXPECT_FALSE(IsTemporaryCopy(folder + "\\sub\\$$$1A.tmp", "C:\\Temp\\"));
    EXPECT_FALSE(IsTemporaryCopy(folder + "\\setup.exe", "C:\\Temp\\"));

    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
    Write("D:\\cd1", "");
    D().modulePath = folder + "\\$$$7.tmp";
    EXPECT_EQ(SetupMain(nullptr, " -CDPath D:"), 0);
    EXPECT_EQ(D().deleteAtReboot,
              (std::vector<std::string>{folder + "\\$$$7.tmp", folder + "\\unrar.dll", folder}))
        << "the files, then their folder";
    D().deleteAtReboot.clear();
    D().modulePath = "C:\\Games\\setup.exe";
    os::testdouble::PostWindowMessage(os::kWmQuit);
    EXPECT_EQ(SetupMain(nullptr, " -CDPath D:"), 0);
    EXPECT_TRUE(D().deleteAtReboot.empty()) << "a copy the user made is left alone";
    D().modulePath = "D:\\setup.exe";
    Write("D:\\cd1", "");
    EXPECT_EQ(SetupMain(nullptr, ""), 0);
    EXPECT_TRUE(D().deleteAtReboot.empty()) << "the first instance schedules nothing";
}

TEST_F(StartUp, AdditionalInstallation) {
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
    CommandLine additional = ParseCommandLine("-AdditionalInstall -CDPath D:");
    EXPECT_EQ(PrepareRelaunchedInstance(additional, "C:\\Temp\\$$$1.tmp"), 1) << "no InstallDir";
    EXPECT_EQ(SetupMain(nullptr, "-AdditionalInstall -CDPath D:"), 1);
    EXPECT_TRUE(g_installer.additionalInstall);

    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "C:\\Games\\Brightvale");
    EXPECT_EQ(PrepareRelaunchedInstance(additional, "C:\\Temp\\$$$1.tmp"), std::nullopt)
        << "no marker: the additional installation runs";
    Write("C:\\Games\\Brightvale\\addinstf.bin", std::string(15, '\x01') + "\x02");
    EXPECT_EQ(PrepareRelaunchedInstance(additional, "C:\\Temp\\$$$1.tmp"), std::nullopt)
        << "an incomplete marker: it runs";
    Write("C:\\Games\\Brightvale\\addinstf.bin", std::string(16, '\x01'));
    EXPECT_EQ(PrepareRelaunchedInstance(additional, "C:\\Temp\\$$$1.tmp"), 0)
        << "a complete marker: the instance ends with 0";
    EXPECT_EQ(SetupMain(nullptr, "-AdditionalInstall -CDPath D:"), 0);
    EXPECT_EQ(PrepareRelaunchedInstance(ParseCommandLine(" -CDPath D:"), "C:\\Temp\\$$$1.tmp"), std::nullopt)
        << "without -AdditionalInstall the marker does not matter";
    EXPECT_FALSE(g_installer.additionalInstall);
    EXPECT_TRUE(D().boxes.empty());
}

TEST_F(StartUp, InstallDirFillingTheWholeBufferIsCut) {
    // 260 bytes without a terminating zero: exactly the size of the buffer values are read into.
    D().registry["hkcu\\software\\orelwick\\brightvale"]["installdir"] =
        os::testdouble::RegValue{os::kRegSz, "C:\\" + std::string(257, 'g')};
    const char* dir = ReadInstallDir();
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(std::string(dir), "C:\\" + std::string(256, 'g')) << "259 characters and the zero";
    D().registry["hkcu\\software\\orelwick\\brightvale"]["installdir"] =
        os::testdouble::RegValue{os::kRegSz, std::string("C:\\Games\0", 9)};
    EXPECT_STREQ(ReadInstallDir(), "C:\\Games");
}

TEST_F(StartUp, MarkerCompleteness) {
    Write("C:\\m1", std::string(16, '\x01'));
    Write("C:\\m2", std::string(15, '\x01'));
    Write("C:\\m3", std::string(15, '\x01') + "\x02");
    Write("C:\\m4", std::string(20, '\x01'));
    EXPECT_TRUE(addinst::IsComplete("C:\\m1"));
    EXPECT_FALSE(addinst::IsComplete("C:\\m2"));
    EXPECT_FALSE(addinst::IsComplete("C:\\m3"));
    EXPECT_TRUE(addinst::IsComplete("C:\\m4"));
    EXPECT_FALSE(addinst::IsComplete("C:\\missing"));
}
