// The registration of a finished installation and its removal, on the real registry API.
#include "engine/Registration.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

bool Query(HKEY root, const char* key, const char* name, DWORD* type, std::string* data) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    char buffer[1024];
    DWORD size = sizeof buffer;
    LONG rc = RegQueryValueExA(k, name, nullptr, type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(k);
    data->assign(buffer, size);
    return rc == ERROR_SUCCESS;
}

} // namespace

TEST(FinishRegistry, UninstallEntryValuesAndTheirTypes) {
    g_installer.gameDir = "C:\\Games\\Registered";
    WriteRegistration();
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Query(HKEY_LOCAL_MACHINE, registration::kUninstallKey, "UninstallString", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string("\"C:\\Games\\Registered\\uninstall.exe\"") + std::string(1, '\0'))
        << "REG_SZ with its terminating zero";
    ASSERT_TRUE(Query(HKEY_LOCAL_MACHINE, registration::kUninstallKey, "NoModify", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, std::string("\x01\0\0\0", 4));
    ASSERT_TRUE(Query(HKEY_LOCAL_MACHINE, registration::kUninstallKey, "EstimatedSize", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST(FinishRegistry, ValuesAndEmptyKeysAreRemoved) {
    const char* key = "SOFTWARE\\Orelwick\\RemovalTest";
    os::Handle k = os::RegCreate(os::kHkeyCurrentUser, key, os::kKeyAllAccess);
    ASSERT_NE(k, 0u);
    ASSERT_TRUE(os::RegSet(k, "A", os::kRegSz, "x", 2));
    std::uint32_t subKeys = 9, values = 9;
    ASSERT_TRUE(os::RegCounts(k, &subKeys, &values));
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 1u);
    EXPECT_TRUE(os::RegRemoveValue(k, "A"));
    EXPECT_FALSE(os::RegRemoveValue(k, "A")) << "already gone";
    ASSERT_TRUE(os::RegCounts(k, &subKeys, &values));
    EXPECT_EQ(values, 0u);
    os::RegClose(k);
    os::Handle parent = os::RegOpen(os::kHkeyCurrentUser, "SOFTWARE\\Orelwick", os::kKeyQueryValue);
    ASSERT_NE(parent, 0u);
    ASSERT_TRUE(os::RegCounts(parent, &subKeys, &values));
    EXPECT_GE(subKeys, 1u);
    os::RegClose(parent);
    EXPECT_TRUE(os::RegRemoveKey(os::kHkeyCurrentUser, key));
    EXPECT_EQ(os::RegOpen(os::kHkeyCurrentUser, key, os::kKeyQueryValue), 0u);
}
