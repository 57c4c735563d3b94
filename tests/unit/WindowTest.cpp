// The installer's window: message handling, the wizard rectangle, the three flows of Init and the loop.
#include "support/InstallLogText.h"
#include "support/World.h"

#include "gui/guiInput.h"
#include "gui/guiRedraw.h"
#include "platform/double/DoubleThreads.h"
#include "shell/MainWindow.h"
#include "shell/Registry.h"
#include "support/CountingPage.h"
#include "support/TgaBytes.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

namespace {

std::vector<std::string> g_seen;

// Records the input it gets, and whether the toolkit's lock was held while it got it.
class InputProbe : public guiMsgBox {
  public:
    explicit InputProbe(std::string n) : name(std::move(n)) {}
    bool OnMouse(int code) override {
        g_seen.push_back(name + " mouse " + std::to_string(code) + " at " + std::to_string(g_mouseX) + "," +
                         std::to_string(g_mouseY));
        lockedDuringInput = HeldElsewhere();
        return true;
    }
    bool OnKey(int code) override {
        g_seen.push_back(name + " key " + std::to_string(code));
        lockedDuringInput = HeldElsewhere();
        return true;
    }
    static bool HeldElsewhere() {
        return std::async(std::launch::async,
                          [] {
                              bool got = GuiLock().try_lock();
                              if (got) GuiLock().unlock();
                              return !got;
                          })
            .get();
    }
    std::string name;
    bool lockedDuringInput = false;
};

} // namespace

class Window : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        g_seen.clear();
        g_dialogArea = {237, 164, 550, 440};
    }
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        return HandleWindowMessage(g_installer, reinterpret_cast<os::Window>(1), message, wParam, lParam);
    }
};

TEST_F(Window, InputGoesToTheOpenBoxElseTheCurrentPageElseNowhere) {
    InputProbe page("page"), box("box");
    Send(os::kWmMouseMove, 0, os::testdouble::MousePoint(300, 200));
    EXPECT_TRUE(g_seen.empty()) << "no page: dropped";
    EXPECT_EQ(g_mouseX, 63);
    EXPECT_EQ(g_mouseY, 36) << "the position is kept all the same, relative to the dialog area";

    g_currentPage = &page;
    Send(os::kWmLButtonDown, 0, os::testdouble::MousePoint(237, 164));
    Send(os::kWmChar, 'a');
    g_modalBox = &box;
    Send(os::kWmLButtonUp, 0, os::testdouble::MousePoint(240, 170));
    Send(os::kWmKeyDown, 46);
    EXPECT_EQ(g_seen, (std::vector<std::string>{"page mouse 3 at 0,0", "page key 97", "box mouse 4 at 3,6",
                                                "box key 46"}));
    EXPECT_TRUE(page.lockedDuringInput);
    EXPECT_TRUE(box.lockedDuringInput) << "input is dispatched under the toolkit's lock";
    g_modalBox = nullptr;
    g_currentPage = nullptr;
}

TEST_F(Window, MouseMessagesAndTheirCodes) {
    InputProbe page("p");
    g_currentPage = &page;
    for (std::uint32_t m = os::kWmMouseMove; m <= os::kWmMButtonDblClk; ++m)
        Send(m, 0, os::testdouble::MousePoint(237, 164));
    EXPECT_EQ(g_seen, (std::vector<std::string>{"p mouse 2 at 0,0", "p mouse 3 at 0,0", "p mouse 4 at 0,0",
                                                "p mouse 9 at 0,0", "p mouse 5 at 0,0", "p mouse 6 at 0,0",
                                                "p mouse 10 at 0,0", "p mouse 7 at 0,0", "p mouse 8 at 0,0",
                                                "p mouse 11 at 0,0"}));
    g_seen.clear();
    Send(os::kWmMouseWheel, 0x00780000, os::testdouble::MousePoint(10, 10));
    EXPECT_TRUE(g_seen.empty()) << "the wheel is no click or move";
    Send(os::kWmMouseMove, 0, os::testdouble::MousePoint(1000, 700));
    EXPECT_EQ(g_seen.back(), "p mouse 2 at 763,536");
    g_currentPage = nullptr;
}

TEST_F(Window, TheEditKeysTheFocusKeysAndEveryCharacterButTabAreDelivered) {
    InputProbe page("p");
    g_currentPage = &page;
    for (std::uintptr_t key : {35, 36, 37, 38, 39, 40, 46, 112, 13, 9, 33, 34})
        Send(os::kWmKeyDown, key);
    D().shiftHeld = true;
    Send(os::kWmKeyDown, 9);
    D().shiftHeld = false;
    EXPECT_EQ(g_seen, (std::vector<std::string>{"p key 35", "p key 36", "p key 37", "p key 294", "p key 39",
                                                "p key 296", "p key 46", "p key 265", "p key 289", "p key 290",
                                                "p key 521"}))
        << "F1 and Enter as a key are not delivered; Up, Down, Tab, Page Up, Page Down and Shift+Tab are, "
           "apart from the characters";
    EXPECT_TRUE(g_installer.keyDown);
    Send(os::kWmKeyUp, 40);
    EXPECT_FALSE(g_installer.keyDown);
    Send(os::kWmKeyDown, 112);
    EXPECT_TRUE(g_installer.keyDown) << "any key held counts";
    g_seen.clear();
    for (int c : std::initializer_list<int>{'#', '$', '%', '\'', '.', 8, 13, 27, 9, 32})
        Send(os::kWmChar, static_cast<std::uintptr_t>(c));
    EXPECT_EQ(g_seen, (std::vector<std::string>{"p key 35", "p key 36", "p key 37", "p key 39", "p key 46",
                                                "p key 8", "p key 13", "p key 27", "p key 32"}))
        << "characters share the number space of the edit keys; Tab came as its key already";
    g_currentPage = nullptr;
}

TEST_F(Window, ActivationAndMinimising) {
    CountingPage page;
    AddTopLevelDialog(&page);
    ShowPage(&page);
    int frames = page.frames;
    Send(os::kWmSize, os::kSizeMinimized);
    EXPECT_FALSE(g_installer.windowActive);
    EXPECT_FALSE(g_active);
    Send(os::kWmSize, 0 /* SIZE_RESTORED */);
    EXPECT_TRUE(g_installer.windowActive);
    EXPECT_TRUE(g_active);
    Send(os::kWmSize, os::kSizeMaxHide);
    EXPECT_FALSE(g_active);
    Send(os::kWmSize, 2 /* SIZE_MAXIMIZED */);
    EXPECT_TRUE(g_active);
    Send(os::kWmActivate, 0 /* WA_INACTIVE */);
    EXPECT_FALSE(g_installer.windowActive);
    EXPECT_FALSE(g_active);
    EXPECT_EQ(page.frames, frames) << "nothing is drawn on deactivation or on size changes";
    Send(os::kWmActivate, 0x00010000 | os::kWaClickActive);
    EXPECT_TRUE(g_installer.windowActive);
    EXPECT_TRUE(g_active);
    EXPECT_EQ(page.frames, frames + 1) << "reactivation redraws at once";
    Send(os::kWmPaint);
    EXPECT_EQ(page.frames, frames + 2);
    EXPECT_EQ(D().defaultProcCalls.size(), 7u) << "each passes on to the default procedure";
}

TEST_F(Window, EraseFillsTheFourStripsAroundTheWizard) {
    D().screenWidth = 800;
    D().screenHeight = 600;
    D().screen.assign(800 * 600 * 3, 0);
    g_installer.dialogRect = {125, 80, 550, 440};
    EXPECT_EQ(Send(os::kWmEraseBkgnd), 1);
    EXPECT_TRUE(D().defaultProcCalls.empty()) << "answered without the default procedure";
    EXPECT_EQ(g_installer.workArea.right, 800);
    EXPECT_EQ(g_installer.workArea.bottom, 600);
    ASSERT_EQ(D().fills.size(), 4u);
    const os::Rect expected[4] = {
        {0, 0, 800, 80}, {0, 80, 125, 600}, {125, 520, 800, 600}, {675, 80, 800, 520}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(D().fills[i].rect.left, expected[i].left) << i;
        EXPECT_EQ(D().fills[i].rect.top, expected[i].top) << i;
        EXPECT_EQ(D().fills[i].rect.right, expected[i].right) << i;
        EXPECT_EQ(D().fills[i].rect.bottom, expected[i].bottom) << i;
        EXPECT_EQ(D().fills[i].red, 17);
        EXPECT_EQ(D().fills[i].green, 42);
        EXPECT_EQ(D().fills[i].blue, 51);
    }
    auto pixel = [](int x, int y) {
        const std::uint8_t* p = &D().screen[(static_cast<std::size_t>(y) * 800 + x) * 3];
        return std::to_string(p[2]) + "," + std::to_string(p[1]) + "," + std::to_string(p[0]);
    };
    EXPECT_EQ(pixel(0, 0), "17,42,51");
    EXPECT_EQ(pixel(124, 300), "17,42,51");
    EXPECT_EQ(pixel(125, 300), "0,0,0") << "the wizard itself is never erased";
    EXPECT_EQ(pixel(674, 519), "0,0,0");
    EXPECT_EQ(pixel(675, 519), "17,42,51");
    EXPECT_EQ(pixel(400, 520), "17,42,51");
    EXPECT_EQ(D().openDCs, 0) << "the device context is released";
}

TEST_F(Window, ShutdownAndDestroy) {
    EXPECT_EQ(Send(os::kWmQueryEndSession), 1) << "Windows may shut down";
    EXPECT_TRUE(g_installer.shutdownPending);
    Send(os::kWmDestroy);
    ASSERT_EQ(D().messages.size(), 1u);
    EXPECT_EQ(D().messages[0].message, os::kWmQuit);
    EXPECT_EQ(D().messages[0].wParam, 0u);
}

TEST_F(Window, WizardRectIsCentredAndNeverClamped) {
    auto at = [](os::Rect area) {
        guiRect r = WizardRect(area);
        return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
               std::to_string(r.h);
    };
    EXPECT_EQ(at({0, 0, 1024, 768}), "237,164 550x440");
    EXPECT_EQ(at({100, 30, 1124, 798}), "337,194 550x440") << "an offset work area";
    EXPECT_EQ(at({0, 0, 550, 440}), "0,0 550x440");
    EXPECT_EQ(at({0, 0, 549, 439}), "0,0 550x440") << "-1 / 2 truncates toward zero";
    EXPECT_EQ(at({0, 0, 548, 437}), "-1,-1 550x440");
    EXPECT_EQ(at({10, 20, 410, 320}), "-65,-50 550x440");
}

TEST_F(Window, SetDialogAreaMovesThePainterViewport) {
    SetDialogArea({474, 328, 1100, 880}, 2);
    EXPECT_EQ(g_wizardScale, 2);
    SetDialogArea({237, 164, 550, 440}, 0);
    EXPECT_EQ(g_wizardScale, 1) << "no scale below 1";
    SetDialogArea({237, 164, 550, 440});
    EXPECT_EQ(g_dialogArea.x, 237);
    g_painter = &g_painterGDI;
    SetDialogArea({10, 20, 550, 440});
    EXPECT_EQ(g_painterGDI.viewport.x, 10);
    EXPECT_EQ(g_painterGDI.viewport.y, 20);
    EXPECT_EQ(g_painterGDI.backBuffer.width, 550);
    EXPECT_EQ(g_painterGDI.backBuffer.height, 440);
    SetDialogArea({474, 328, 1100, 880}, 2);
    EXPECT_EQ(g_painterGDI.viewport.w, 1100);
    EXPECT_EQ(g_painterGDI.backBuffer.width, 550) << "the pages draw in wizard pixels";
    EXPECT_EQ(g_painterGDI.backBuffer.height, 440);
}

TEST_F(Window, TheWizardScaleIsTheWholeNumberNearestTheDpiThatFits) {
    auto scale = [](int dpi, int w, int h) { return WizardScaleFor(dpi, {0, 0, w, h}); };
    EXPECT_EQ(scale(96, 1024, 768), 1);
    EXPECT_EQ(scale(120, 1920, 1040), 1) << "125 % is nearer to 1 than to 2";
    EXPECT_EQ(scale(144, 1920, 1040), 2) << "150 % rounds up";
    EXPECT_EQ(scale(192, 2048, 1536), 2);
    EXPECT_EQ(scale(288, 2048, 1536), 3) << "1650 x 1320 fits";
    EXPECT_EQ(scale(288, 1600, 1200), 2) << "1650 wide does not fit: the next smaller scale";
    EXPECT_EQ(scale(192, 1099, 1536), 1);
    EXPECT_EQ(scale(192, 2048, 879), 1);
    EXPECT_EQ(scale(192, 1100, 880), 2) << "exactly the work area fits";
    EXPECT_EQ(scale(192, 500, 400), 1) << "a screen smaller than the wizard still gets it whole";
    EXPECT_EQ(scale(0, 1024, 768), 1);
    EXPECT_EQ(scale(-96, 1024, 768), 1);
    EXPECT_EQ(scale(96 * 1000, 1 << 30, 1 << 30), 8) << "a DPI beyond reason is capped";

    guiRect r = WizardRect({0, 30, 2048, 1536}, 2);
    EXPECT_EQ(r.x, 474);
    EXPECT_EQ(r.y, 30 + 313);
    EXPECT_EQ(r.w, 1100);
    EXPECT_EQ(r.h, 880);
}

TEST_F(Window, AtTwiceTheScaleThePointerIsInWizardPixels) {
    InputProbe page("page");
    g_currentPage = &page;
    SetDialogArea({474, 328, 1100, 880}, 2);
    Send(os::kWmMouseMove, 0, os::testdouble::MousePoint(474 + 201, 328 + 99));
    Send(os::kWmMouseMove, 0, os::testdouble::MousePoint(474 + 1099, 328 + 879));
    Send(os::kWmMouseMove, 0, os::testdouble::MousePoint(473, 327));
    Send(os::kWmMouseMove, 0, os::testdouble::MousePoint(472, 326));
    EXPECT_EQ(g_seen, (std::vector<std::string>{"page mouse 2 at 100,49", "page mouse 2 at 549,439",
                                                "page mouse 2 at -1,-1", "page mouse 2 at -1,-1"}))
        << "a pixel left of or above the wizard stays outside it";
    g_currentPage = nullptr;
}

TEST_F(Window, MovedToADisplayOfAnotherDpiTheWizardTakesItsScale) {
    D().clientRect = {0, 0, 2048, 1536};
    g_painter = &g_painterGDI;
    EXPECT_EQ(Send(os::kWmDpiChanged, 192 | (192u << 16)), 0);
    EXPECT_EQ(g_installer.dialogRect.x, 474);
    EXPECT_EQ(g_installer.dialogRect.w, 1100);
    EXPECT_EQ(g_wizardScale, 2);
    EXPECT_EQ(g_painterGDI.viewport.h, 880);
    EXPECT_EQ(D().fills.size(), 4u) << "the surround is filled again around the new rectangle";
    Send(os::kWmDpiChanged, 96 | (96u << 16));
    EXPECT_EQ(g_installer.dialogRect.x, 749);
    EXPECT_EQ(g_wizardScale, 1);
}

class Startup : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        fs::create_directories(root / "c" / "Windows");
        Write("C:\\Media\\strings.txt",
              "APP_TITLE\tBrightvale Setup\nGAME_DIR\tOrelwick\\Brightvale\n"
              "URL_HOMEPAGE\thttps://home.example\nURL_SUPPORT\thttps://help.example\n");
    }
    std::vector<guiDialog*> Expected(std::initializer_list<guiDialog*> pages) {
        std::vector<guiDialog*> v(pages);
        v.push_back(g_installer.yesNoBox.get());
        v.push_back(g_installer.okBox.get());
        return v;
    }
    void Installed() {
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", "C:\\Games\\Brightvale");
        Write("C:\\Games\\Brightvale\\install.log", logtext::Lines({"x"}));
        Write("C:\\Games\\Brightvale\\uninstall.exe", "MZ");
    }
};

TEST_F(Startup, FreshInstallationOpensTheWindowAndTheWelcomePage) {
    CInstaller& in = g_installer;
    ASSERT_TRUE(in.Init(&in));
    EXPECT_EQ(in.hInstance, &in);
    ASSERT_EQ(D().classes.size(), 1u);
    EXPECT_EQ(D().classes[0].name, "__INSTALL_WND__");
    EXPECT_EQ(D().classes[0].style, os::kCsHRedraw | os::kCsVRedraw);
    EXPECT_EQ(D().classes[0].largeIcon, 105);
    EXPECT_EQ(D().classes[0].smallIcon, 106);
    ASSERT_EQ(D().windows.size(), 1u);
    const auto& w = D().windows[0];
    EXPECT_EQ(w.exStyle, os::kWsExAppWindow);
    EXPECT_EQ(w.style, os::kWsPopup | os::kWsMaximize);
    EXPECT_EQ(w.place.right, 1024);
    EXPECT_EQ(w.place.bottom, 768);
    EXPECT_EQ(w.title, "Brightvale Installation");
    EXPECT_EQ(w.showCommand, os::kSwShow);
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Setup") << "then the title of the texts";
    EXPECT_EQ(D().comInits, 1);
    EXPECT_TRUE(Exists("C:\\Windows\\Temp"));
    EXPECT_EQ(g_topLevelDialogs, Expected({&in.wndOptions, &in.wndLicense, &in.wndPlay, &in.wndProgress,
                                           &in.wndQuality, &in.wndInstall}))
        << "the welcome page moved to the end; the language page is not registered";
    EXPECT_EQ(g_currentPage.load(), &in.wndInstall);
    EXPECT_EQ(in.mediaDir, "Media");
    EXPECT_EQ(in.homepageUrl, "https://home.example");
    EXPECT_EQ(in.dialogRect.x, 237);
    EXPECT_EQ(in.dialogRect.y, 164);
    EXPECT_EQ(g_dialogArea.x, 237);
    EXPECT_EQ(g_painter, &g_painterGDI);
    EXPECT_EQ(g_painterGDI.viewport.x, 237) << "the painter draws into the wizard rectangle";
    EXPECT_FALSE(in.copyComplete);
    EXPECT_EQ(in.yesNoBox->visible, 0);
    EXPECT_TRUE(D().boxes.empty());
}

TEST_F(Startup, AtTwiceTheDpiTheWizardIsDoubledPixelForPixelAndClicksHitWhatTheyShow) {
    D().displayDpi = 192;
    D().screenWidth = 2048;
    D().screenHeight = 1536;
    D().screen.assign(2048 * 1536 * 3, 0);
    D().clientRect = {0, 0, 2048, 1536};
    D().workArea = {0, 0, 2048, 1536};
    // A background of a different colour at nearly every pixel: a block out of place shows.
    std::string pixels;
    for (int y = 0; y < 440; ++y)
        for (int x = 0; x < 550; ++x)
            pixels += std::string{char(x % 251), char(y % 241), char((x * 7 + y * 3) % 256 | 1)};
    Write("C:\\Media\\back_install.tga", tgabytes::Tga(550, 440, 24, pixels));
    CInstaller& in = g_installer;
    ASSERT_TRUE(in.Init(nullptr));
    EXPECT_EQ(in.dialogRect.x, 474);
    EXPECT_EQ(in.dialogRect.y, 328);
    EXPECT_EQ(in.dialogRect.w, 1100);
    EXPECT_EQ(in.dialogRect.h, 880);
    ASSERT_EQ(g_painterGDI.backBuffer.width, 550);
    DrawAll();

    // Every wizard pixel is a 2 x 2 block of the back buffer's colour on the screen.
    const guiImage& back = g_painterGDI.backBuffer;
    auto screen = [](int x, int y) {
        const std::uint8_t* p = &D().screen[(static_cast<std::size_t>(y) * 2048 + x) * 3];
        return std::to_string(p[2]) + "," + std::to_string(p[1]) + "," + std::to_string(p[0]);
    };
    int differing = 0, coloured = 0;
    for (int y = 0; y < 440; y += 7)
        for (int x = 0; x < 550; x += 3) {
            const std::uint8_t* b = back.PixelAt(x, 439 - y); // bottom-up, as Windows reads it
            std::string want = std::to_string(b[2]) + "," + std::to_string(b[1]) + "," + std::to_string(b[0]);
            if (want != "0,0,0") ++coloured;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    if (screen(474 + 2 * x + dx, 328 + 2 * y + dy) != want) ++differing;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(coloured, 1000) << "the welcome page's skin was drawn";
    EXPECT_EQ(screen(473, 500), "0,0,0") << "nothing drawn left of the wizard";
    EXPECT_EQ(screen(474 + 1100, 500), "0,0,0") << "nor right of it";

    // The Install row, where the screen shows it: its wizard rectangle doubled.
    const guiRect row = in.wndInstall.Focused()->rect;
    std::intptr_t at = os::testdouble::MousePoint(474 + 2 * (row.x + row.w / 2), 328 + 2 * (row.y + row.h / 2));
    auto window = reinterpret_cast<os::Window>(1);
    HandleWindowMessage(in, window, os::kWmMouseMove, 0, at);
    HandleWindowMessage(in, window, os::kWmLButtonDown, 0, at);
    HandleWindowMessage(in, window, os::kWmLButtonUp, 0, at);
    EXPECT_EQ(g_currentPage.load(), &in.wndLicense) << "the click reached the Install row";
}

TEST_F(Startup, MaintenanceShowsOnlyThePlayPage) {
    Installed();
    CInstaller& in = g_installer;
    ASSERT_TRUE(in.Init(nullptr));
    EXPECT_EQ(g_topLevelDialogs,
              Expected({&in.wndInstall, &in.wndOptions, &in.wndLicense, &in.wndPlay, &in.wndProgress}));
    EXPECT_EQ(g_currentPage.load(), &in.wndPlay);
    EXPECT_EQ(in.supportUrl, "https://help.example");
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Setup");
}

TEST_F(Startup, MaintenanceWithoutItsStringTableEnds) {
    Installed();
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "MediaDir", "MediaFran");
    EXPECT_FALSE(g_installer.Init(nullptr));
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Cannot load string table. Application will terminate.\n");
    EXPECT_EQ(D().boxes[0].flags, os::kMbIconError);
    EXPECT_EQ(g_installer.mediaDir, "MediaFran");
}

TEST_F(Startup, AdditionalInstallationGoesStraightToTheProgressPage) {
    CInstaller& in = g_installer;
    in.additionalInstall = true;
    ASSERT_TRUE(in.Init(nullptr));
    EXPECT_EQ(g_topLevelDialogs, Expected({&in.wndProgress, &in.wndQuality}));
    EXPECT_EQ(g_currentPage.load(), &in.wndProgress);
    EXPECT_TRUE(in.copyComplete);
    EXPECT_FALSE(in.cancelConfirmed);
    in.additionalInstall = false;
}

TEST_F(Startup, WindowFailures) {
    D().classFails = true;
    EXPECT_FALSE(g_installer.Init(nullptr));
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].text, "Cannot register window class: __INSTALL_WND__\n");
    EXPECT_TRUE(g_topLevelDialogs.empty());
}

namespace {
// A page that counts its frames and, like a widget under the pointer, takes mouse input.
struct HoverPage : CountingPage {
    int moves = 0;
    bool OnMouse(int event) override {
        if (event == kMouseMove) ++moves;
        return true;
    }
};
} // namespace

TEST_F(Startup, TheIdleLoopDrawsNothingAndWatchesForTheEngineWindowAtEveryWake) {
    ASSERT_TRUE(g_installer.Init(nullptr));
    HoverPage page;
    AddTopLevelDialog(&page);
    ShowPage(&page);
    int wakes = 0;
    int framesAtHover = -1;
    std::uint32_t longestWait = 0;
    D().onInputWait = [&](os::testdouble::State& d, std::uint32_t ms) {
        longestWait = std::max(longestWait, ms);
        ++wakes;
        if (wakes == 3) page.frames = 0; // the first frames of the new page are behind
        if (wakes == 40) {
            framesAtHover = page.frames;
            os::testdouble::PostWindowMessage(os::kWmMouseMove, 0, os::testdouble::MousePoint(300, 200));
        }
        if (wakes == 80) d.topWindows.push_back({"MKX_KERNEL", "Orelwick engine"});
    };
    EXPECT_TRUE(g_installer.Run());
    EXPECT_EQ(framesAtHover, 0) << "nothing changed: no frame in 37 waits";
    EXPECT_EQ(page.moves, 1);
    EXPECT_EQ(page.frames, 1) << "the hover drew one frame, then nothing again";
    EXPECT_LE(longestWait, kLongestWaitMs);
    EXPECT_EQ(D().windowSearches, 81) << "the engine window is looked for at every wake, and seen";
    EXPECT_EQ(D().comUninits, 1);
}

TEST_F(Startup, TheCaretBlinksTwiceASecondAndWorkerProgressIsDrawnAtMost30TimesASecond) {
    ASSERT_TRUE(g_installer.Init(nullptr));
    CInstaller& in = g_installer;
    ShowPage(&in.wndOptions); // the folder's edit box blinks
    std::uint32_t start = D().ticks;
    std::uint32_t framesBefore = 0;
    D().onInputWait = [&](os::testdouble::State& d, std::uint32_t) {
        if (framesBefore != 0) {
            // The worker reports progress during every wait, far more often than a frame is drawn.
            std::thread([] { g_installer.wndProgress.SetProgress(0.5f); }).join();
        }
        if (d.ticks - start < 5000) return;
        if (framesBefore == 0) {
            framesBefore = FramesDrawn();
            ShowPage(&in.wndProgress);
            start = d.ticks;
            return;
        }
        d.topWindows.push_back({"MKX_KERNEL", "Orelwick engine"});
    };
    EXPECT_TRUE(in.Run());
    std::uint32_t progressFrames = FramesDrawn() - framesBefore;
    // The options page: one frame a blink, 500 ms apart, over 5 s (and the page's first frames).
    EXPECT_GE(framesBefore, 9u);
    EXPECT_LE(framesBefore, 13u);
    // The progress page over 5 s: changes all the time, drawn at most 30 times a second.
    EXPECT_GE(progressFrames, 100u);
    EXPECT_LE(progressFrames, 5u * 30u + 1u);
    EXPECT_GT(D().wakes, 0) << "a change from the worker wakes the window's loop";
}

TEST_F(Startup, MinimisedTheLoopNeitherDrawsNorWatches) {
    ASSERT_TRUE(g_installer.Init(nullptr));
    HoverPage page;
    AddTopLevelDialog(&page);
    ShowPage(&page);
    page.frames = 0;
    os::testdouble::PostWindowMessage(os::kWmSize, os::kSizeMinimized);
    int framesWhileMinimised = -1, searchesWhileMinimised = -1;
    D().onWait = [&](os::testdouble::State& d) {
        if (framesWhileMinimised >= 0) return;
        framesWhileMinimised = page.frames;
        searchesWhileMinimised = d.windowSearches;
        os::testdouble::PostWindowMessage(os::kWmActivate, os::kWaActive);
    };
    D().onInputWait = [&](os::testdouble::State& d, std::uint32_t) {
        d.topWindows.push_back({"MKX_KERNEL", "Orelwick engine"});
    };
    EXPECT_TRUE(g_installer.Run());
    EXPECT_EQ(framesWhileMinimised, 0);
    EXPECT_EQ(searchesWhileMinimised, 0);
    EXPECT_EQ(D().waits, 1) << "minimised, the loop waits for the next message";
    EXPECT_GE(page.frames, 1) << "reactivated, it draws again";
    EXPECT_EQ(D().windowSearches, 2) << "and watches for the engine window again";
}

TEST_F(Startup, QuitEndsTheLoop) {
    ASSERT_TRUE(g_installer.Init(nullptr));
    os::testdouble::PostWindowMessage(os::kWmChar, 'x');
    os::testdouble::PostWindowMessage(os::kWmQuit);
    EXPECT_TRUE(g_installer.Run());
    EXPECT_TRUE(D().messages.empty());
}

TEST(Redraw, DrawsOnlyAChangeOrADueTimeAndNeverTwiceWithin34Ms) {
    // Nothing changed, nothing due: the longest wait, or until the due time when that is sooner.
    EXPECT_EQ(DecideRedraw(false, false, 0, 1000, 5000).draw, false);
    EXPECT_EQ(DecideRedraw(false, false, 0, 1000, 5000).waitMs, kLongestWaitMs);
    RedrawDecision soon = DecideRedraw(false, true, 5100, 1000, 5000);
    EXPECT_FALSE(soon.draw);
    EXPECT_EQ(soon.waitMs, 100u);
    EXPECT_EQ(DecideRedraw(false, true, 9000, 1000, 5000).waitMs, kLongestWaitMs);
    // A change, or a due time reached: drawn at once when the last frame is 34 ms old...
    EXPECT_TRUE(DecideRedraw(true, false, 0, 4966, 5000).draw);
    EXPECT_TRUE(DecideRedraw(false, true, 5000, 1000, 5000).draw);
    EXPECT_TRUE(DecideRedraw(false, true, 4000, 1000, 5000).draw) << "a due time long passed";
    // ...else after the rest of the 34 ms.
    RedrawDecision held = DecideRedraw(true, false, 0, 4990, 5000);
    EXPECT_FALSE(held.draw);
    EXPECT_EQ(held.waitMs, 24u);
    // Across the wrap of the tick count.
    EXPECT_TRUE(DecideRedraw(true, false, 0, 0xFFFFFFF0u, 20).draw);
    EXPECT_EQ(DecideRedraw(false, true, 10, 0, 0xFFFFFFF0u).waitMs, 26u);
    EXPECT_TRUE(DecideRedraw(false, true, 0xFFFFFFF0u, 0xFFFFFF00u, 5).draw);
}
