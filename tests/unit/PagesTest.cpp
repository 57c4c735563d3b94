// The wizard's first pages driven as a player would: clicks through the window's message handler.
#include "support/World.h"

#include "gui/guiScrollbar.h"
#include "gui/guiSlider.h"
#include "gui/guiTextBox.h"
#include "shell/MainWindow.h"

#include <sstream>

class Pages : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        fs::create_directories(root / "c" / "Windows");
        Write("C:\\Media\\strings.txt", "APP_TITLE\tBrightvale Setup\nREADME\treadme.txt\n"
                                        "URL_HOMEPAGE\thttps://home.example\n");
        Write("C:\\MediaRus\\strings.txt", "APP_TITLE\tBrightvale RU\nLNG_CHARSET\tRUSSIAN_CHARSET\n");
        std::ostringstream licence;
        for (int i = 0; i < 200; ++i)
            licence << "Clause " << i << ": the player may install the game on one computer.\n";
        Write("C:\\Media\\license.txt", licence.str());
        ASSERT_TRUE(g_installer.Init(nullptr));
    }
    // A click at (x, y) of the wizard: the pointer moves there, the left button goes down and up.
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
    guiDialog* Current() { return g_currentPage.load(); }
};

TEST_F(Pages, InstallDeclineInstallKeepsTheLicenceWhereItWas) {
    CInstaller& in = g_installer;
    ASSERT_EQ(Current(), &in.wndInstall);
    EXPECT_EQ(in.wndInstall.callbacks.size(), 4u);
    EXPECT_EQ(in.wndInstall.installButton->callbackIndex, 0);
    EXPECT_EQ(in.wndInstall.exitButton->callbackIndex, 3);
    Click(100, 125);
    ASSERT_EQ(Current(), &in.wndLicense) << "Install";
    EXPECT_EQ(in.wndInstall.visible, 0);
    EXPECT_EQ(in.wndLicense.visible, 1);

    guiTextBox* text = in.wndLicense.textBox;
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->lines.size(), 200u);
    ASSERT_NE(text->scrollBar, nullptr);
    // Drag the thumb down by 40 pixels.
    const guiRect& bar = text->scrollBar->rect;
    int x = bar.x + bar.w / 2, y = bar.y + 5;
    Message(os::kWmMouseMove, x, y);
    Message(os::kWmLButtonDown, x, y);
    D().leftButtonHeld = true;
    Message(os::kWmMouseMove, x, y + 40);
    D().leftButtonHeld = false;
    Message(os::kWmLButtonUp, x, y + 40);
    UpdateAll();
    float scrolled = text->scrollBar->position;
    EXPECT_GT(scrolled, 0.1f) << "dragging the slider scrolls the text";
    ASSERT_EQ(Current(), &in.wndLicense) << "a drag is not a click on a row";

    Click(100, 350);
    ASSERT_EQ(Current(), &in.wndInstall) << "Decline";
    Click(100, 125);
    ASSERT_EQ(Current(), &in.wndLicense) << "Install again";
    EXPECT_EQ(in.wndLicense.textBox, text) << "built once";
    EXPECT_FLOAT_EQ(text->scrollBar->position, scrolled) << "the licence stays where it was";
    EXPECT_EQ(in.wndLicense.Create(), false);

    Click(100, 330);
    EXPECT_EQ(Current(), &in.wndOptions) << "Accept";
}

TEST_F(Pages, WelcomeRowsOpenDocumentsAndExit) {
    Click(100, 140);
    Click(100, 160);
    EXPECT_EQ(Current(), &g_installer.wndInstall) << "README and the home page stay";
    EXPECT_EQ(D().opened, (std::vector<std::string>{"readme.txt", "https://home.example"}));
    Click(100, 230);
    EXPECT_TRUE(D().messages.empty()) << "below the rows is nothing";
    Click(100, 190);
    ASSERT_EQ(D().messages.size(), 1u);
    EXPECT_EQ(D().messages[0].message, os::kWmQuit) << "Exit ends the program";
}

TEST_F(Pages, RowHighlightFollowsThePointer) {
    wndInstall& page = g_installer.wndInstall;
    Message(os::kWmMouseMove, 100, 160);
    EXPECT_EQ(page.rows->hovered, page.homepageButton);
    Message(os::kWmMouseMove, 100, 185);
    EXPECT_EQ(page.rows->hovered, page.exitButton);
    Message(os::kWmMouseMove, 100, 120);
    EXPECT_EQ(page.rows->hovered, page.installButton);
}

TEST_F(Pages, LanguagePageSelectsItsMediaFolder) {
    CInstaller& in = g_installer;
    AddTopLevelDialog(&in.wndSelLang);
    in.wndSelLang.Create();
    ShowPage(&in.wndSelLang);
    EXPECT_EQ(in.wndSelLang.callbacks.size(), 6u);
    Click(60, 315);
    EXPECT_EQ(in.mediaDir, "MediaRus") << "the first button selects media set 1";
    EXPECT_EQ(g_fontCharset, 204);
    EXPECT_EQ(Current(), &in.wndInstall);
    ShowPage(&in.wndSelLang);
    Click(450, 395);
    ASSERT_EQ(D().messages.size(), 1u);
    EXPECT_EQ(D().messages[0].message, os::kWmQuit);
    in.mediaDir = "Media";
}

namespace {

// Counts the row actions a click fires, without running them.
int g_fired = 0;
int CountFired(guiWidget*) {
    ++g_fired;
    return 0;
}

} // namespace

TEST_F(Pages, AClickWhereTwoRowsMeetFiresOneAction) {
    CInstaller& in = g_installer;
    AddTopLevelDialog(&in.wndSelLang);
    in.wndSelLang.Create();
    for (guiDialog* page : std::initializer_list<guiDialog*>{&in.wndInstall, &in.wndLicense, &in.wndOptions,
                                                             &in.wndPlay, &in.wndSelLang}) {
        ShowPage(page);
        std::vector<guiCallback> actions = page->callbacks;
        for (guiCallback& fn : page->callbacks)
            fn = CountFired;
        std::vector<guiWidget*> rows;
        for (guiWidget* child : page->children)
            if (child->callbackIndex != kNoCallback && child->rect.w > 100) rows.push_back(child);
        int shared = 0;
        for (guiWidget* a : rows)
            for (guiWidget* b : rows) {
                if (a == b || a->rect.y >= b->rect.y || a->rect.y + a->rect.h < b->rect.y) continue;
                int x = std::max(a->rect.x, b->rect.x) + 5;
                // The first pixel row of the lower row, and the last of the upper one.
                for (int y : {b->rect.y, a->rect.y + a->rect.h - 1}) {
                    g_fired = 0;
                    Click(x, y);
                    EXPECT_EQ(g_fired, 1) << page->children.size() << "-child page, rows at " << a->rect.y << " and "
                                          << b->rect.y << ", click at y " << y;
                    ++shared;
                }
            }
        EXPECT_GT(shared, 0) << "every page here has rows that meet";
        page->callbacks = actions;
    }
}
