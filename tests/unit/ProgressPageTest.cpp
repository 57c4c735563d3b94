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

TEST_F(ProgressPage, TheWindowTitleIsSetOnTheWindowsThreadOnly) {
    wndProgress& page = g_installer.wndProgress;
    page.ResetProgress();
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Installation - (1.1%)");
    // From the worker the value is stored at once and the title follows at the next update pass.
    std::thread([&] { page.SetProgress(0.45f); }).join();
    EXPECT_NEAR(page.progress, 0.45, 1e-6);
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Installation - (1.1%)");
    page.Update();
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Installation - (45.6%)");
    // Above 1 is clamped by the update pass.
    page.SetProgress(1.5f);
    page.Update();
    EXPECT_DOUBLE_EQ(page.progress, 1.0);
    EXPECT_EQ(os::testdouble::ToUtf8(D().windowTitle), "Brightvale Installation");
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
