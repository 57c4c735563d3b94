#include "support/InstallLogText.h"
#include "support/World.h"

#include "engine/Registration.h"
#include "shell/Registry.h"

class Registration : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        LoadStrings(
            "CHECKDISK 1\nINSERT_DISK Insert the disc\nVERSION_STRING 1.0.0 EN\nGAME_EXE Brightvale.exe\n");
        g_installer.gameDir = "C:\\Games\\Brightvale";
    }
    std::string Product(const char* name) { return RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", name); }
    std::string Entry(const char* name) {
        return RegValue(std::string("HKLM\\") + registration::kUninstallKey, name);
    }
    std::string Dword(const char* name) {
        auto& values =
            D().registry["hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\brightvale"];
        auto it = values.find(name);
        if (it == values.end()) return "<none>";
        EXPECT_EQ(it->second.type, os::kRegDword);
        return it->second.data;
    }
};

TEST_F(Registration, ProductValuesAndUninstallEntry) {
    Write("C:\\Games\\Brightvale\\Brightvale.exe", std::string(3000, 'x'));
    Write("C:\\Games\\Brightvale\\maps\\a.map", std::string(1000, 'x'));
    Write("C:\\Games\\Brightvale\\install.log",
          logtext::Lines({"C:\\Games\\Brightvale\\", "Brightvale.exe", "maps", "maps\\a.map",
                          "C:\\Games\\Brightvale\\Brightvale.exe"}));
    WriteRegistration();
    EXPECT_EQ(Product("InstallDir"), "C:\\Games\\Brightvale");
    EXPECT_EQ(Product("CheckDisk"), "1");
    EXPECT_EQ(Product("InsertDisk"), "Insert the disc");
    EXPECT_EQ(Product("VersionString"), "1.0.0 EN");
    EXPECT_EQ(Entry("DisplayName"), "Brightvale");
    EXPECT_EQ(Entry("UninstallString"), "\"C:\\Games\\Brightvale\\uninstall.exe\"");
    EXPECT_EQ(Entry("QuietUninstallString"), "\"C:\\Games\\Brightvale\\uninstall.exe\" /S");
    EXPECT_EQ(Entry("InstallDate"), "20261209");
    EXPECT_EQ(Entry("URLInfoAbout"), "<none>") << "a table without a home page";
    EXPECT_EQ(Entry("HelpLink"), "<none>");
    EXPECT_EQ(Entry("DisplayIcon"), "C:\\Games\\Brightvale\\Brightvale.exe");
    EXPECT_EQ(Entry("DisplayVersion"), "1.0.0 EN");
    EXPECT_EQ(Entry("Publisher"), "Orelwick");
    EXPECT_EQ(Entry("InstallLocation"), "C:\\Games\\Brightvale");
    EXPECT_EQ(Dword("estimatedsize"), std::string("\x04\0\0\0", 4)) << "4000 bytes, each file once: 4 KiB";
    EXPECT_EQ(Dword("nomodify"), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(Dword("norepair"), std::string("\x01\0\0\0", 4));
}

TEST_F(Registration, CheckDiskIsOneOnlyForExactlyOne) {
    EXPECT_EQ(registration::CheckDiskValue("1"), "1");
    for (const char* other : {"yes", " 1", "1 ", "01", "", "2"})
        EXPECT_EQ(registration::CheckDiskValue(other), "0") << other;
}

TEST_F(Registration, AProductKeyThatCannotBeMadeShowsTheErrorAndGoesOn) {
    D().failingKeys.insert("hkcu\\software\\orelwick\\brightvale");
    D().lastErrorText = "Access is denied.";
    WriteRegistration();
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Access is denied.");
    EXPECT_EQ(D().boxes[0].caption, "Error");
    EXPECT_EQ(Entry("DisplayName"), "Brightvale");
}

TEST_F(Registration, TheTablesLinksGoToTheListOfInstalledPrograms) {
    LoadStrings("GAME_EXE Brightvale.exe\nURL_HOMEPAGE https://example.org/bv\nURL_SUPPORT https://example.org/help\n");
    D().localDate = "20270102";
    WriteRegistration();
    EXPECT_EQ(Entry("URLInfoAbout"), "https://example.org/bv");
    EXPECT_EQ(Entry("HelpLink"), "https://example.org/help");
    EXPECT_EQ(Entry("InstallDate"), "20270102");
}
