#include "support/World.h"

#include "support/CountingPage.h"
#include "shell/Registry.h"
#include "shell/SystemInfo.h"

class SystemInfo : public World {};

TEST_F(SystemInfo, WindowsVersionRules) {
    D().platformId = 2;
    D().majorVersion = 6;
    EXPECT_TRUE(IsWindowsNT());
    EXPECT_EQ(WindowsMajorVersion(), 6);
    EXPECT_TRUE(HasNewShell());
    D().majorVersion = 4;
    EXPECT_EQ(WindowsMajorVersion(), 0) << "4 or less counts as 0";
    EXPECT_FALSE(HasNewShell());
    D().platformId = 1;
    D().majorVersion = 6;
    EXPECT_FALSE(IsWindowsNT());
    EXPECT_EQ(WindowsMajorVersion(), 0) << "not NT";
    D().platformId = 2;
    D().versionFails = true;
    EXPECT_FALSE(IsWindowsNT());
    EXPECT_EQ(WindowsMajorVersion(), 0) << "the call failed";
}

TEST_F(SystemInfo, StartProcessBuildsTheCommandLine) {
    EXPECT_TRUE(StartProcess("C:\\Games\\Brightvale\\uninstall.exe", "", false));
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_EQ(D().processes[0].commandLine, "\"C:\\Games\\Brightvale\\uninstall.exe\" ");
    D().processStartFails = true;
    EXPECT_FALSE(StartProcess("C:\\x.exe", "", true));
}

TEST_F(SystemInfo, WaitingKeepsTheWindowAlive) {
    CountingPage page;
    AddTopLevelDialog(&page);
    ShowPage(&page);
    int before = page.frames;
    os::testdouble::Process p;
    p.pollsUntilExit = 6;
    D().nextProcesses.push_back(p);
    D().pendingMessages = 4;
    EXPECT_TRUE(StartProcess("D:\\extras.exe", "", true));
    // Each pass: read the exit code, sleep 100 ms, then one message or else one frame.
    EXPECT_EQ(D().sleptMs, 700u) << "six passes while it runs and the one that sees it end";
    EXPECT_EQ(D().pumpedMessages, 4);
    EXPECT_EQ(page.frames - before, 3) << "passes without a message draw a frame";
    g_topLevelDialogs.clear();
    g_currentPage = nullptr;
}

TEST_F(SystemInfo, RegistryWritesThatCannotOpenTheKeyFail) {
    D().failingKeys.insert("hkcu\\software\\orelwick\\brightvale");
    EXPECT_FALSE(reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "C:\\G"));
    EXPECT_EQ(ReadInstallDir(), nullptr);
    g_installer.cdDrive = "D:";
    g_installer.WriteExeCDPath();
    EXPECT_FALSE(g_installer.ReadExeCDPath()) << "the key does not exist";
}
