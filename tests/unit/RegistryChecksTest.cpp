// The registry values the elevated program acts on are checked first: any program of the user's can
// write them. A value of another form than the installer writes counts as missing.
#include "support/World.h"

#include "engine/AdditionalPrograms.h"
#include "shell/Files.h"
#include "shell/Registry.h"

class RegistryChecks : public World {
  protected:
    void Value(const char* name, const std::string& data) {
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, name, data);
    }
};

TEST_F(RegistryChecks, ExeCDPathMustBeACdRomDriveHoldingTheFirstDisc) {
    CInstaller& in = g_installer;
    Write("D:\\cd1", "");
    D().drives['E'] = (root / "c").string(); // a hard disk
    Write("E:\\cd1", "");
    for (const char* bad : {"E:", "D:\\sub", "C:", "D", "\\\\server\\share", "D:..", ""}) {
        in.cdDrive = "unchanged";
        Value("ExeCDPath", bad);
        EXPECT_TRUE(in.ReadExeCDPath());
        EXPECT_EQ(in.cdDrive, "unchanged") << "as if missing: " << bad;
    }
    Value("ExeCDPath", "D:");
    in.ReadExeCDPath();
    EXPECT_EQ(in.cdDrive, "D:");
    fs::remove(root / "d" / "cd1");
    in.cdDrive = "unchanged";
    in.ReadExeCDPath();
    EXPECT_EQ(in.cdDrive, "unchanged") << "a CD-ROM drive without the first disc";
}

TEST_F(RegistryChecks, MediaDirAndInstallDirMustHaveTheFormTheInstallerWrites) {
    CInstaller& in = g_installer;
    for (const char* bad : {"..\\Windows", "C:\\Media", "Media\\..\\..", "Mediax"}) {
        in.mediaDir = "Media";
        Value("MediaDir", bad);
        in.ReadMediaDir();
        EXPECT_EQ(in.mediaDir, "Media") << bad;
    }
    Value("MediaDir", "MediaRus");
    in.ReadMediaDir();
    EXPECT_EQ(in.mediaDir, "MediaRus");

    for (const char* bad : {"C:\\", "C:\\Games\\..\\Windows", "\\\\server\\share\\game", "Games\\Brightvale",
                            "C:\\Games\\.\\Brightvale", "C:\\Games\\*", "C:\\Games\\a\x01"}) {
        Value("InstallDir", bad);
        EXPECT_EQ(ReadInstallDir(), nullptr) << bad;
    }
    Value("InstallDir", "C:\\Program Files\\Orelwick\\Brightvale");
    EXPECT_STREQ(ReadInstallDir(), "C:\\Program Files\\Orelwick\\Brightvale");
}

TEST_F(RegistryChecks, AnAdditionalProgramMustLieOnTheDisc) {
    g_installer.cdDrive = "D:";
    LoadStrings("ADD_INSTALL_0 ..\\Windows\\evil.exe\nADD_INSTALL_1 C:\\evil.exe\nADD_INSTALL_2 \\evil.exe\n"
                "ADD_INSTALL_3 extras\\setup.exe\n");
    Write("C:\\Temp\\addinstf.bin", "");
    addinst::Marker marker{};
    RunAdditionalPrograms(marker, "C:\\Temp\\addinstf.bin");
    ASSERT_EQ(D().processes.size(), 1u) << "only the program on the disc";
    EXPECT_EQ(D().processes[0].commandLine, "\"D:\\extras\\setup.exe\" ");
    EXPECT_EQ(marker[0], addinst::kDone) << "a refused slot counts as dealt with";
}
