// Files, folders, discs and free space on the real system. The harness maps D: as a CD-ROM drive and
// E: as a hard disk; both hold "bothmark", only E: holds "hdmark". F: is a small hard disk of its own.
#include "platform/Os.h"
#include "shell/Files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

namespace {
void Touch(const std::string& path, const char* text = "x") {
    std::ofstream(path) << text;
}
bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

TEST(Files, FindDiscMarkerOnlyTriesCdromDrives) {
    ASSERT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_CDROM))
        << "the harness maps D: as a CD-ROM drive";
    ASSERT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_FIXED));
    const char* d = FindDiscMarker("bothmark");
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d, "D:");
    EXPECT_EQ(FindDiscMarker("hdmark"), nullptr) << "a hard disk holding the marker is skipped";
    EXPECT_EQ(FindDiscMarker("nomark"), nullptr);
}

TEST(Files, FreeDiskBytes) {
    // F: is a small memory drive of the harness's own: nothing writes to it while the tests run, so its
    // free space reads the same every time, as the machine's shared disk's does not. F:\elsewhere leads
    // to another file system, whose free space differs.
    ULARGE_INTEGER root{}, elsewhere{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("F:\\", &root, nullptr, nullptr)) << "the harness maps F:";
    ASSERT_TRUE(GetDiskFreeSpaceExA("F:\\elsewhere\\", &elsewhere, nullptr, nullptr));
    ASSERT_NE(root.QuadPart, elsewhere.QuadPart) << "F:\\elsewhere is on another file system";
    EXPECT_GT(FreeDiskBytes("F:\\"), 0u);
    EXPECT_EQ(FreeDiskBytes("F:\\"), root.QuadPart);
    EXPECT_EQ(FreeDiskBytes("F:\\elsewhere"), root.QuadPart) << "only the root counts";
    EXPECT_GT(FreeDiskBytes("C:\\"), 0u);
    // The target folder does not exist yet when the space is checked: the system would fail on it.
    ULARGE_INTEGER avail;
    ASSERT_FALSE(GetDiskFreeSpaceExA("C:\\bv missing\\Brightvale\\", &avail, nullptr, nullptr));
    EXPECT_GT(FreeDiskBytes("C:\\bv missing\\Brightvale"), 0u) << "the root is asked, not the path";
    SetCurrentDirectoryA("C:\\");
    EXPECT_EQ(FreeDiskBytes("windows"), 0u) << "a relative path";
}

TEST(Files, MakeDirsResults) {
    RemoveDirectoryA("C:\\bvtest\\make\\a\\b");
    RemoveDirectoryA("C:\\bvtest\\make\\a");
    EXPECT_TRUE(MakeDirs("C:\\bvtest\\make\\a\\b"));
    EXPECT_TRUE(Exists("C:\\bvtest\\make\\a\\b"));
    EXPECT_FALSE(MakeDirs("C:\\bvtest\\make\\a\\b")) << "an existing folder";
    EXPECT_TRUE(MakeDirsWide(u"C:\\bvtest\\wide\\\u0416\\b"));
    EXPECT_TRUE(GetFileAttributesW(L"C:\\bvtest\\wide\\\u0416\\b") != INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(MakeDirsWide(u"C:\\bvtest\\wide"));
}

TEST(Files, DeleteTree) {
    CreateDirectoryA("C:\\bvtest", nullptr);
    CreateDirectoryA("C:\\bvtest\\tree", nullptr);
    CreateDirectoryA("C:\\bvtest\\tree\\sub", nullptr);
    Touch("C:\\bvtest\\tree\\a.txt");
    Touch("C:\\bvtest\\tree\\sub\\ro.txt");
    SetFileAttributesA("C:\\bvtest\\tree\\sub\\ro.txt", FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA("C:\\bvtest\\tree\\sub", FILE_ATTRIBUTE_READONLY);
    DeleteTree("C:\\bvtest\\tree");
    EXPECT_FALSE(Exists("C:\\bvtest\\tree"));

    Touch("C:\\bvtest\\plain.txt", "keep");
    DeleteTree("C:\\bvtest\\plain.txt");
    EXPECT_TRUE(Exists("C:\\bvtest\\plain.txt")) << "a plain file is not a tree";
    DeleteTree("C:\\bvtest\\missing");
    EXPECT_TRUE(Exists("C:\\bvtest"));
}

TEST(Files, FileExistsUsesPatterns) {
    CreateDirectoryA("C:\\bvtest", nullptr);
    Touch("C:\\bvtest\\pattern.rar");
    SetCurrentDirectoryA("C:\\bvtest");
    EXPECT_TRUE(FileExists("pattern.rar"));
    EXPECT_TRUE(FileExists("*.rar"));
    EXPECT_TRUE(FileExists("C:\\bvtest"));
    EXPECT_FALSE(FileExists("nothing.rar"));
}
