// The extractor library as the installer binds it under Windows: our unrar.dll copied into the
// temporary folder, a stored package unpacked into a folder under C:\.
#include "Rar4Writer.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

namespace {
std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

TEST(Extractor, BindsFromTheTemporaryFolderAndUnpacks) {
    std::string self = os::ModulePath();
    std::string dll = self.substr(0, self.find_last_of('\\')) + "\\unrar.dll";
    std::string temp = os::TempPath() + "unrar.dll";
    ASSERT_TRUE(CopyFileA(dll.c_str(), temp.c_str(), FALSE)) << dll;

    CreateDirectoryA("C:\\bvpkg", nullptr);
    Rar4Writer w;
    ASSERT_TRUE(w.Open("C:\\bvpkg\\game.rar"));
    w.AddFolder("data", 0x21);
    w.AddBytes("data\\map.txt", "valley", 0x21);
    w.AddBytes("\x8E\xE2\xE7\xA5\xE2.txt", "report", 0x21); // a Cyrillic name in code page 866
    ASSERT_TRUE(w.Close()) << w.error();

    UnbindExtractor();
    BindExtractor();
    ASSERT_TRUE(ExtractorBound());
    g_installer.gameDir = "C:\\bvgame";
    g_installer.installedFiles.clear();
    g_installer.cancelConfirmed = false;
    g_bytesDone = 0;
    CreateDirectoryA("C:\\bvgame", nullptr);
    SetCurrentDirectoryA("C:\\bvpkg");
    ASSERT_TRUE(ExtractPackage("game.rar", "C:\\bvgame"));
    EXPECT_EQ(Read("C:\\bvgame\\data\\map.txt"), "valley");
    EXPECT_EQ(g_bytesDone, 12);
    ASSERT_EQ(g_installer.installedFiles.size(), 4u);
    EXPECT_EQ(g_installer.installedFiles[0], "C:\\bvgame\\");
    EXPECT_EQ(g_installer.installedFiles[1], "data");
    EXPECT_EQ(g_installer.installedFiles[2], "data\\map.txt") << "the library reports Windows separators";
    // The name is written as the OEM code page reads it, and recorded in the ANSI code page.
    wchar_t name[64] = L"C:\\bvgame\\";
    MultiByteToWideChar(CP_OEMCP, 0, "\x8E\xE2\xE7\xA5\xE2.txt", -1, name + 10, 50);
    EXPECT_NE(GetFileAttributesW(name), INVALID_FILE_ATTRIBUTES);
    char ansi[64] = {};
    OemToCharA("\x8E\xE2\xE7\xA5\xE2.txt", ansi);
    EXPECT_EQ(g_installer.installedFiles[3], ansi);
    UnbindExtractor();
}
