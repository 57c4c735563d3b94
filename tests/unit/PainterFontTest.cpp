// The painter against the double's recording screen, and fonts with the double's exact rasterizer.
#include "support/TgaBytes.h"
#include "support/World.h"

#include "gui/guiDialog.h"
#include "gui/guiFont.h"
#include "gui/guiPainter.h"

#include <cstring>

using os::testdouble::DoubleGlyphHeight;
using os::testdouble::DoubleGlyphWidth;
using tgabytes::Solid;

namespace {

// Screen pixel (blue, green, red) of the double at a top-down position.
std::array<int, 3> ScreenAt(int x, int y) {
    const auto& s = os::testdouble::Double().screen;
    std::size_t i = (static_cast<std::size_t>(y) * os::testdouble::Double().screenWidth + x) * 3;
    return {s[i], s[i + 1], s[i + 2]};
}

class CountingDialog : public guiDialog {
  public:
    std::vector<int>* log;
    int id;
    bool Create() override {
        log->push_back(id);
        return true;
    }
};

} // namespace

class Painter : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        g_painter = nullptr;
        g_topLevelDialogs.clear();
        g_currentPage = nullptr;
    }
    void TearDown() override {
        g_painter = nullptr;
        g_topLevelDialogs.clear();
        g_currentPage = nullptr;
        g_painterGDI.logoLeft.Free();
        g_painterGDI.logoMiddle.Free();
        g_painterGDI.logoRight.Free();
        World::TearDown();
    }
    int window = 0;
};

TEST_F(Painter, StartGuiBindsThePainterAndCreatesTheDialogs) {
    std::vector<int> created;
    CountingDialog a, b;
    a.log = b.log = &created;
    a.id = 1;
    b.id = 2;
    AddTopLevelDialog(&a);
    AddTopLevelDialog(&b);
    EXPECT_FALSE(StartGui(&window));
    EXPECT_EQ(g_painter, &g_painterGDI);
    EXPECT_EQ(created, (std::vector<int>{1, 2}));
    EXPECT_EQ(g_painterGDI.viewport.w, 1024) << "the client area until the wizard rectangle is set";
}

TEST_F(Painter, ClipAndOpacity) {
    StartGui(&window);
    guiRect wizard{237, 164, 550, 440};
    g_painter->SetViewport(&wizard);
    g_painter->SetClipRect(nullptr);
    EXPECT_EQ(g_painterGDI.clip.w, 550);
    EXPECT_EQ(g_painterGDI.clip.h, 440);
    EXPECT_EQ(g_painterGDI.backBuffer.stride, 1652) << "rows of 1650 bytes rounded to 1652";
    Write("C:\\Media\\white.tga", Solid(4, 4, "\xFF\xFF\xFF"));
    guiImage white;
    ASSERT_TRUE(white.Load("white.tga", false));
    g_painter->DrawImage(&white, 0, 0, 0.0f);
    EXPECT_EQ(g_painterGDI.backBuffer.PixelAt(0, 439)[0], 0) << "opacity 0 leaves the buffer untouched";
    g_painter->DrawImage(&white, 0, 0, 1.0f);
    EXPECT_EQ(g_painterGDI.backBuffer.PixelAt(0, 439)[0], 255);
}

TEST_F(Painter, PresentCopiesTheBufferAtTheViewportAndPlacesTheLogos) {
    Write("C:\\Media\\MainMedia\\logoL.tga", Solid(40, 20, std::string(3, 1)));
    Write("C:\\Media\\MainMedia\\logoM.tga", Solid(100, 30, std::string(3, 2)));
    Write("C:\\Media\\MainMedia\\logoR.tga", Solid(60, 10, std::string(3, 3)));
    StartGui(&window);
    guiRect wizard{237, 164, 550, 440};
    g_painter->SetViewport(&wizard);
    g_painter->Present();
    EXPECT_EQ(ScreenAt(237, 164), (std::array<int, 3>{0, 0, 0}))
        << "before any drawing the wizard area is black";
    // A known pattern: every pixel's blue is its column, green its row, red 77.
    guiImage& back = g_painterGDI.backBuffer;
    for (int y = 0; y < 440; ++y)
        for (int x = 0; x < 550; ++x) {
            std::uint8_t* p = back.PixelAt(x, 439 - y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 77;
        }
    g_painter->Present();
    for (int y = 0; y < 440; y += 7)
        for (int x = 0; x < 550; x += 5)
            ASSERT_EQ(ScreenAt(237 + x, 164 + y), (std::array<int, 3>{x & 255, y & 255, 77}))
                << x << "," << y;
    EXPECT_EQ(ScreenAt(236, 164)[2], 0) << "nothing beside the viewport";
    EXPECT_EQ(ScreenAt(0, 748), (std::array<int, 3>{1, 1, 1})) << "left logo";
    EXPECT_EQ(ScreenAt(462, 738), (std::array<int, 3>{2, 2, 2})) << "a 100 x 30 middle logo at (462, 738)";
    EXPECT_EQ(ScreenAt(461, 738)[0], 0);
    EXPECT_EQ(ScreenAt(964, 758), (std::array<int, 3>{3, 3, 3})) << "right logo";
    EXPECT_EQ(D().openDCs, 0) << "the device context is released";
    LogoPlace m = MiddleLogoPlace(1024, 768, g_painterGDI.logoMiddle);
    EXPECT_EQ(m.x, 462);
    EXPECT_EQ(m.y, 738);
}

TEST_F(Painter, LogosOfAnyWidthArePresentedRowForRow) {
    // 21-byte rows, not a multiple of 4.
    Write("C:\\Media\\MainMedia\\logoM.tga", Solid(7, 3, std::string(3, 9)));
    StartGui(&window);
    g_painter->Present();
    for (int y = 765; y < 768; ++y)
        for (int x = 508; x < 515; ++x)
            EXPECT_EQ(ScreenAt(x, y)[0], 9) << x << "," << y;
}

class Font : public World {};

TEST_F(Font, PacksGlyphsInCodeOrder) {
    guiFont font;
    g_fontCharset = 204;
    ASSERT_TRUE(font.Build("Arial", 9, guiColor::FromBytes(18, 40, 49, 255), false));
    ASSERT_EQ(D().fonts.size(), 1u);
    EXPECT_EQ(D().fonts[0].face, "Arial");
    EXPECT_EQ(D().fonts[0].charset, 204) << "built in the language's charset";
    int h = DoubleGlyphHeight(9, false);
    EXPECT_EQ(font.lineHeight, h);
    int x = 0, y = 0;
    for (int c = 32; c <= 255; ++c) {
        int w = DoubleGlyphWidth(static_cast<unsigned char>(c));
        if (x + w + 1 > 256) {
            x = 0;
            y += h + 1;
        }
        const guiGlyph& g = font.Glyph(static_cast<unsigned char>(c));
        ASSERT_EQ(g.x, x) << c;
        ASSERT_EQ(g.y, 256 - h - y) << c;
        ASSERT_EQ(g.w, w) << c;
        ASSERT_EQ(g.h, h) << c;
        ASSERT_LE(g.x + g.w, 256);
        ASSERT_GE(g.y, 0);
        x += w + 1;
    }
}

TEST_F(Font, ThresholdKeepsHardOneColourPixels) {
    guiFont font;
    ASSERT_TRUE(font.Build("Times New Roman", 10, guiColor::FromBytes(255, 237, 215, 255), true));
    const guiGlyph& a = font.Glyph('A');
    // Column 1 of the cell is the stroke; the top-right pixel is the faint edge.
    int top = a.y + a.h - 1;
    std::uint8_t* stroke = font.atlas.PixelAt(a.x + 1, top);
    EXPECT_EQ(stroke[0], 215);
    EXPECT_EQ(stroke[1], 237);
    EXPECT_EQ(stroke[2], 255);
    EXPECT_EQ(stroke[3], 255);
    EXPECT_EQ(font.atlas.PixelAt(a.x + a.w - 1, top)[3], 0) << "the faint edge is dropped";
    EXPECT_EQ(font.atlas.PixelAt(a.x, top)[3], 0) << "the cell's background is transparent";
    const guiGlyph& space = font.Glyph(' ');
    for (int row = space.y; row < space.y + space.h; ++row)
        for (int col = space.x; col < space.x + space.w; ++col)
            ASSERT_EQ(font.atlas.PixelAt(col, row)[3], 0);
}

TEST_F(Font, AFontThatCannotBeMadeMeasuresZero) {
    D().fontFails = true;
    guiFont font;
    EXPECT_FALSE(font.Build("Nothing", 9, guiColor::FromBytes(18, 40, 49, 255), false));
    EXPECT_EQ(font.TextWidth("abc", 3), 0);
    font.spacing = 2;
    EXPECT_EQ(font.TextWidth("abc", 3), 6) << "plus spacing per byte";
}

TEST_F(Font, TextWidthAndDrawText) {
    guiFont font;
    ASSERT_TRUE(font.Build("Arial", 8, guiColor::FromBytes(18, 40, 49, 255), false));
    EXPECT_EQ(font.TextWidth(" a", 2), 3 + DoubleGlyphWidth('a'));
    EXPECT_EQ(font.TextWidth("a\n\rb", 4), DoubleGlyphWidth('a') + DoubleGlyphWidth('b'))
        << "bytes below 32 add nothing";
    EXPECT_EQ(font.TextWidth("\xB6", 1), DoubleGlyphWidth(0xB6)) << "182 is measured with its own glyph";

    int window = 0;
    StartGui(&window);
    guiRect area{0, 0, 100, 30};
    g_painter->SetViewport(&area);
    g_painter->SetClipRect(nullptr);
    font.DrawText(10, 5, "x\ny");
    // The stroke of each glyph is its column 1: x at 11, y right after x's advance.
    auto alphaAt = [&](int px, int py) { return g_painterGDI.backBuffer.PixelAt(px, 29 - py)[0]; };
    // The glyph colour at alpha 255 over black: (49 * 255) >> 8.
    EXPECT_EQ(alphaAt(11, 5), 48) << "x drawn";
    EXPECT_EQ(alphaAt(10 + DoubleGlyphWidth('x') + 1, 5), 48) << "y right after x: no gap for the line feed";
    g_painterGDI.backBuffer.Clear();
    font.DrawText(0, 5, "\xB6");
    for (int px = 0; px < 12; ++px)
        EXPECT_EQ(alphaAt(px, 6), 0) << "182 is drawn as a blank";
    g_painter = nullptr;
}

TEST_F(Font, WrapTextBreaksBeforeTheTokenThatDoesNotFit) {
    guiFont font;
    for (auto& g : font.glyphs)
        g.w = 6;
    font.glyphs['w' - 32].w = font.glyphs['x' - 32].w = 7;
    font.glyphs['y' - 32].w = font.glyphs['z' - 32].w = 8;
    font.lineHeight = 14;
    std::vector<std::int16_t> lines;
    // "abcd " measures 30, "wxyz" 30: 30 + 0 + 50 < 100 and 30 + 30 + 50 >= 100.
    EXPECT_EQ(font.WrapText(guiRect{0, 0, 100, 100}, 99, "abcd wxyz", lines), 0);
    EXPECT_EQ(lines, (std::vector<std::int16_t>{30, 5, 30, 4})) << "raw widths with an unknown alignment";
    lines.clear();
    font.WrapText(guiRect{0, 0, 100, 100}, ALIGN_TOP_LEFT, "abcd wxyz", lines);
    EXPECT_EQ(lines, (std::vector<std::int16_t>{0, 5, 0, 4}));
    lines.clear();
    EXPECT_EQ(font.WrapText(guiRect{0, 0, 100, 100}, ALIGN_BOTTOM_RIGHT, "abcd wxyz", lines), 100 - 28);
    EXPECT_EQ(lines, (std::vector<std::int16_t>{70, 5, 70, 4}));
    lines.clear();
    font.WrapText(guiRect{0, 0, 100, 30}, ALIGN_CENTER, "abcd wxyz", lines);
    EXPECT_EQ(lines[0], 35);
}

TEST_F(Font, WrapTextEdgeCases) {
    guiFont font;
    for (auto& g : font.glyphs)
        g.w = 6;
    font.lineHeight = 14;
    std::vector<std::int16_t> lines;
    font.WrapText(guiRect{0, 0, 60, 100}, ALIGN_TOP_LEFT, "longword", lines);
    EXPECT_EQ(lines, (std::vector<std::int16_t>{0, 0, 0, 8})) << "an empty line before an overlong word";
    lines.clear();
    EXPECT_EQ(font.WrapText(guiRect{0, 0, 60, 100}, ALIGN_BOTTOM_RIGHT, "", lines), 100);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(font.WrapText(guiRect{0, 0, 60, 101}, ALIGN_CENTER, "", lines), 50);
    EXPECT_EQ(font.WrapText(guiRect{0, 0, 60, 30}, ALIGN_CENTER, "aaaaa bbbbb ccccc", lines), 0)
        << "lines of 14 in a box of 30: the negative offset is clamped";
    EXPECT_EQ(lines.size(), 8u) << "an empty first line, then one line per word";
    lines.clear();
    font.WrapText(guiRect{0, 0, 1000, 100}, ALIGN_TOP_LEFT, "one\ntwo, three", lines);
    EXPECT_EQ(lines, (std::vector<std::int16_t>{0, 14})) << "a line feed does not start a line by itself";
}
