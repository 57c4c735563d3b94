// Every way the wizard can be ended or hurried: the window's close, a quit while a box is open, the loop
// ending while the copy runs, two boxes asked for at once, a click on the pixel two rows share.
#include "support/World.h"

#include "engine/ConfirmCancel.h"
#include "platform/double/DoubleThreads.h"
#include "shell/MainWindow.h"

#include <atomic>
#include <chrono>
#include <thread>

class Endings : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        LoadStrings("APP_TITLE\tBrightvale\nARE_YOU_SURE\tStop the installation?\n");
        CInstaller& in = g_installer;
        in.okBox = std::make_unique<guiOkBox>();
        in.yesNoBox = std::make_unique<guiYesNoBox>();
        AddTopLevelDialog(in.okBox.get());
        AddTopLevelDialog(in.yesNoBox.get());
        in.okBox->Create();
        in.yesNoBox->Create();
        in.hwnd = &window;
    }
    void TearDown() override {
        CInstaller& in = g_installer;
        in.hwnd = nullptr;
        g_topLevelDialogs.clear();
        g_modalBox = nullptr;
        in.okBox.reset();
        in.yesNoBox.reset();
        World::TearDown();
    }
    std::intptr_t Send(std::uint32_t message) {
        return HandleWindowMessage(g_installer, g_installer.hwnd, message, 0, 0);
    }
    // Waits until the box is the open one, then releases the left button over (x, y).
    static void Answer(guiMsgBox& box, int x, int y) {
        if (!WaitOpen(box)) return;
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
        g_mouseX = x;
        g_mouseY = y;
        box.OnMouse(kLeftUp);
    }
    // Up to five seconds of real time; a box that never opens fails the test.
    static bool WaitOpen(guiMsgBox& box) {
        for (int ms = 0; ms < 5000; ++ms) {
            if (g_modalBox.load() == &box) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ADD_FAILURE() << "the box did not open";
        g_leaving = true; // every box still waiting answers, so the test ends
        return false;
    }
    bool DefaultGot(std::uint32_t message) {
        for (const auto& call : D().defaultProcCalls)
            if (call.message == message) return true;
        return false;
    }
    static constexpr int kYesX = 150, kNoX = 350, kOkX = 220, kButtonY = 325;
    int window = 0;
};

TEST_F(Endings, TheCloseDuringTheCopyIsCancelWithItsQuestion) {
    CInstaller& in = g_installer;
    in.copyRunning = true;
    std::atomic<std::intptr_t> result{-1};
    std::thread closing([&] { result = Send(os::kWmClose); });
    Answer(*in.yesNoBox, kNoX, kButtonY);
    closing.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(in.yesNoBox->messageText->text, "Stop the installation?\n");
    EXPECT_FALSE(in.cancelConfirmed) << "No: the copy goes on";
    EXPECT_FALSE(DefaultGot(os::kWmClose)) << "the window stays";

    std::thread again([&] { Send(os::kWmClose); });
    Answer(*in.yesNoBox, kYesX, kButtonY);
    again.join();
    EXPECT_TRUE(in.cancelConfirmed) << "Yes: rolled back as Cancel does";
    EXPECT_FALSE(DefaultGot(os::kWmClose));
}

TEST_F(Endings, TheCloseWaitsForAnOpenBoxAndForTheFinishingElseItIsExit) {
    g_modalBox = g_installer.okBox.get();
    EXPECT_EQ(Send(os::kWmClose), 0);
    EXPECT_FALSE(DefaultGot(os::kWmClose)) << "ignored while a box is open";
    g_modalBox = nullptr;
    g_pageInputBlocked = true;
    EXPECT_EQ(Send(os::kWmClose), 0);
    EXPECT_FALSE(DefaultGot(os::kWmClose)) << "ignored while the finishing steps run";
    g_pageInputBlocked = false;
    Send(os::kWmClose);
    EXPECT_TRUE(DefaultGot(os::kWmClose)) << "otherwise the window goes, as Exit ends the program";
    Send(os::kWmDestroy);
    EXPECT_TRUE(g_leaving);
}

TEST_F(Endings, ABoxLeavesOnAQuitWithItsNegativeAnswerAndPostsTheQuitAgain) {
    // This thread owns the window, so the quit is in its queue.
    os::CreateMainWindow(nullptr, "__INSTALL_WND__", "", 0, 0, os::Rect{0, 0, 1024, 768});
    os::testdouble::PostWindowMessage(os::kWmQuit);
    std::atomic<bool> asked{false};
    std::thread watchdog([&] { // a box that would wait for ever is released after five seconds
        for (int ms = 0; ms < 5000 && !asked; ++ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!asked) ADD_FAILURE() << "the quit did not end the box";
        g_leaving = true;
    });
    bool answer = AskYesNo("Insert disc 2");
    asked = true;
    watchdog.join();
    EXPECT_FALSE(answer);
    EXPECT_TRUE(g_leaving);
    ASSERT_EQ(D().messages.size(), 1u);
    EXPECT_EQ(D().messages[0].message, os::kWmQuit) << "for the loops outside the box";
    EXPECT_EQ(g_modalBox.load(), nullptr);
    D().messages.clear();

    // Leaving, a box on the worker's thread answers at once: there is no one to click it.
    std::atomic<bool> answered{false};
    std::thread worker([&] {
        ShowInfo("Unpack error");
        answered = true;
    });
    worker.join();
    EXPECT_TRUE(answered);
}

TEST_F(Endings, TwoBoxesAskedForAtOnceAreShownOneAfterTheOther) {
    CInstaller& in = g_installer;
    std::atomic<int> order{0}, questionDone{0}, infoDone{0};
    std::thread question([&] {
        bool yes = AskYesNo("Stop the installation?");
        questionDone = ++order * (yes ? 1 : -1);
    });
    WaitOpen(*in.yesNoBox);
    std::thread info([&] {
        ShowInfo("Unpack error: 18");
        infoDone = ++order;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(g_modalBox.load(), in.yesNoBox.get()) << "the second waits: the open question keeps its box";
    EXPECT_EQ(in.yesNoBox->messageText->text, "Stop the installation?\n");
    Answer(*in.yesNoBox, kYesX, kButtonY);
    question.join();
    Answer(*in.okBox, kOkX, kButtonY);
    info.join();
    EXPECT_EQ(questionDone.load(), 1) << "answered Yes, first";
    EXPECT_EQ(infoDone.load(), 2);
    EXPECT_EQ(in.okBox->messageText->text, "Unpack error: 18\n");
}

TEST_F(Endings, TheLoopEndingWhileTheCopyRunsCancelsAndWaitsForTheRollback) {
    CInstaller& in = g_installer;
    in.okBox.reset();
    in.yesNoBox.reset();
    g_topLevelDialogs.clear();
    fs::create_directories(root / "c" / "Windows");
    Write("C:\\Media\\strings.txt", "APP_TITLE\tBrightvale\n");
    ASSERT_TRUE(in.Init(nullptr));
    static std::atomic<bool> rolledBack;
    rolledBack = false;
    in.copyRunning = true;
    in.workerThread = os::StartThread(
        [](void*) -> unsigned {
            while (!g_installer.cancelConfirmed)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(30)); // the rollback takes its time
            rolledBack = true;
            g_installer.copyRunning = false;
            return 0;
        },
        nullptr);
    os::testdouble::PostWindowMessage(os::kWmQuit);
    EXPECT_TRUE(in.Run());
    EXPECT_TRUE(rolledBack) << "Run returned only after the worker had undone the copy";
    EXPECT_TRUE(in.cancelConfirmed);
    in.cancelConfirmed = true; // the worker ends in any case
    os::testdouble::JoinThreads();
}

TEST_F(Endings, ACancelAfterTheCopyCompletedIsTooLate) {
    CInstaller& in = g_installer;
    in.copyComplete = true;
    EXPECT_FALSE(RequestCancel());
    EXPECT_FALSE(in.cancelConfirmed);
    ConfirmCancel();
    EXPECT_EQ(g_modalBox.load(), nullptr) << "not even asked";
    in.copyComplete = false;
    EXPECT_TRUE(RequestCancel());
    EXPECT_TRUE(in.cancelConfirmed);
}
