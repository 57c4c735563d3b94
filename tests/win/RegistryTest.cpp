// Registry values as the installer writes them, read back with the registry API.
#include "shell/CInstaller.h"
#include "shell/Registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct Raw {
    DWORD type = 0;
    DWORD size = 0;
    std::string data;
};

bool Query(HKEY root, const char* key, const char* name, Raw* out) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    char buffer[1024];
    DWORD size = sizeof buffer;
    LONG rc = RegQueryValueExA(k, name, nullptr, &out->type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(k);
    out->size = size;
    out->data.assign(buffer, size);
    return rc == ERROR_SUCCESS;
}

} // namespace

TEST(Registry, ValuesAreRegSzWithTheirTerminatingZero) {
    g_installer.cdDrive = "D:";
    g_installer.WriteExeCDPath();
    WriteVersionString("1.0.3 (EN)");
    Raw raw;
    ASSERT_TRUE(Query(HKEY_CURRENT_USER, "SOFTWARE\\Orelwick\\Brightvale", "ExeCDPath", &raw));
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.size, 3u);
    EXPECT_EQ(raw.data, std::string("D:\0", 3));
    ASSERT_TRUE(Query(HKEY_CURRENT_USER, "SOFTWARE\\Orelwick\\Brightvale", "VersionString", &raw));
    EXPECT_EQ(raw.size, 11u);
    EXPECT_EQ(raw.data, std::string("1.0.3 (EN)\0", 11));
}

TEST(Registry, ReadersFollowTheLayout) {
    ASSERT_TRUE(reg::WriteString(os::kHkeyCurrentUser, "SOFTWARE\\Orelwick\\Brightvale", "InstallDir",
                                 "C:\\Games\\Brightvale"));
    const char* dir = ReadInstallDir();
    ASSERT_NE(dir, nullptr);
    EXPECT_STREQ(dir, "C:\\Games\\Brightvale");
    g_installer.cdDrive.clear();
    EXPECT_TRUE(g_installer.ReadExeCDPath());

    // A value written without its zero is still read to its length.
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Orelwick\\Brightvale", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, "MediaDir", 0, REG_SZ, reinterpret_cast<const BYTE*>("MediaRus"), 8);
    RegCloseKey(k);
    g_installer.mediaDir = "Media";
    EXPECT_TRUE(g_installer.ReadMediaDir());
    EXPECT_EQ(g_installer.mediaDir, "MediaRus");

    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Orelwick\\Brightvale");
    EXPECT_EQ(ReadInstallDir(), nullptr);
    EXPECT_FALSE(g_installer.ReadMediaDir());
    EXPECT_EQ(g_installer.mediaDir, "MediaRus") << "an absent value leaves the field";
}
