// Static text, pictures and the scrolling text box, with the double's font (Arial 9: lines of 12
// pixels; a 6, b 7, blank 3, w 8 pixels wide).
#include "unit/ControlsWorld.h"

#include "gui/guiPicture.h"
#include "gui/guiStaticText.h"
#include "gui/guiTextBox.h"

#include <numeric>

class TextViews : public ControlsWorld {
  protected:
    void SetUp() override {
        ControlsWorld::SetUp();
        font.Build("Arial", 9, guiColor::FromBytes(18, 40, 49, 255), false);
        ASSERT_EQ(font.lineHeight, 12);
    }
    // The licence view's geometry.
    guiTextBox* Licence(const std::string& content, bool write = true) {
        if (write) Write("C:\\Media\\license.txt", content);
        auto* box = new guiTextBox;
        box->rect = {20, 108, 501, 201};
        box->SetFont(&font);
        loaded = box->LoadFile("license.txt");
        page.AddChild(box);
        box->Create();
        return box;
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        return std::accumulate(lines.begin(), lines.end(), std::string());
    }
    guiFont font;
    guiDialog page;
    bool loaded = false;
};

TEST_F(TextViews, StaticTextIsLaidOutWhenSet) {
    guiStaticText text;
    text.rect = {10, 20, 100, 30};
    text.font = &font;
    text.SetText("ab");
    // Bottom right by default: 100 - 13 across, 30 - 12 down.
    EXPECT_EQ(text.lines, (std::vector<std::int16_t>{87, 2}));
    EXPECT_EQ(text.verticalOffset, 18);
    text.rect = {0, 0, 300, 300}; // a later change has no effect until the next SetText
    text.Draw();
    auto glyphs = painter.Of(&font.atlas);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].x, 87);
    EXPECT_EQ(glyphs[0].y, 18);
    text.SetText(nullptr);
    EXPECT_EQ(text.text, "");
    EXPECT_TRUE(text.lines.empty());
    EXPECT_EQ(text.verticalOffset, 18) << "no text keeps the offset";
    text.font = nullptr;
    EXPECT_FALSE(text.Draw());
}

TEST_F(TextViews, StaticTextLinesOutsideItsRectAreClipped) {
    guiStaticText text;
    text.rect = {10, 20, 80, 20};
    text.alignment = ALIGN_TOP_LEFT;
    text.font = &font;
    text.SetText("ab ab ab ab ab ab ab");
    EXPECT_TRUE(text.Draw());
    EXPECT_EQ(text.lines.size(), 12u) << "one word a line, the last two together";
    EXPECT_EQ(painter.Text(font), "ab ab ab ab ab ab ab") << "all drawn, the clip keeps what fits";
    auto glyphs = painter.Of(&font.atlas);
    EXPECT_EQ(glyphs.front().y, 20);
    for (const auto& g : glyphs)
        EXPECT_EQ(g.clip, text.rect);
    EXPECT_EQ(painter.clip, RecordingPainter::kWhole);
}

TEST_F(TextViews, PictureIsAWidgetAndAnImage) {
    Skin("logo.tga", 4, 3);
    auto* picture = new guiPicture;
    EXPECT_TRUE(picture->Load("logo.tga", false));
    picture->rect = {30, 40, 1, 1}; // w and h play no part
    EXPECT_TRUE(picture->Create());
    EXPECT_TRUE(picture->Draw());
    ASSERT_EQ(painter.calls.size(), 1u);
    EXPECT_EQ(painter.calls[0].image, static_cast<guiImage*>(picture));
    EXPECT_EQ(painter.calls[0].x, 30);
    EXPECT_EQ(painter.calls[0].opacity, 1.0f);
    guiImage* asImage = picture;
    delete asImage; // the whole object goes, through either base (checked by the leak checker)
}

TEST_F(TextViews, TextBoxTakesEveryPieceOnce) {
    std::string words;
    for (int i = 0; i < 500; ++i)
        words += "ab ";
    std::string content = "Licence\n" + words + "\nlast";
    guiTextBox* box = Licence(content);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Joined(box->lines), content) << "every byte once, in order";
    // The 1500-byte line is read as 1023 bytes and the rest: a line ends where the first piece ends.
    std::size_t at = 0;
    bool boundary = false;
    for (const auto& line : box->lines) {
        at += line.size();
        boundary |= at == 8 + 1023;
        EXPECT_LE(font.TextWidth(line.c_str(), static_cast<int>(line.size())) + 50, 501) << line;
    }
    EXPECT_TRUE(boundary);
    EXPECT_EQ(box->lines.front(), "Licence\n");
    EXPECT_EQ(box->lines.back(), "last");
}

TEST_F(TextViews, LastLineWithOrWithoutALineFeed) {
    EXPECT_EQ(Licence("one\ntwo\n")->lines, (std::vector<std::string>{"one\n", "two\n"}));
    EXPECT_EQ(Licence("one\ntwo")->lines, (std::vector<std::string>{"one\n", "two"}));
}

TEST_F(TextViews, ALicenceOfAnySizeLoadsWhole) {
    std::string content;
    while (content.size() < (3u << 20))
        content += "The settlers of the valley agree to these terms, and to these only.\n";
    guiTextBox* box = Licence(content);
    EXPECT_EQ(box->lines.size(), content.size() / 68) << "each 349-pixel line fits on one";
    EXPECT_EQ(Joined(box->lines), content);
}

TEST_F(TextViews, AnUnbrokenTokenIsCutWithoutNegativeCounts) {
    std::string token(40000, 'w'); // 40000 bytes, 320000 pixels, no line feed
    guiTextBox* box = Licence(token);
    EXPECT_EQ(Joined(box->lines), token);
    std::vector<std::int16_t> entries;
    guiRect wide{0, 0, 1 << 30, 10};
    font.WrapText(wide, 0, token.c_str(), entries); // code 0 keeps the raw widths
    int bytes = 0;
    for (std::size_t i = 0; i < entries.size(); i += 2) {
        EXPECT_GE(entries[i], 0);
        EXPECT_GT(entries[i + 1], 0);
        EXPECT_EQ(entries[i], entries[i + 1] * 8) << "width and bytes describe the same part";
        bytes += entries[i + 1];
    }
    EXPECT_EQ(bytes, 40000);
    EXPECT_EQ(entries.size(), 2u * 10) << "32767 pixels hold 4095 of these characters";
}

TEST_F(TextViews, MissingFileOrNoFont) {
    guiTextBox* box = Licence("", false);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(box->lines.empty());
    Write("C:\\Media\\license.txt", "text\n");
    guiTextBox noFont;
    noFont.rect = {20, 108, 501, 201};
    EXPECT_FALSE(noFont.LoadFile("license.txt"));
    EXPECT_TRUE(noFont.lines.empty());
    noFont.Create();
    EXPECT_FALSE(noFont.Draw()) << "no font: nothing at all, not even the scroll bar";
    EXPECT_TRUE(painter.clips.empty());
}

TEST_F(TextViews, AnEmptyFileDrawsOnlyTheScrollBar) {
    Skin("scroller.tga", 14, 24);
    guiTextBox* box = Licence("");
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(box->lines.empty());
    ASSERT_NE(box->scrollBar, nullptr);
    EXPECT_EQ(box->scrollBar->contentHeight, 1);
    EXPECT_FLOAT_EQ(box->scrollBar->pageSize, 201.0f);
    EXPECT_TRUE(box->Draw());
    EXPECT_TRUE(painter.Of(&font.atlas).empty());
    EXPECT_EQ(painter.clips.size(), 3u) << "the text area, the slider, and back to the whole buffer";
    EXPECT_EQ(painter.clips[1].x, 501);
}

TEST_F(TextViews, ScrollBarSizedForTheText) {
    std::string content;
    for (int i = 0; i < 10; ++i)
        content += "ab\n";
    guiTextBox* box = Licence(content);
    EXPECT_EQ(box->textArea, (guiRect{35, 118, 446, 181}));
    guiScrollbar* bar = box->scrollBar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->rect, (guiRect{501, 108, 22, 169}));
    EXPECT_EQ(bar->contentHeight, 120);
    EXPECT_EQ(bar->viewHeight, 201);
    EXPECT_EQ(bar->lineHeight, 12);
    EXPECT_FLOAT_EQ(bar->pageSize, 201.0f / 120.0f);
    EXPECT_FLOAT_EQ(bar->slider->thumbSize, bar->pageSize);
}

TEST_F(TextViews, ScrollingIsByPixels) {
    std::string content;
    for (int i = 0; i < 32; ++i)
        content += std::string(1, static_cast<char>('A' + i % 26)) + "\n";
    guiTextBox* box = Licence(content);
    box->Draw();
    auto glyphs = painter.Of(&font.atlas);
    ASSERT_FALSE(glyphs.empty());
    EXPECT_EQ(glyphs[0].y, 118) << "position 0: the first line at the top of the area";
    EXPECT_EQ(glyphs[0].x, 35);
    EXPECT_EQ(glyphs[0].clip, box->textArea);
    // 16 lines: 118 + 15 * 12 = 298 is still inside 118 + 181.
    EXPECT_EQ(painter.Text(font), "ABCDEFGHIJKLMNOP");
    box->scrollBar->position = 0.046875f; // 1.5 lines of 32
    painter.calls.clear();
    box->Draw();
    glyphs = painter.Of(&font.atlas);
    EXPECT_EQ(painter.Text(font).substr(0, 2), "BC");
    EXPECT_EQ(glyphs[0].y, 112) << "half of line B above the area, cut by the clip";
    EXPECT_EQ(glyphs[1].y, 124);
}

TEST_F(TextViews, DraggingTheSliderScrollsTheText) {
    std::string content;
    for (int i = 0; i < 100; ++i)
        content += "ab\n";
    guiTextBox* box = Licence(content);
    D().leftButtonHeld = true;
    Mouse(page, kLeftDown, 510, 120);
    EXPECT_FALSE(Mouse(page, kMouseMove, 510, 120 + 169 / 2)) << "the text box answers false";
    EXPECT_NEAR(box->scrollBar->position, 84.0f / 169.0f, 1e-6);
}

TEST_F(TextViews, AShortTextStaysAtTheTopWhateverTheSlider) {
    guiTextBox* box = Licence("ab\nab\n");
    // Two lines in a 201-pixel box: the thumb is longer than the bar, and its drag limit makes the
    // position negative.
    D().leftButtonHeld = true;
    Mouse(page, kLeftDown, 510, 120);
    Mouse(page, kMouseMove, 510, 130);
    ASSERT_LT(box->scrollBar->position, -1.0f);
    EXPECT_TRUE(box->Draw());
    auto glyphs = painter.Of(&font.atlas);
    ASSERT_EQ(glyphs.size(), 4u);
    EXPECT_EQ(glyphs[0].y, 118);
}
