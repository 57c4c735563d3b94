// The options page: the folder box and the icon box follow the user into CInstaller at once, and a
// browsed folder reaches the box.
#include "support/World.h"

#include "gui/guiCheckBox.h"
#include "gui/guiEditBox.h"
#include "gui/guiProgress.h"

class OptionsPage : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        LoadStrings("ICON_CB_X 165\nICON_CB_Y 268\nGAME_DIR Orelwick\\Brightvale\n");
        g_installer.gameDir = "C:\\Games\\Brightvale";
        page.Create();
    }
    wndOptions page;
};

TEST_F(OptionsPage, BoxesStartFromTheInstallerAndTheTable) {
    ASSERT_NE(page.folderBox, nullptr);
    EXPECT_EQ(page.folderBox->text, "C:\\Games\\Brightvale");
    EXPECT_EQ(page.folderBox->readOnly, 0);
    EXPECT_EQ(page.folderBox->align, 7);
    EXPECT_EQ(page.iconsBox->rect.x, 165);
    EXPECT_EQ(page.iconsBox->rect.y, 268);
    EXPECT_EQ(page.iconsBox->checked, 1);
    EXPECT_FALSE(page.Create()) << "built once";
}

TEST_F(OptionsPage, TypingChangesTheFolderAtOnceAndClearingClearsIt) {
    ASSERT_TRUE(page.Focus(page.folderBox)); // as a click on it, or Shift+Tab from Install, gives it
    page.OnKey(kKeyBackspace);
    EXPECT_EQ(g_installer.gameDir, "C:\\Games\\Brightval");
    page.OnKey('X');
    EXPECT_EQ(g_installer.gameDir, "C:\\Games\\BrightvalX");
    for (int i = 0; i < 40; ++i)
        page.OnKey(kKeyBackspace);
    EXPECT_EQ(g_installer.gameDir, "");
    page.Draw();
    EXPECT_EQ(page.folderBox->text, "") << "an empty folder leaves the box empty";
}

TEST_F(OptionsPage, TheIconBoxSetsCreateIcons) {
    g_mouseX = 170;
    g_mouseY = 275;
    page.OnMouse(kLeftDown);
    EXPECT_FALSE(g_installer.createIcons);
    page.OnMouse(kLeftDown);
    EXPECT_TRUE(g_installer.createIcons);
}

TEST_F(OptionsPage, ABrowsedFolderReachesTheBox) {
    g_installer.wndOptions.Create();
    D().browseChooses = true;
    D().browseResult = u"E:\\Spiele";
    g_installer.BrowseForGameDir();
    EXPECT_EQ(g_installer.gameDir, "E:\\Spiele\\Orelwick\\Brightvale");
    EXPECT_EQ(g_installer.wndOptions.folderBox->text, g_installer.gameDir);
}

TEST_F(World, ProgressPagePercentagePosition) {
    LoadStrings("PROGRESS_PERCENT_X 252\nPROGRESS_PERCENT_Y\n");
    wndProgress page;
    page.Create();
    ASSERT_NE(page.bar, nullptr);
    EXPECT_EQ(page.bar->textX, 252);
    EXPECT_EQ(page.bar->textY, 282) << "an empty value takes the default";
    // The bar follows the page's value at the update pass.
    page.SetProgress(0.5f);
    EXPECT_EQ(page.bar->fillWidth, 0);
    page.Update();
    EXPECT_EQ(page.bar->fillWidth, 220);
    EXPECT_STREQ(page.bar->text, "(50.6%)");
}
