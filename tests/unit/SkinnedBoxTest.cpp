// The skinned OK and Yes/No boxes: their layout with the double's font (Times New Roman 10: lines of
// 13 pixels, bold 14), their buttons, their results and the modal loop answered by a click.
#include "unit/ControlsWorld.h"

#include "gui/guiButton.h"
#include "gui/guiMsgBox.h"
#include "support/WaitFor.h"

#include <atomic>
#include <thread>

class SkinnedBox : public ControlsWorld {
  protected:
    void SetUp() override {
        ControlsWorld::SetUp();
        LoadStrings("APP_TITLE Brightvale\nOK Okay\nYES Yes\nNO No\n");
    }
    // A click as the window procedure delivers it: under the toolkit's lock.
    static void Click(guiMsgBox& box, int x, int y, int event = kLeftUp) {
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
        Mouse(box, event, x, y);
    }
    static void WaitOpen(guiMsgBox& box) {
        EXPECT_TRUE(WaitFor([&] { return g_modalBox.load() == &box; })) << "the box did not open";
        // The box is made modal and given its texts in one step under the lock.
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
    }
};

TEST_F(SkinnedBox, BuiltWithItsSkinsFontsAndButtons) {
    Skin("yes_no_back.tga", 550, 440);
    Skin("msg_button_over.tga", 133, 15);
    guiYesNoBox box;
    ASSERT_GE(D().fonts.size(), 2u);
    const auto& fonts = D().fonts;
    EXPECT_EQ(fonts[fonts.size() - 2].face, "Times New Roman");
    EXPECT_EQ(fonts[fonts.size() - 2].pointSize, 10);
    EXPECT_FALSE(fonts[fonts.size() - 2].bold);
    EXPECT_TRUE(fonts.back().bold);
    EXPECT_EQ(box.background->width, 550);
    EXPECT_EQ(box.buttonImage->pixels, nullptr) << "never loaded: the skin shows the buttons";
    EXPECT_EQ(box.buttonOverImage->width, 133);
    EXPECT_TRUE(box.Create());
    box.Create();
    ASSERT_EQ(box.children.size(), 4u) << "built once";
    EXPECT_EQ(box.children[0], box.yesButton);
    EXPECT_EQ(box.children[1], box.noButton);
    EXPECT_EQ(box.children[2], box.messageText);
    EXPECT_EQ(box.children[3], box.captionText);
    EXPECT_EQ(box.yesButton->rect, (guiRect{142, 320, 133, 15}));
    EXPECT_EQ(box.noButton->rect, (guiRect{293, 320, 133, 15}));
    EXPECT_EQ(box.yesButton->caption, "Yes");
    EXPECT_EQ(box.noButton->caption, "No");
    EXPECT_EQ(box.yesButton->font, box.captionFont.get());
    EXPECT_EQ(box.captionText->font, box.captionFont.get());
    EXPECT_EQ(box.messageText->font, box.messageFont.get());
    EXPECT_EQ(box.messageText->rect, (guiRect{134, 246, 308, 64}));
    EXPECT_EQ(box.captionText->rect, (guiRect{176, 120, 207, 20}));
    EXPECT_EQ(box.yesButton->hoverImage, box.buttonOverImage.get());
    EXPECT_EQ(box.yesButton->normalImage, box.buttonImage.get());

    guiOkBox ok;
    ok.Create();
    ASSERT_EQ(ok.children.size(), 3u);
    EXPECT_EQ(ok.okButton->rect, (guiRect{215, 320, 132, 14}));
    EXPECT_EQ(ok.okButton->caption, "Okay");
}

TEST_F(SkinnedBox, AShortMessageIsCentredAndTheSkinDrawnUnderIt) {
    Skin("msg_back.tga", 550, 440);
    guiOkBox box;
    box.Create();
    box.SetTexts("Hi", "Title");
    EXPECT_EQ(box.message, "Hi");
    EXPECT_EQ(box.title, "Title");
    box.Draw();
    ASSERT_FALSE(painter.calls.empty());
    EXPECT_EQ(painter.calls[0].image, box.background.get());
    EXPECT_EQ(painter.calls[0].x, 0);
    EXPECT_EQ(painter.calls[0].y, 0);
    // "Hi" is 10 pixels: (308 - 10) / 2 across, (64 - 13) / 2 down.
    auto message = painter.Of(&box.messageFont->atlas);
    ASSERT_EQ(message.size(), 2u);
    EXPECT_EQ(message[0].x, 134 + 149);
    EXPECT_EQ(message[0].y, 246 + 25);
    EXPECT_EQ(message[0].clip, box.messageText->rect);
    // The caption "Title" (29 pixels bold) and the button's "Okay" share the caption font.
    EXPECT_EQ(painter.Text(*box.captionFont), "OkayTitle") << "the button first, the texts over it";
    auto caption = painter.Of(&box.captionFont->atlas);
    EXPECT_EQ(caption[4].x, 176 + (207 - 29) / 2);
    EXPECT_EQ(caption[4].y, 120 + 3);
    EXPECT_EQ(caption[0].x, 215 + (132 - box.captionFont->TextWidth("Okay", 4)) / 2);
    EXPECT_EQ(caption[0].y, 320);
}

TEST_F(SkinnedBox, ALongMessageKeepsItsFirstLinesAtTheTop) {
    guiOkBox box;
    box.Create();
    std::string text;
    for (int i = 1; i <= 60; ++i)
        text += "word" + std::to_string(i) + " ";
    box.SetTexts(text.c_str(), nullptr);
    EXPECT_EQ(box.title, "") << "no caption given: the title is kept";
    EXPECT_EQ(box.captionText->text, "") << "and the caption line is empty";
    ASSERT_GT(box.messageText->lines.size() / 2, 5u) << "more lines than 64 pixels hold";
    EXPECT_EQ(box.messageText->verticalOffset, 0) << "a block taller than the area starts at its top";
    box.Draw();
    auto glyphs = painter.Of(&box.messageFont->atlas);
    EXPECT_EQ(painter.Text(*box.messageFont).substr(0, 6), "word1 ");
    EXPECT_EQ(glyphs[0].y, 246);
    for (const auto& g : glyphs)
        EXPECT_EQ(g.clip, box.messageText->rect) << "lines below the area are cut away";
}

TEST_F(SkinnedBox, EnterAndEscAnswerAsOnEverySystemBox) {
    guiYesNoBox question;
    question.Create();
    question.visible = 1;
    EXPECT_TRUE(question.OnKey(13));
    EXPECT_EQ(question.result.load(), guiMsgBox::kYes);
    EXPECT_FALSE(question.visible);
    EXPECT_FALSE(question.OnKey(27));
    EXPECT_EQ(question.result.load(), guiMsgBox::kYes) << "answered once";
    question.result = 0;
    EXPECT_TRUE(question.OnKey(27));
    EXPECT_EQ(question.result.load(), guiMsgBox::kNo);
    for (int key : {13, 27}) {
        guiOkBox ok;
        ok.Create();
        EXPECT_TRUE(ok.OnKey(key));
        EXPECT_EQ(ok.result.load(), guiMsgBox::kOk) << key;
    }
}

TEST_F(SkinnedBox, OtherKeysAndClicksLeaveTheBoxOpen) {
    guiYesNoBox box;
    box.Create();
    box.visible = 1;
    for (int key : {32, int('y'), int('n'), kKeyEnd})
        EXPECT_FALSE(box.OnKey(key));
    Click(box, 100, 100);              // outside the buttons
    Click(box, 150, 325, kRightUp);    // right button over YES
    Click(box, 150, 325, kMiddleUp);   // middle button
    Click(box, 150, 325, kLeftDouble); // a double-click is no click
    Click(box, 150, 325, kLeftDown);   // a press alone
    EXPECT_EQ(box.result.load(), 0);
    EXPECT_TRUE(box.visible);
}

TEST_F(SkinnedBox, AReleaseOverAButtonAnswersEvenAfterAPressOutside) {
    guiYesNoBox box;
    box.Create();
    box.visible = 1;
    Click(box, 10, 10, kLeftDown);
    Click(box, 293, 334); // the NO button's bottom-left pixel
    EXPECT_EQ(box.result.load(), 4);
    EXPECT_FALSE(box.visible);
    box.result = 0;
    Click(box, 275, 320); // the column where YES ends: neither button
    EXPECT_EQ(box.result.load(), 0);
    Click(box, 274, 320); // YES's last column
    EXPECT_EQ(box.result.load(), 3);
    guiOkBox ok;
    ok.Create();
    Click(ok, 346, 333);
    EXPECT_EQ(ok.result.load(), 1);
}

TEST_F(SkinnedBox, ShowWaitsForTheClickAndReturnsItsResult) {
    Skin("msg_button_over.tga", 133, 15);
    guiYesNoBox box;
    AddTopLevelDialog(&box);
    box.Create();
    std::atomic<int> result{0};
    std::thread worker([&] { result = box.Show("Insert disc 2", "Brightvale"); });
    WaitOpen(box);
    Click(box, 200, 325, kMouseMove);
    {
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
        painter.calls.clear();
        box.Draw();
        auto hover = painter.Of(box.buttonOverImage.get());
        ASSERT_EQ(hover.size(), 1u) << "the button under the pointer shows its hover image";
        EXPECT_EQ(hover[0].x, 142);
    }
    Click(box, 350, 325);
    worker.join();
    EXPECT_EQ(result.load(), 4);
    EXPECT_EQ(g_modalBox.load(), nullptr);
    EXPECT_FALSE(box.visible);
    EXPECT_EQ(box.messageText->text, "Insert disc 2");

    // Shown again: new texts, and the old result does not answer it.
    std::thread again([&] { result = box.Show("Second", "Other"); });
    WaitOpen(box);
    EXPECT_EQ(box.result.load(), 0);
    EXPECT_EQ(box.messageText->text, "Second");
    EXPECT_EQ(box.captionText->text, "Other");
    Click(box, 150, 325);
    again.join();
    EXPECT_EQ(result.load(), 3);
}

TEST_F(SkinnedBox, ShowInfoAndAskYesNoUseTheSkinnedBoxesOnceTheWindowExists) {
    g_installer.okBox = std::make_unique<guiOkBox>();
    g_installer.yesNoBox = std::make_unique<guiYesNoBox>();
    AddTopLevelDialog(g_installer.okBox.get());
    AddTopLevelDialog(g_installer.yesNoBox.get());
    g_installer.okBox->Create();
    g_installer.yesNoBox->Create();
    int window = 0;
    g_installer.hwnd = &window;
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = AskYesNo("Insert disc %d", 2) ? 1 : 0; });
    WaitOpen(*g_installer.yesNoBox);
    EXPECT_EQ(g_installer.yesNoBox->captionText->text, "Brightvale");
    EXPECT_EQ(g_installer.yesNoBox->messageText->text, "Insert disc 2\n");
    Click(*g_installer.yesNoBox, 150, 325);
    worker.join();
    EXPECT_EQ(answer.load(), 1);
    std::thread info([&] { ShowInfo("Done"); });
    WaitOpen(*g_installer.okBox);
    Click(*g_installer.okBox, 220, 325);
    info.join();
    EXPECT_EQ(g_installer.okBox->result.load(), 1);
    EXPECT_TRUE(D().boxes.empty()) << "no system box";
    g_installer.hwnd = nullptr;
    g_topLevelDialogs.clear();
    g_installer.okBox.reset();
    g_installer.yesNoBox.reset();
}
