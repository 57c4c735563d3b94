// The quality and maintenance pages driven through the window's message handler. The pages are built
// once for the whole run (they belong to the one installer object), by whichever test starts first.
#include "support/InstallLogText.h"
#include "support/World.h"

#include "shell/MainWindow.h"
#include "shell/Registry.h"

class QualityPlayPages : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        fs::create_directories(root / "c" / "Windows");
        Write("C:\\Media\\strings.txt", "APP_TITLE\tBrightvale Setup\nGAME_EXE\tBrightvale.exe\n"
                                        "QUALITY1_X\t\n");
    }
    void Click(int x, int y) {
        Message(os::kWmMouseMove, x, y);
        Message(os::kWmLButtonDown, x, y);
        Message(os::kWmLButtonUp, x, y);
    }
    void Message(std::uint32_t message, int x, int y) {
        const guiRect& d = g_installer.dialogRect;
        HandleWindowMessage(g_installer, reinterpret_cast<os::Window>(1), message, 0,
                            os::testdouble::MousePoint(d.x + x, d.y + y));
    }
    void Installed() {
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "C:\\Games\\B");
        Write("C:\\Games\\B\\install.log", logtext::Lines({"Brightvale.exe"}));
        Write("C:\\Games\\B\\uninstall.exe", "MZ");
    }
    bool Quit() {
        for (const auto& m : D().messages)
            if (m.message == os::kWmQuit) return true;
        return false;
    }
};

TEST_F(QualityPlayPages, QualityBoxesArePairedAndOkNeedsOne) {
    ASSERT_TRUE(g_installer.Init(nullptr));
    wndQuality& q = g_installer.wndQuality;
    ShowPage(&q);
    EXPECT_EQ(q.lowBox->rect.x, 243) << "a missing or empty coordinate gives the default";
    EXPECT_EQ(q.highBox->rect.x, 382);
    EXPECT_EQ(q.lowBox->rect.y, 280);
    Click(100, 185);
    EXPECT_EQ(g_currentPage.load(), &q) << "OK with no box checked does nothing";
    EXPECT_FALSE(g_installer.finishing);
    Click(250, 285);
    EXPECT_EQ(q.ChosenPackage(), std::string("settingsLow.pak"));
    Click(387, 285);
    EXPECT_FALSE(q.lowBox->checked);
    EXPECT_EQ(q.ChosenPackage(), std::string("settingsHigh.pak"));
    Click(387, 285);
    EXPECT_EQ(q.ChosenPackage(), nullptr) << "a checked box clicked again clears";
    Click(387, 285);
    // No extractor here: the package cannot be opened, and the finishing steps run all the same.
    // Without the skinned box the message is a system box the double records; the box leaves the
    // registry first, which would otherwise draw it after it is gone.
    std::erase(g_topLevelDialogs, static_cast<guiDialog*>(g_installer.okBox.get()));
    g_installer.okBox.reset();
    Click(100, 185);
    ASSERT_FALSE(D().boxes.empty());
    EXPECT_EQ(D().boxes.back().text, "Cannot process package: settingsHigh.pak.\n");
    EXPECT_TRUE(g_installer.finishing);
    EXPECT_EQ(D().currentDir, "C:\\") << "the package is looked for in the source folder";
}

TEST_F(QualityPlayPages, MaintenancePlaysAndEnds) {
    Installed();
    ASSERT_TRUE(g_installer.Init(nullptr));
    ASSERT_EQ(g_currentPage.load(), &g_installer.wndPlay);
    Click(100, 127);
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_EQ(D().processes[0].commandLine, "\"C:\\Games\\B\\Brightvale.exe\" ");
    EXPECT_EQ(D().currentDir, "C:\\Games\\B");
    EXPECT_TRUE(Quit());
}

TEST_F(QualityPlayPages, PlayEndsTheInstallerEvenWhenTheGameDoesNotStart) {
    Installed();
    ASSERT_TRUE(g_installer.Init(nullptr));
    D().processStartFails = true;
    Click(100, 127);
    EXPECT_TRUE(Quit());
}

TEST_F(QualityPlayPages, UninstallStartsTheUninstallerOnlyWhenItIsThere) {
    Installed();
    ASSERT_TRUE(g_installer.Init(nullptr));
    fs::remove(os::testdouble::HostPath("C:\\Games\\B\\uninstall.exe"));
    Click(100, 187);
    EXPECT_TRUE(D().processes.empty());
    EXPECT_FALSE(Quit());
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndPlay) << "the page stays open";
    Write("C:\\Games\\B\\uninstall.exe", "MZ");
    Click(100, 187);
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_EQ(D().processes[0].commandLine, "\"C:\\Games\\B\\uninstall.exe\" ");
    EXPECT_TRUE(Quit());
}

TEST_F(QualityPlayPages, MaintenanceExit) {
    Installed();
    ASSERT_TRUE(g_installer.Init(nullptr));
    Click(100, 207);
    EXPECT_TRUE(Quit());
    EXPECT_TRUE(D().processes.empty());
}

TEST_F(QualityPlayPages, MaintenanceReadmeAndHomePageOpenAndThePageStays) {
    Write("C:\\Media\\strings.txt", "APP_TITLE\tBrightvale Setup\nGAME_EXE\tBrightvale.exe\nREADME\treadme.txt\n"
                                    "URL_HOMEPAGE\thttps://www.orelwick.example/\n");
    Installed();
    ASSERT_TRUE(g_installer.Init(nullptr));
    Click(100, 147);
    Click(100, 167);
    EXPECT_EQ(D().opened, (std::vector<std::string>{"readme.txt", "https://www.orelwick.example/"}));
    EXPECT_FALSE(Quit());
    EXPECT_TRUE(D().processes.empty());
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndPlay);
}
