#include "support/InstallLogText.h"
#include "support/World.h"

#include "engine/FinishInstall.h"
#include "engine/InstallLog.h"
#include "shell/Registry.h"

using Log = World;

TEST_F(Log, WrittenOneEntryALineAndReadBack) {
    // Two packages give the target folder line twice; 0xE0 is an ANSI (1251) letter, written as it is.
    std::vector<std::string> entries = {"C:\\Games\\B\\", "readme.txt", "C:\\Games\\B\\", "maps",
                                        "maps\\\xE0.map"};
    ASSERT_TRUE(installlog::Write("C:\\Games\\B\\install.log", entries) == false) << "no folder yet";
    Write("C:\\Games\\B\\x", "");
    ASSERT_TRUE(installlog::Write("C:\\Games\\B\\install.log", entries));
    EXPECT_EQ(Read("C:\\Games\\B\\install.log"),
              "C:\\Games\\B\\\nreadme.txt\nC:\\Games\\B\\\nmaps\nmaps\\\xE0.map\n");
    std::vector<std::string> back;
    ASSERT_TRUE(installlog::Read("C:\\Games\\B\\install.log", &back));
    EXPECT_EQ(back, entries);
    ASSERT_TRUE(installlog::Write("C:\\Games\\B\\install.log", {"one"}));
    EXPECT_EQ(Read("C:\\Games\\B\\install.log"), "one\n") << "an existing log is replaced";
    EXPECT_FALSE(installlog::Read("C:\\Games\\B\\missing.log", &back));
}

TEST_F(Log, LinesWithCarriageReturnsAndNoFinalLineFeed) {
    EXPECT_EQ(installlog::SplitLines(logtext::Lines({"a", "b\\c", "", "d"}, "\r\n", false)),
              (std::vector<std::string>{"a", "b\\c", "d"}));
    EXPECT_TRUE(installlog::SplitLines("").empty());
}

TEST_F(Log, AbsoluteEntries) {
    EXPECT_TRUE(installlog::IsAbsoluteEntry("C:\\G"));
    EXPECT_FALSE(installlog::IsAbsoluteEntry("C:\\")) << "three characters are not enough";
    EXPECT_FALSE(installlog::IsAbsoluteEntry("maps\\a:b"));
    EXPECT_EQ(installlog::PathIn("C:\\G\\"), "C:\\G\\\\install.log")
        << "Windows accepts the doubled separator";
}

TEST_F(Log, IsAlreadyInstalled) {
    Write("C:\\Program Files\\B\\install.log", logtext::Lines({"x"}));
    Write("C:\\Program Files\\B\\uninstall.exe", "x");
    EXPECT_FALSE(g_installer.IsAlreadyInstalled()) << "no InstallDir, even with both files in the default folder";
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "C:\\Games\\B");
    EXPECT_FALSE(g_installer.IsAlreadyInstalled());
    Write("C:\\Games\\B\\install.log", logtext::Lines({"x"}));
    EXPECT_FALSE(g_installer.IsAlreadyInstalled()) << "only the log";
    Write("C:\\Games\\B\\uninstall.exe", "x");
    EXPECT_TRUE(g_installer.IsAlreadyInstalled());
    fs::remove(os::testdouble::HostPath("C:\\Games\\B\\install.log"));
    EXPECT_FALSE(g_installer.IsAlreadyInstalled()) << "only the uninstaller";
    Write("C:\\Games\\B\\install.log", logtext::Lines({"x"}));
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "C:\\Games\\B\\");
    EXPECT_TRUE(g_installer.IsAlreadyInstalled()) << "a trailing separator before the two slashes";
}

TEST_F(Log, TheAdditionalPhaseMergesIntoTheEarlierLog) {
    std::vector<std::string> earlier = {
        "C:\\G\\", "game.exe", "C:\\G\\", "maps", "C:\\LINKS\\PLAY.LNK", "strings.txt", "addinstf.bin"};
    Write("C:\\G\\install.log", logtext::Lines(earlier, "\r\n"));
    std::vector<std::string> phase = {"C:\\links\\play.lnk", "C:\\LINKS\\NEW.LNK", "strings.txt",
                                      "addinstf.bin"};
    std::vector<std::string> merged = earlier;
    merged.push_back("C:\\LINKS\\NEW.LNK");
    EXPECT_EQ(LogEntries("C:\\G\\install.log", phase, true), merged);
    EXPECT_EQ(LogEntries("C:\\G\\install.log", phase, false), phase)
        << "a fresh installation replaces the log";
    EXPECT_EQ(LogEntries("C:\\G\\missing.log", phase, true), phase);
}
