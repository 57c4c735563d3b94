// From the quality page to the end of the finishing steps after a real copy: a preset that cannot be
// unpacked does not cost the player the installation, and a second OK does not finish twice.
#include "support/CopyWorld.h"

#include "engine/InstallWorker.h"
#include "shell/MainWindow.h"
#include "shell/Registry.h"

class QualityFinish : public CopyWorld {
  protected:
    void SetUp() override {
        CopyWorld::SetUp();
        UserFolders();
        Write("D:\\uninstall.exe", "MZ uninstaller");
        Write("D:\\Media\\strings.txt", "GAME_EXE game.exe\n");
        D().modulePath = "C:\\Temp\\$$$1.tmp";
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
        g_installer.cdDrive = "D:";
        g_instanceMutex = os::MutexCreate(kInstanceMutexName);
        LoadStrings("GAME_EXE game.exe\nGAME_DIR Brightvale\nSOURCE0 cd1:base.rar 4\nADD_INSTALL_0 extras.exe\n");
        Marker("disc1", "cd1");
        Package("disc1", "base.rar", "F game.exe abcd\n");
        Package("disc1", "settingsLow.pak", "F settings.ini low\n");
        Package("disc1", "settingsHigh.pak", "F high.ini high\nE 12 broken.ini\n");
        Write("C:\\Games\\Brightvale\\high.ini", "the player's own");
        InstallWorker();
        ASSERT_EQ(g_currentPage.load(), &g_installer.wndQuality);
        g_installer.wndQuality.Create();
    }
};

TEST_F(QualityFinish, APresetThatCannotBeUnpackedIsToldUndoneAndTheFinishingGoesOn) {
    g_installer.wndQuality.highBox->checked = 1;
    g_installer.wndQuality.Apply();
    ASSERT_FALSE(D().boxes.empty());
    EXPECT_EQ(D().boxes[0].text, "Unpack error: 12 (File: broken.ini)\n");
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\high.ini"), "the player's own") << "the preset's part undone";
    EXPECT_TRUE(Exists("C:\\Games\\Brightvale\\install.log"));
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\uninstall.exe"), "MZ uninstaller");
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "InstallDir"), "C:\\Games\\Brightvale");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-journal")) << "committed once registered";
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-kept"));
    EXPECT_EQ(Started("extras.exe"), 1);
    EXPECT_EQ(D().endedWith, 0);
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\install.log").find("high.ini"), std::string::npos)
        << "nothing of the preset is logged for the uninstaller";
}

TEST_F(QualityFinish, ASecondOkWhileTheAdditionalProgramRunsFinishesNothingTwice) {
    // This thread owns the window: the second click waits in its queue while the program runs.
    os::RegisterWindowClass(nullptr, {kWindowClassName, 0, 0, 0, InstallerWindowProc});
    os::CreateMainWindow(nullptr, kWindowClassName, "", 0, 0, os::Rect{0, 0, 1024, 768});
    D().nextProcesses.push_back({"", 3, 0});
    for (std::uint32_t m : {os::kWmMouseMove, os::kWmLButtonDown, os::kWmLButtonUp})
        os::testdouble::PostWindowMessage(m, 0, os::testdouble::MousePoint(100, 185));
    g_installer.wndQuality.lowBox->checked = 1;
    for (std::uint32_t m : {os::kWmMouseMove, os::kWmLButtonDown, os::kWmLButtonUp})
        HandleWindowMessage(g_installer, g_installer.hwnd, m, 0, os::testdouble::MousePoint(100, 185));
    EXPECT_TRUE(D().messages.empty()) << "the second click was taken while the program ran";
    EXPECT_EQ(Started("extras.exe"), 1);
    EXPECT_EQ(Started("$$$1.tmp"), 1) << "one relaunch";
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\settings.ini"), "low");
}

TEST_F(QualityFinish, TheSecondDiscLeftInTheDriveServesTheFinishingSteps) {
    Package("disc2", "uninstall.exe", "MZ uninstaller of disc 2");
    Package("disc2", "Media/strings.txt", "GAME_EXE game.exe\n");
    Package("disc2", "settingsLow.pak", "F settings.ini disc2\n");
    D().drives['D'] = (root / "disc2").string();
    g_installer.wndQuality.lowBox->checked = 1;
    g_installer.wndQuality.Apply();
    for (const auto& box : D().boxes)
        ADD_FAILURE() << "unexpected message: " << box.text;
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\uninstall.exe"), "MZ uninstaller of disc 2");
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\settings.ini"), "disc2");
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\strings.txt"), "GAME_EXE game.exe\n");
    EXPECT_EQ(Started("\"D:\\extras.exe\""), 1);
    EXPECT_EQ(D().endedWith, 0);
}
