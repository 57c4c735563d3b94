// The progress page's title and value, and the cancel question.
#include "support/CopyWorld.h"

#include "engine/ConfirmCancel.h"

#include <thread>

using ProgressPage = CopyWorld;

TEST_F(ProgressPage, TitleFollowsThePercentage) {
    EXPECT_EQ(wndProgress::TitleText(0.0, false), "Brightvale Installation - (1.1%)");
    EXPECT_EQ(wndProgress::TitleText(0.45, false), "Brightvale Installation - (45.6%)");
    EXPECT_EQ(wndProgress::TitleText(0.999, false), "Brightvale Installation - (99.9%)");
    EXPECT_EQ(wndProgress::TitleText(1.0, false), "Brightvale Installation");
    EXPECT_EQ(wndProgress::TitleText(1.7, false), "Brightvale Installation");
    EXPECT_EQ(wndProgress::TitleText(0.45, true), "Brightvale Installation") << "after a confirmed cancel";
    EXPECT_EQ(wndProgress::PercentText(3.0), "(100.0%)");
}

TEST_F(ProgressPage, UpdatePassesSetTheTitleOnlyWhenItsTextChanges) {
    wndProgress& page = g_installer.wndProgress;
    page.ResetProgress();
    int sets = D().titleSets;
    for (int i = 0; i < 5; ++i) page.Update();
    EXPECT_EQ(D().titleSets, sets) << "the same percentage, no new title";
    page.progress = 0.5;
    page.Update();
    page.Update();
    EXPECT_EQ(D().titleSets, sets + 1);
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Installation - (50.6%)");
    D().windowTitle.clear();
    page.ResetProgress();
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Installation - (1.1%)")
        << "a new start of the copy sets the title whatever was set since";
}

TEST_F(ProgressPage, TheWorkerLeavesTheTitleToTheActiveWindowsUpdatePassesButSetsTheLastOne) {
    wndProgress& page = g_installer.wndProgress;
    auto title = [] { return os::testdouble::ToUtf8(D().windowTitle); };
    page.ResetProgress();
    EXPECT_EQ(title(), "Brightvale Installation - (1.1%)");
    // The worker does not wait for the window's thread: its next update pass shows the value.
    std::thread([&] { page.SetProgress(0.45f); }).join();
    EXPECT_NEAR(page.progress, 0.45, 1e-6);
    EXPECT_EQ(title(), "Brightvale Installation - (1.1%)");
    page.Update();
    EXPECT_EQ(title(), "Brightvale Installation - (45.6%)");
    // An inactive window has no update passes: the worker sets the title itself.
    g_installer.windowActive = false;
    std::thread([&] { page.SetProgress(0.6f); }).join();
    EXPECT_EQ(title(), "Brightvale Installation - (60.4%)");
    // The complete title is set at once, as the quality page may replace this page before a pass.
    g_installer.windowActive = true;
    std::thread([&] { page.SetProgress(1.0f); }).join();
    EXPECT_EQ(title(), "Brightvale Installation");
    // On the window's own thread the title follows at once.
    page.SetProgress(0.25f);
    EXPECT_EQ(title(), "Brightvale Installation - (25.8%)");
    // An update pass on the worker (a box's loop) leaves the title alone.
    D().windowTitle.clear();
    std::thread([&] { page.Update(); }).join();
    EXPECT_TRUE(D().windowTitle.empty());
    // Above 1 is clamped by the update pass; the title is the plain one.
    page.SetProgress(1.5f);
    page.Update();
    EXPECT_DOUBLE_EQ(page.progress, 1.0);
    EXPECT_EQ(title(), "Brightvale Installation");
}

TEST_F(ProgressPage, CancelAsksAndOnlyYesConfirms) {
    LoadStrings("ARE_YOU_SURE Stop the installation?\n");
    D().onBox = [](const os::testdouble::MessageBoxCall&) { EXPECT_TRUE(g_installer.confirmShowing); };
    D().answers = {os::kIdNo};
    ConfirmCancel();
    EXPECT_FALSE(g_installer.cancelConfirmed);
    EXPECT_FALSE(g_installer.confirmShowing);
    D().answers = {os::kIdYes};
    ConfirmCancel();
    EXPECT_TRUE(g_installer.cancelConfirmed);
    EXPECT_FALSE(g_installer.confirmShowing);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Stop the installation?\n", "Stop the installation?\n"}));
}

TEST_F(ProgressPage, CancelAsksNothingWhileFinishingAbandoningOrAnotherQuestionIsOpen) {
    g_installer.finishing = true;
    ConfirmCancel();
    g_installer.finishing = false;
    g_installer.cancelConfirmed = true;
    ConfirmCancel();
    EXPECT_TRUE(g_installer.cancelConfirmed);
    g_installer.cancelConfirmed = false;
    {
        std::lock_guard<std::mutex> discQuestion(QuestionLock());
        ConfirmCancel();
    }
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_FALSE(g_installer.confirmShowing);
}
