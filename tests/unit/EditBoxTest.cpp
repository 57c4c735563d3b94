// The edit box of the installation folder, measured with the double's font: a is 6 pixels wide, b 7, c 8.
#include "unit/ControlsWorld.h"

#include "gui/guiEditBox.h"

namespace {

int g_fired = 0;
int Count(guiWidget*) {
    ++g_fired;
    return 0;
}

} // namespace

class EditBox : public ControlsWorld {
  protected:
    void SetUp() override {
        ControlsWorld::SetUp();
        g_fired = 0;
        font.Build("Arial", 9, guiColor::FromBytes(18, 40, 49, 255), false);
        box = new guiEditBox;
        box->rect = {100, 50, 200, 20};
        box->font = &font;
        box->readOnly = 0;
        page.AddChild(box);
        page.RegisterCallback(box, Count);
        page.Create();
    }
    void Type(const std::string& keys) {
        for (char c : keys)
            page.OnKey(static_cast<unsigned char>(c));
    }
    guiFont font;
    guiDialog page;
    guiEditBox* box = nullptr;
};

TEST_F(EditBox, TypesAFolderPathButNoFullStop) {
    EXPECT_EQ(box->textRect, (guiRect{102, 52, 196, 16}));
    const std::string path = "C:\\Program Files/Bright-vale_2";
    Type(path);
    EXPECT_EQ(box->text, path);
    EXPECT_EQ(box->caret, static_cast<int>(path.size()));
    EXPECT_EQ(g_fired, static_cast<int>(path.size())) << "every accepted key fires the callback";
    g_fired = 0;
    for (int c : std::initializer_list<int>{'.', '!', '~', '*', '"', '<', 200, 13, 27})
        EXPECT_FALSE(box->OnKey(c)) << c;
    Type(".!~");
    EXPECT_EQ(g_fired, 0) << "rejected keys fire nothing";
    EXPECT_EQ(box->text, path);
    EXPECT_TRUE(box->OnKey(256 + 'x')) << "only the low 8 bits count";
    EXPECT_EQ(box->text.back(), 'x');
}

TEST_F(EditBox, SharedCodesActAsKeys) {
    box->SetText("abcd");
    EXPECT_EQ(box->caret, 4);
    Type("$");
    EXPECT_EQ(box->caret, 0) << "'$' is Home";
    Type("''");
    EXPECT_EQ(box->caret, 2) << "the apostrophe is Right";
    Type("%");
    EXPECT_EQ(box->caret, 1) << "'%' is Left";
    Type(".");
    EXPECT_EQ(box->text, "acd") << "'.' deletes the character after the caret";
    EXPECT_EQ(box->caret, 1);
    Type("#");
    EXPECT_EQ(box->caret, 3) << "'#' is End";
    EXPECT_FALSE(box->OnKey('.')) << "at the end the full stop does nothing";
    EXPECT_EQ(box->text, "acd");
    EXPECT_TRUE(box->OnKey(kKeyRight));
    EXPECT_EQ(box->caret, 3) << "Right stops at the end";
    box->caret = 0;
    EXPECT_TRUE(box->OnKey(kKeyBackspace)) << "Backspace at 0 is still handled";
    EXPECT_TRUE(box->OnKey(kKeyLeft));
    EXPECT_EQ(box->text, "acd");
    EXPECT_EQ(box->caret, 0);
    box->caret = 2;
    box->OnKey(kKeyBackspace);
    EXPECT_EQ(box->text, "ad");
    EXPECT_EQ(box->caret, 1);
    box->readOnly = 1;
    EXPECT_FALSE(box->OnKey('z'));
    EXPECT_EQ(box->text, "ad");
}

TEST_F(EditBox, SetTextNullKeepsTheTextAndNothingGrowsPastThePathBuffer) {
    box->SetText("abc");
    box->caret = 1;
    box->SetText(nullptr);
    EXPECT_EQ(box->text, "abc");
    EXPECT_EQ(box->caret, 3);
    box->SetText(std::string(300, 'x').c_str());
    EXPECT_EQ(box->text.size(), guiEditBox::kMaxLength);
    EXPECT_EQ(guiEditBox::kMaxLength, 259u) << "a path buffer of 260 with its zero";
    EXPECT_FALSE(box->OnKey('y'));
    EXPECT_EQ(box->text.size(), 259u);
    box->OnKey(kKeyBackspace);
    EXPECT_TRUE(box->OnKey('y'));
    EXPECT_EQ(box->text.size(), 259u);
    EXPECT_EQ(box->text.back(), 'y');
    box->text = "ab"; // the owner may write the text directly
    box->caret = 40;
    EXPECT_TRUE(box->OnKey(kKeyBackspace));
    EXPECT_EQ(box->text, "a");
}

TEST_F(EditBox, ClickPutsTheCaretAtTheNextBoundary) {
    box->SetText("abc"); // boundaries at 0, 6, 13, 21 from x 102
    int before = D().ibeamCursorSets;
    EXPECT_TRUE(Mouse(page, kLeftDown, 102 + 13, 60));
    EXPECT_EQ(box->caret, 2) << "exactly on the boundary between b and c";
    EXPECT_GT(D().ibeamCursorSets, before) << "the pointer is an I-beam over the box";
    Mouse(page, kLeftDown, 102 + 14, 60);
    EXPECT_EQ(box->caret, 3);
    Mouse(page, kLeftDown, 102, 60);
    EXPECT_EQ(box->caret, 0);
    Mouse(page, kLeftDown, 102 + 7, 60);
    EXPECT_EQ(box->caret, 2);
    Mouse(page, kLeftDown, 290, 60);
    EXPECT_EQ(box->caret, 3) << "right of the text: the end";
    g_fired = 0;
    Mouse(page, kMouseMove, 290, 60);
    EXPECT_EQ(box->caret, 3) << "only a press moves the caret";
    EXPECT_EQ(g_fired, 1) << "but every mouse event over the box fires";
}

TEST_F(EditBox, CentredTextThatGrowsTooWideIsRightAligned) {
    guiEditBox narrow;
    narrow.rect = {100, 50, 24, 20}; // text area 102 .. 121
    narrow.font = &font;
    narrow.align = ALIGN_CENTER;
    narrow.readOnly = 0;
    narrow.Create();
    narrow.SetText("ab"); // 13 pixels: centred at 102 + (20 - 13) / 2
    narrow.caretVisible = 0;
    narrow.Draw();
    EXPECT_EQ(painter.Of(&font.atlas)[0].x, 105);
    narrow.SetText("abcabc"); // 42 pixels
    painter.calls.clear();
    narrow.Draw();
    auto glyphs = painter.Of(&font.atlas);
    ASSERT_EQ(glyphs.size(), 6u);
    EXPECT_EQ(glyphs[5].x + 8, 102 + 20 - 3) << "the last character ends 3 pixels before the right edge";
    EXPECT_EQ(glyphs[0].clip, narrow.textRect);
    // A click measures from the right edge without the margin: 80 + 6 is the first boundary.
    Mouse(narrow, kLeftDown, 86, 60);
    EXPECT_EQ(narrow.caret, 1);
}

TEST_F(EditBox, CaretDrawAndBlink) {
    Skin("edit_cursor.tga", 2, 22);
    guiEditBox::caretImage.reset();
    box->Create();
    box->SetText("abc");
    box->caret = 1;
    box->Draw();
    auto caret = painter.Of(guiEditBox::caretImage.get());
    ASSERT_EQ(caret.size(), 1u);
    EXPECT_EQ(caret[0].x, 102 + 6);
    EXPECT_EQ(caret[0].y, 52 - 4);
    EXPECT_EQ(painter.clip, RecordingPainter::kWhole);

    D().ticks = 500;
    box->Update();
    EXPECT_TRUE(box->caretVisible) << "500 ms is not yet more than 500";
    D().ticks = 501;
    box->Update();
    EXPECT_FALSE(box->caretVisible);
    painter.calls.clear();
    box->Draw();
    EXPECT_TRUE(painter.Of(guiEditBox::caretImage.get()).empty());
    D().ticks = 1002;
    box->Update();
    EXPECT_TRUE(box->caretVisible);
    g_installer.keyDown = true;
    D().ticks = 1503;
    box->Update();
    EXPECT_TRUE(box->caretVisible) << "a held key keeps the caret on";
    g_installer.keyDown = false;
    D().ticks = 2004;
    box->Update();
    EXPECT_FALSE(box->caretVisible);
    box->readOnly = 1;
    D().ticks = 3000;
    box->Update();
    EXPECT_FALSE(box->caretVisible) << "a read-only box does not blink";
    box->caretVisible = 1;
    painter.calls.clear();
    box->Draw();
    EXPECT_TRUE(painter.Of(guiEditBox::caretImage.get()).empty()) << "and shows no caret";
    EXPECT_EQ(painter.Text(font), "abc");
}

TEST_F(EditBox, WithoutAFontNothingIsDrawnAndEveryWidthIsZero) {
    box->font = nullptr;
    box->SetText("abc");
    EXPECT_FALSE(box->Draw());
    EXPECT_TRUE(painter.calls.empty());
    Mouse(page, kLeftDown, 102, 60);
    EXPECT_EQ(box->caret, 0);
    Mouse(page, kLeftDown, 103, 60);
    EXPECT_EQ(box->caret, 3);
}
