#include "support/World.h"

#include "shell/Files.h"

class Paths : public World {};

TEST_F(Paths, CollapseSeparators) {
    auto c = [](std::string s) {
        CollapseSeparators(s);
        return s;
    };
    EXPECT_EQ(c("C:\\\\Games"), "C:\\Games");
    EXPECT_EQ(c("C:\\Games\\x"), "C:\\Games\\x");
    EXPECT_EQ(c("C:\\\\\\Games"), "C:\\\\Games") << "three become two";
    EXPECT_EQ(c("a//b"), "a/b");
    EXPECT_EQ(c("a\\/b"), "a\\/b") << "a backslash next to a slash stays";
    EXPECT_EQ(c(""), "");
    EXPECT_EQ(c("\\\\"), "\\");
}

TEST_F(Paths, MakeDirsCreatesEveryLevelAndReportsTheLast) {
    EXPECT_TRUE(MakeDirs("C:\\Games\\Orelwick\\Brightvale"));
    EXPECT_TRUE(Exists("C:\\Games\\Orelwick\\Brightvale"));
    EXPECT_FALSE(MakeDirs("C:\\Games\\Orelwick\\Brightvale")) << "an existing folder creates nothing";
    EXPECT_EQ(D().currentDir, "C:\\Games\\Orelwick\\Brightvale") << "left in the existing prefix";
    EXPECT_TRUE(MakeDirs("C:\\Games\\Other\\"));
    EXPECT_TRUE(Exists("C:\\Games\\Other"));
    EXPECT_FALSE(MakeDirs("Q:\\nowhere\\x")) << "no such drive";
}

TEST_F(Paths, MakeDirsWideReportsTheLastCreation) {
    EXPECT_TRUE(MakeDirsWide(u"C:\\Programs\\Orelwick\\Brightvale"));
    EXPECT_TRUE(Exists("C:\\Programs\\Orelwick\\Brightvale"));
    EXPECT_FALSE(MakeDirsWide(u"C:\\Programs\\Orelwick"));
}

TEST_F(Paths, FreeDiskBytes) {
    D().freeBytes['C'] = 5ull << 30;
    D().freeBytes['E'] = 7ull << 30;
    EXPECT_EQ(FreeDiskBytes("C:\\Games\\Brightvale"), 5ull << 30);
    EXPECT_EQ(FreeDiskBytes("e:/Games"), 7ull << 30);
    EXPECT_EQ(D().freeSpaceRoots, (std::vector<std::string>{"Ex C:\\", "Ex e:/"}))
        << "the system is asked about the root: the target folder need not exist yet";
    D().freeSpaceRoots.clear();
    EXPECT_EQ(FreeDiskBytes("Games\\Brightvale"), 0u) << "a relative path tells no disk";
    EXPECT_EQ(FreeDiskBytes("C:"), 0u);
    EXPECT_TRUE(D().freeSpaceRoots.empty()) << "and the system is not asked";
    EXPECT_EQ(FreeDiskBytes("Q:\\x"), 0u) << "a failed call gives 0";
    D().hasFreeSpaceEx = false;
    D().freeSpaceRoots.clear();
    D().legacySectorsPerCluster = 8;
    D().legacyBytesPerSector = 512;
    D().legacyFreeClusters = 2u << 20; // 8 GiB: the product does not fit 32 bits
    EXPECT_EQ(FreeDiskBytes("C:\\Games"), 8ull << 30);
    EXPECT_EQ(D().freeSpaceRoots, (std::vector<std::string>{"Legacy C:"}))
        << "without the Ex function, the old one gets the drive alone";
}

TEST_F(Paths, FindDiscMarkerOnlyTriesCdromDrives) {
    D().drives['E'] = (root / "e").string();
    fs::create_directories(root / "e");
    D().driveTypes['E'] = os::kDriveCdrom;
    Write("C:\\cd1", "");
    EXPECT_EQ(FindDiscMarker("cd1"), nullptr) << "a hard disk holding the marker is skipped";
    Write("E:\\cd1", "");
    ASSERT_NE(FindDiscMarker("cd1"), nullptr);
    EXPECT_STREQ(FindDiscMarker("cd1"), "E:");
    Write("D:\\cd1", "");
    EXPECT_STREQ(FindDiscMarker("cd1"), "D:") << "the first drive that holds it wins";
}

TEST_F(Paths, DeleteTree) {
    Write("C:\\T\\a.txt", "a");
    Write("C:\\T\\sub\\deep\\b.txt", "b");
    os::SetFileAttrs("C:\\T\\sub\\deep\\b.txt", os::kAttrReadOnly);
    Write("C:\\keep.txt", "k");
    DeleteTree("C:\\T");
    EXPECT_FALSE(Exists("C:\\T"));
    DeleteTree("C:\\keep.txt");
    EXPECT_TRUE(Exists("C:\\keep.txt")) << "a plain file is left alone";
    DeleteTree("C:\\missing");
}
