// The wizard by keyboard, through the window's message handler as Windows delivers keys: WM_KEYDOWN, then
// the WM_CHAR that TranslateMessage makes of it. The focus order of every page, Enter, Space and Esc,
// the edit box's own keys, the licence's scrolling, and no key for a page under a box.
#include "support/TgaBytes.h"
#include "support/World.h"
#include "unit/RecordingPainter.h"

#include "gui/guiCheckBox.h"
#include "gui/guiEditBox.h"
#include "gui/guiScrollbar.h"
#include "gui/guiTextBox.h"
#include "shell/MainWindow.h"
#include "shell/Registry.h"

#include <sstream>

namespace {

// Row actions replaced by this record who was activated, without running them.
std::vector<guiWidget*> g_activated;
int Record(guiWidget* sender) {
    g_activated.push_back(sender);
    return 0;
}

constexpr std::uintptr_t kVkTab = 9, kVkEnter = 13, kVkEscape = 27, kVkSpace = 32, kVkPageUp = 33,
                         kVkPageDown = 34, kVkLeft = 37, kVkUp = 38, kVkDown = 40;

} // namespace

class Keyboard : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        g_activated.clear();
        saved.clear();
        fs::create_directories(root / "c" / "Windows");
        Write("C:\\Media\\strings.txt", "APP_TITLE\tBrightvale Setup\nREADME\treadme.txt\n"
                                        "URL_HOMEPAGE\thttps://home.example\nICON_CB_X\t165\nICON_CB_Y\t268\n"
                                        "ARE_YOU_SURE\tStop the installation?\nGAME_EXE\tBrightvale.exe\n");
        std::ostringstream licence;
        for (int i = 0; i < 200; ++i)
            licence << "Clause " << i << ": the player may install the game on one computer.\n";
        Write("C:\\Media\\license.txt", licence.str());
    }
    // The pages live as long as the installer object: what a test changes goes back.
    void TearDown() override {
        for (auto& [page, actions] : saved)
            page->callbacks = actions;
        for (guiCheckBox* box : {g_installer.wndQuality.lowBox, g_installer.wndQuality.highBox})
            if (box) box->checked = 0;
        if (g_installer.wndOptions.iconsBox) g_installer.wndOptions.iconsBox->checked = 1;
        D().shiftHeld = false;
        World::TearDown();
    }
    void Start() {
        ASSERT_TRUE(g_installer.Init(nullptr));
        // Questions go to the double's system boxes, answered from D().answers.
        std::erase(g_topLevelDialogs, static_cast<guiDialog*>(g_installer.yesNoBox.get()));
        std::erase(g_topLevelDialogs, static_cast<guiDialog*>(g_installer.okBox.get()));
        g_installer.yesNoBox.reset();
        g_installer.okBox.reset();
        // Another test may have left the licence scrolled.
        if (guiTextBox* text = g_installer.wndLicense.textBox) {
            text->scrollBar->position = text->scrollBar->slider->position = 0.0f;
            text->wheelRest = 0;
        }
    }
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam = 0) {
        return HandleWindowMessage(g_installer, reinterpret_cast<os::Window>(1), message, wParam, lParam);
    }
    // A key as Windows brings it: the key going down, its character when it has one, the key going up.
    void Press(std::uintptr_t vk, bool shift = false) {
        D().shiftHeld = shift;
        Send(os::kWmKeyDown, vk);
        if (vk == kVkTab || vk == kVkEnter || vk == kVkEscape || vk == kVkSpace) Send(os::kWmChar, vk);
        Send(os::kWmKeyUp, vk);
        D().shiftHeld = false;
    }
    void Type(char c) { Send(os::kWmChar, static_cast<unsigned char>(c)); }
    // The wheel at a point of the wizard, in screen coordinates as Windows gives them.
    void Wheel(int x, int y, int delta) {
        const guiRect& d = g_installer.dialogRect;
        const os::Rect& place = D().windows.back().place;
        std::uintptr_t wParam = (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16);
        Send(os::kWmMouseWheel, wParam, os::testdouble::MousePoint(place.left + d.x + x, place.top + d.y + y));
    }
    void Click(int x, int y) {
        const guiRect& d = g_installer.dialogRect;
        for (std::uint32_t m : {os::kWmMouseMove, os::kWmLButtonDown, os::kWmLButtonUp})
            Send(m, 0, os::testdouble::MousePoint(d.x + x, d.y + y));
    }
    guiDialog* Current() { return g_currentPage.load(); }
    guiWidget* Focused() { return Current()->Focused(); }
    // The page's actions recorded instead of run; the controls' own actions are kept.
    void RecordRows(guiDialog& page) {
        saved.emplace_back(&page, page.callbacks);
        for (guiWidget* child : page.children)
            if (child->FocusKind() == guiFocus::Row) page.callbacks[child->callbackIndex] = Record;
    }
    bool Quit() {
        for (const auto& m : D().messages)
            if (m.message == os::kWmQuit) return true;
        return false;
    }
    void Installed() {
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "C:\\Games\\B");
        Write("C:\\Games\\B\\install.log", "");
        Write("C:\\Games\\B\\uninstall.exe", "MZ");
    }
    // The row of the page at that height.
    static guiWidget* RowAt(guiDialog& page, int y) {
        for (guiWidget* child : page.children)
            if (child->FocusKind() == guiFocus::Row && child->rect.y == y) return child;
        return nullptr;
    }
    std::vector<std::pair<guiDialog*, std::vector<guiCallback>>> saved;
    float Scrolled() { return g_installer.wndLicense.textBox->scrollBar->position; }
};

// ---- the focus order ----

TEST_F(Keyboard, EveryPageOrdersItsRowsAndControlsTopToBottomThenLeftToRightAndStartsOnItsFirstRow) {
    Start();
    CInstaller& in = g_installer;
    AddTopLevelDialog(&in.wndSelLang);
    in.wndSelLang.Create();
    wndInstall& w = in.wndInstall;
    wndLicense& l = in.wndLicense;
    wndOptions& o = in.wndOptions;
    wndQuality& q = in.wndQuality;
    wndPlay& p = in.wndPlay;
    in.wndProgress.Create();
    guiWidget* cancel = in.wndProgress.wayOutRow;
    const guiButton* const* lang = in.wndSelLang.languageButtons;
    struct Expected {
        guiDialog* page;
        std::vector<guiWidget*> order;
        guiWidget* first;
    };
    // Options: the folder box (y 151) above the rows, the icon box (y 268) below them. Quality: OK above
    // the two boxes, Low left of High. Language: Spanish and Exit share a row, Spanish on the left.
    const std::vector<Expected> pages = {
        {&w, {w.installButton, w.readmeButton, w.homepageButton, w.exitButton}, w.installButton},
        {&l, {l.textBox, l.acceptButton, l.declineButton}, l.acceptButton},
        {&o, {o.folderBox, RowAt(o, 177), RowAt(o, 197), RowAt(o, 217), o.iconsBox}, RowAt(o, 177)},
        {&in.wndProgress, {cancel}, cancel},
        {&q, {q.okButton, q.lowBox, q.highBox}, q.okButton},
        {&p, {p.playButton, p.readmeButton, p.homepageButton, p.uninstallButton, p.exitButton}, p.playButton},
        {&in.wndSelLang,
         {const_cast<guiButton*>(lang[0]), const_cast<guiButton*>(lang[1]), const_cast<guiButton*>(lang[2]),
          const_cast<guiButton*>(lang[3]), const_cast<guiButton*>(lang[4]), in.wndSelLang.exitButton},
         const_cast<guiButton*>(lang[0])},
    };
    for (const Expected& e : pages) {
        SCOPED_TRACE(e.page->children.size());
        ShowPage(e.page);
        EXPECT_EQ(e.page->focusOrder, e.order);
        ASSERT_EQ(Focused(), e.first) << "the first row";
        std::size_t start = e.page->focusIndex, n = e.order.size();
        // Tab and Down forward, Shift+Tab and Up back, round the ends (the arrows from rows: the licence
        // text keeps them).
        auto onRow = [&] { return Focused()->FocusKind() == guiFocus::Row; };
        for (std::size_t i = 1; i <= n; ++i) {
            if (i % 2 && onRow())
                Press(kVkDown);
            else
                Press(kVkTab);
            EXPECT_EQ(Focused(), e.order[(start + i) % n]) << "forward " << i;
        }
        for (std::size_t i = 1; i <= n; ++i) {
            if (i % 2 && onRow())
                Press(kVkUp);
            else
                Press(kVkTab, true);
            EXPECT_EQ(Focused(), e.order[(start + 2 * n - i) % n]) << "back " << i;
        }
        Press(kVkTab);
        ShowPage(e.page);
        EXPECT_EQ(Focused(), e.first) << "a page shown again starts on its first row";
    }
    EXPECT_EQ(o.mainRow, RowAt(o, 177)) << "Install";
    EXPECT_EQ(o.wayOutRow, RowAt(o, 217)) << "Back";
}

TEST_F(Keyboard, TheFocusedRowIsHighlightedAsTheHoveredOneAndAFocusedControlIsFramed) {
    Write("C:\\Media\\text_select.tga", tgabytes::Solid(560, 19, std::string{0, 0, 9, char(255)}));
    Write("C:\\Media\\text_license_accept_over.tga", tgabytes::Solid(550, 18, std::string{9, 0, 0, char(255)}));
    Start();
    RecordingPainter painter;
    g_painter = &painter;
    g_mouseX = g_mouseY = -100; // the pointer off the wizard: no hover
    wndInstall& w = g_installer.wndInstall;
    w.Draw();
    auto drawn = painter.Of(&w.installButton->image);
    ASSERT_EQ(drawn.size(), 1u) << "the first row is highlighted before any key";
    EXPECT_EQ(drawn[0].y, w.installButton->rect.y + 1);
    Press(kVkDown);
    painter.calls.clear();
    w.Draw();
    EXPECT_TRUE(painter.Of(&w.installButton->image).empty());
    EXPECT_EQ(painter.Of(&w.readmeButton->image).size(), 1u);
    // The pointer over Exit: both rows show, each once.
    g_mouseX = 100, g_mouseY = 185;
    w.rows->OnMouse(kMouseMove);
    painter.calls.clear();
    w.Draw();
    EXPECT_EQ(painter.Of(&w.readmeButton->image).size(), 1u);
    EXPECT_EQ(painter.Of(&w.exitButton->image).size(), 1u);
    g_mouseX = g_mouseY = -100;

    // The licence's hover caption follows the focused row as it follows the pointer.
    wndLicense& l = g_installer.wndLicense;
    ShowPage(&l);
    painter.calls.clear();
    l.Draw();
    EXPECT_EQ(painter.Of(&l.acceptHover->image).size(), 1u);
    EXPECT_TRUE(painter.Of(&l.declineHover->image).empty());

    // A control: a frame two pixels outside it, and no row highlight.
    wndOptions& o = g_installer.wndOptions;
    ShowPage(&o);
    o.Focus(o.iconsBox);
    painter.calls.clear();
    o.Draw();
    const PaintCall* frame = nullptr;
    for (const PaintCall& c : painter.calls)
        if (c.x == o.iconsBox->rect.x - 2 && c.y == o.iconsBox->rect.y - 2) frame = &c;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->image->width, o.iconsBox->rect.w + 4);
    EXPECT_EQ(frame->image->height, o.iconsBox->rect.h + 4);
    for (guiWidget* child : o.children)
        if (child->FocusKind() == guiFocus::Row) {
            EXPECT_TRUE(painter.Of(&child->image).empty());
        }
    g_painter = nullptr;
}

// ---- Enter, Space and Esc ----

TEST_F(Keyboard, EnterAndSpaceActivateTheFocusedRowOnceAsAClickDoes) {
    Start();
    wndInstall& w = g_installer.wndInstall;
    Press(kVkDown);
    Press(kVkEnter);
    EXPECT_EQ(D().opened, (std::vector<std::string>{"readme.txt"})) << "README, once";
    Press(kVkDown);
    Press(kVkSpace);
    EXPECT_EQ(D().opened, (std::vector<std::string>{"readme.txt", "https://home.example"}));
    EXPECT_EQ(Current(), &w);
    // Every row of every page: the row's own action, once, for Enter and for Space.
    g_installer.wndProgress.Create();
    for (guiDialog* page : std::initializer_list<guiDialog*>{&w, &g_installer.wndLicense, &g_installer.wndOptions,
                                                             &g_installer.wndProgress, &g_installer.wndQuality,
                                                             &g_installer.wndPlay}) {
        RecordRows(*page);
        ShowPage(page);
        for (guiWidget* item : page->focusOrder) {
            if (item->FocusKind() != guiFocus::Row) continue;
            ASSERT_TRUE(page->Focus(item));
            for (std::uintptr_t key : {kVkEnter, kVkSpace}) {
                g_activated.clear();
                Press(key);
                EXPECT_EQ(g_activated, std::vector<guiWidget*>{item}) << page->children.size() << "-child page, key " << key;
            }
        }
    }
}

TEST_F(Keyboard, EnterAloneWalksFromTheWelcomePageToTheOptionsAndEscWalksBackAndOut) {
    Start();
    CInstaller& in = g_installer;
    Press(kVkEnter);
    ASSERT_EQ(Current(), &in.wndLicense) << "Install";
    Press(kVkEscape);
    ASSERT_EQ(Current(), &in.wndInstall) << "Esc is Decline";
    Press(kVkEnter);
    Press(kVkEnter);
    ASSERT_EQ(Current(), &in.wndOptions) << "Accept";
    Press(kVkEscape);
    ASSERT_EQ(Current(), &in.wndInstall) << "Esc is Back";
    EXPECT_FALSE(Quit());
    Press(kVkEscape);
    EXPECT_TRUE(Quit()) << "Esc is Exit";
}

TEST_F(Keyboard, EnterOnAControlActivatesThePagesMainRow) {
    Start();
    wndOptions& o = g_installer.wndOptions;
    guiWidget* install = o.mainRow;
    ShowPage(&o);
    RecordRows(o);
    for (guiWidget* control : std::initializer_list<guiWidget*>{o.folderBox, o.iconsBox}) {
        g_activated.clear();
        ASSERT_TRUE(o.Focus(control));
        Press(kVkEnter);
        EXPECT_EQ(g_activated, std::vector<guiWidget*>{install});
    }
    // The quality page: a preset picked with the mouse, then Enter is OK.
    wndQuality& q = g_installer.wndQuality;
    ShowPage(&q);
    RecordRows(q);
    g_activated.clear();
    Click(250, 285);
    EXPECT_TRUE(q.lowBox->checked);
    EXPECT_EQ(Focused(), q.lowBox) << "a click on a control gives it the focus";
    Press(kVkEnter);
    EXPECT_EQ(g_activated, std::vector<guiWidget*>{q.okButton});
    EXPECT_TRUE(q.lowBox->checked) << "Enter does not toggle";
}

TEST_F(Keyboard, SpaceTogglesAFocusedCheckBoxThroughItsAction) {
    Start();
    wndOptions& o = g_installer.wndOptions;
    ShowPage(&o);
    o.Focus(o.iconsBox);
    Press(kVkSpace);
    EXPECT_FALSE(o.iconsBox->checked);
    EXPECT_FALSE(g_installer.createIcons) << "the box's own action ran";
    Press(kVkSpace);
    EXPECT_TRUE(g_installer.createIcons);
    // The quality boxes stay a pair.
    wndQuality& q = g_installer.wndQuality;
    ShowPage(&q);
    Press(kVkTab);
    Press(kVkSpace);
    EXPECT_TRUE(q.lowBox->checked);
    Press(kVkTab);
    Press(kVkSpace);
    EXPECT_TRUE(q.highBox->checked);
    EXPECT_FALSE(q.lowBox->checked);
    EXPECT_FALSE(g_installer.finishing) << "no row was activated";
}

TEST_F(Keyboard, EscOnTheProgressPageAsksAsCancelDoesAndAPageWithoutAWayOutIgnoresIt) {
    Start();
    wndProgress& page = g_installer.wndProgress;
    page.Create();
    ShowPage(&page);
    D().answers = {os::kIdNo};
    Press(kVkEscape);
    ASSERT_EQ(D().boxes.size(), 1u) << "the question";
    EXPECT_EQ(D().boxes[0].text, "Stop the installation?\n");
    EXPECT_FALSE(g_installer.cancelConfirmed) << "answered No";
    D().answers = {os::kIdNo};
    Click(100, 355);
    ASSERT_EQ(D().boxes.size(), 2u) << "the click asks the same";
    EXPECT_EQ(D().boxes[1].text, D().boxes[0].text);
    EXPECT_EQ(Current(), &page);

    wndQuality& q = g_installer.wndQuality;
    ShowPage(&q);
    RecordRows(q);
    Press(kVkEscape);
    EXPECT_TRUE(g_activated.empty());
    EXPECT_EQ(Current(), &q);
}

TEST_F(Keyboard, EscOnTheMaintenancePageExitsAndEnterPlays) {
    Installed();
    Start();
    ASSERT_EQ(Current(), &g_installer.wndPlay);
    Press(kVkEscape);
    EXPECT_TRUE(Quit());
    EXPECT_TRUE(D().processes.empty());
    D().messages.clear();
    Press(kVkEnter);
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_EQ(D().processes[0].commandLine, "\"C:\\Games\\B\\Brightvale.exe\" ");
}

// ---- the edit box ----

TEST_F(Keyboard, TheFocusedEditBoxKeepsItsKeysAndTabLeavesIt) {
    Start();
    wndOptions& o = g_installer.wndOptions;
    ShowPage(&o);
    guiEditBox* box = o.folderBox;
    box->SetText("C:\\Games\\Bv");
    Type('X');
    Send(os::kWmKeyDown, kVkLeft);
    EXPECT_EQ(box->text, "C:\\Games\\Bv") << "typing reaches no box that lacks the focus";
    EXPECT_EQ(box->caret, 11);
    Press(kVkTab, true);
    ASSERT_EQ(Focused(), box);
    Send(os::kWmKeyDown, kVkLeft);
    Send(os::kWmKeyDown, kVkLeft);
    Type('X');
    EXPECT_EQ(box->text, "C:\\Games\\XBv");
    EXPECT_EQ(g_installer.gameDir, box->text) << "the box's action follows every key";
    Send(os::kWmKeyDown, 36); // Home
    Type('E');
    EXPECT_EQ(box->text, "EC:\\Games\\XBv");
    Press(kVkSpace);
    EXPECT_EQ(box->text, "E C:\\Games\\XBv") << "Space is typed";
    // Characters sharing the numbers of the focus keys are typed (or refused), never taken for them.
    for (char c : {'(', '&', '!', '"'})
        Type(c);
    EXPECT_EQ(Focused(), box);
    Press(kVkTab);
    EXPECT_EQ(Focused(), o.mainRow) << "Tab leaves the box for the next row";
    Type('Z');
    EXPECT_EQ(box->text, "E C:\\Games\\XBv");
    Press(kVkDown, false);
    Press(kVkUp);
    Press(kVkUp);
    EXPECT_EQ(Focused(), box) << "Up reaches it again";
    Press(kVkDown);
    EXPECT_EQ(Focused(), o.mainRow) << "and Down leaves it: a single line has nothing above or below";
}

TEST_F(Keyboard, TheCaretShowsOnlyInTheFocusedBox) {
    Write("C:\\Media\\edit_cursor.tga", tgabytes::Solid(2, 14, std::string{0, 0, 0, char(255)}));
    Start();
    RecordingPainter painter;
    g_painter = &painter;
    wndOptions& o = g_installer.wndOptions;
    ShowPage(&o);
    guiEditBox::caretImage.reset();
    o.folderBox->Create(); // the shared caret, from the skin above
    ASSERT_NE(guiEditBox::caretImage->pixels, nullptr);
    o.folderBox->caretVisible = 1;
    o.Draw();
    EXPECT_TRUE(painter.Of(guiEditBox::caretImage.get()).empty());
    o.Focus(o.folderBox);
    o.Draw();
    EXPECT_EQ(painter.Of(guiEditBox::caretImage.get()).size(), 1u);
    g_painter = nullptr;
    guiEditBox::caretImage.reset();
}

// ---- the licence ----

TEST_F(Keyboard, TheWheelScrollsTheLicenceUnderThePointerThreeLinesANotch) {
    Start();
    Press(kVkEnter);
    ASSERT_EQ(Current(), &g_installer.wndLicense);
    guiTextBox* text = g_installer.wndLicense.textBox;
    const float line = 1.0f / static_cast<float>(text->lines.size());
    // A window away from the screen's corner: the wheel's screen coordinates must be made the client's.
    D().windows.back().place.left += 40;
    D().windows.back().place.top += 30;
    Wheel(200, 200, -120);
    EXPECT_NEAR(Scrolled(), 3 * line, 1e-5) << "a notch towards the user: three lines down";
    EXPECT_NEAR(text->scrollBar->slider->position, Scrolled(), 1e-6) << "the thumb follows";
    Wheel(200, 200, -60);
    EXPECT_NEAR(Scrolled(), 3 * line, 1e-5) << "half a notch waits for the other half";
    Wheel(200, 200, -60);
    EXPECT_NEAR(Scrolled(), 6 * line, 1e-5);
    Wheel(200, 200, 240);
    EXPECT_NEAR(Scrolled(), 0.0f, 1e-6);
    Wheel(200, 200, 120);
    EXPECT_EQ(Scrolled(), 0.0f) << "not above the top";
    for (int i = 0; i < 100; ++i)
        Wheel(200, 200, -120);
    float last = 1.01f - text->scrollBar->slider->thumbSize;
    EXPECT_NEAR(Scrolled(), last, 1e-5) << "not past where the drag ends";
    Wheel(200, 200, 120);
    float before = Scrolled();
    Wheel(200, 380, 120);
    Wheel(-100, 200, 120);
    EXPECT_EQ(Scrolled(), before) << "the wheel elsewhere on the page or off it scrolls nothing";
    EXPECT_EQ(Current(), &g_installer.wndLicense);
    // Screen coordinates not made the client's would have hit the text here.
    const guiRect& d = g_installer.dialogRect;
    D().windows.back().place.left += 400;
    Send(os::kWmMouseWheel, 0x00780000, os::testdouble::MousePoint(d.x + 200, d.y + 200));
    EXPECT_EQ(Scrolled(), before);
}

TEST_F(Keyboard, TheFocusedLicenceScrollsByLinesAndPages) {
    Start();
    Press(kVkEnter);
    guiTextBox* text = g_installer.wndLicense.textBox;
    const float line = 1.0f / static_cast<float>(text->lines.size());
    Press(kVkPageDown);
    EXPECT_EQ(Scrolled(), 0.0f) << "not while the focus is on a row";
    Press(kVkTab, true);
    ASSERT_EQ(Focused(), text);
    Press(kVkDown);
    EXPECT_NEAR(Scrolled(), line, 1e-6);
    EXPECT_EQ(Focused(), text) << "the arrows scroll the focused licence";
    Press(kVkPageDown);
    int page = text->textArea.h - text->font->lineHeight;
    EXPECT_NEAR(Scrolled(), line + line * page / text->font->lineHeight, 1e-5);
    Press(kVkPageUp);
    Press(kVkUp);
    EXPECT_NEAR(Scrolled(), 0.0f, 1e-6);
    Press(kVkUp);
    EXPECT_EQ(Scrolled(), 0.0f);
    Press(kVkEnter);
    EXPECT_EQ(Current(), &g_installer.wndOptions) << "Enter from the licence text is Accept";
}

// ---- no key for a page under a box or while its action runs ----

TEST_F(Keyboard, NoKeyOrWheelReachesAPageWhileABoxIsOpenOrItsInputIsBlocked) {
    Start();
    Press(kVkEnter);
    wndLicense& l = g_installer.wndLicense;
    guiOkBox box;
    box.Create();
    g_modalBox = &box;
    Press(kVkTab);
    Press(kVkDown);
    Press(kVkSpace);
    Wheel(200, 200, -120);
    EXPECT_EQ(Focused(), l.acceptButton);
    EXPECT_EQ(Scrolled(), 0.0f);
    EXPECT_EQ(Current(), &l);
    Press(kVkEnter);
    EXPECT_EQ(box.result, guiMsgBox::kOk) << "the box takes Enter";
    EXPECT_EQ(Current(), &l) << "and the page does not";
    g_modalBox = nullptr;

    g_pageInputBlocked = true;
    Press(kVkTab);
    Press(kVkEnter);
    Press(kVkEscape);
    Wheel(200, 200, -120);
    EXPECT_EQ(Focused(), l.acceptButton);
    EXPECT_EQ(Scrolled(), 0.0f);
    EXPECT_EQ(Current(), &l);
    g_pageInputBlocked = false;
    Press(kVkEscape);
    EXPECT_EQ(Current(), &g_installer.wndInstall) << "unblocked, the keys act again";
}

TEST(FocusKeys, WmKeyDownBringsTheFocusKeysAndWmCharTheRestWithoutTab) {
    EXPECT_EQ(FocusKeyCode(9, false), kKeyTab);
    EXPECT_EQ(FocusKeyCode(9, true), kKeyBackTab);
    EXPECT_EQ(FocusKeyCode(33, false), kKeyPageUp);
    EXPECT_EQ(FocusKeyCode(34, true), kKeyPageDown);
    EXPECT_EQ(FocusKeyCode(38, false), kKeyUp);
    EXPECT_EQ(FocusKeyCode(40, false), kKeyDown);
    for (std::uintptr_t vk : {13, 27, 32, 35, 37, 65})
        EXPECT_EQ(FocusKeyCode(vk, false), 0) << vk << ": a character, or the edit box's";
    for (int code : {kKeyTab, kKeyBackTab, kKeyPageUp, kKeyPageDown, kKeyUp, kKeyDown})
        EXPECT_GT(code, 0xFF) << "apart from every character";
    EXPECT_FALSE(IsDeliveredCharacter(9));
    EXPECT_TRUE(IsDeliveredCharacter(13));
    EXPECT_TRUE(IsDeliveredCharacter(27));
    EXPECT_TRUE(IsDeliveredCharacter(' '));
}
