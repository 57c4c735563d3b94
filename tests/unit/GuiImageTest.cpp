#include "support/TgaBytes.h"
#include "support/World.h"

#include "gui/guiImage.h"

#include <cstring>

using tgabytes::Tga;

namespace {

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v)
        s += static_cast<char>(b);
    return s;
}

// A 24-bit image filled with one colour.
void Fill24(guiImage& img, int w, int h, int b, int g, int r) {
    ASSERT_TRUE(img.Allocate(w, h, PF_BGR24, true));
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = img.PixelAt(x, row);
            p[0] = static_cast<std::uint8_t>(b);
            p[1] = static_cast<std::uint8_t>(g);
            p[2] = static_cast<std::uint8_t>(r);
        }
}

// Blue channel of a pixel at a top-down position.
int BlueAt(const guiImage& img, int x, int y) {
    return img.PixelAt(x, img.height - 1 - y)[0];
}

const guiRect kWide{0, 0, 10000, 10000};

} // namespace

class GuiImage : public World {
  protected:
    bool LoadBytes(guiImage& img, const std::string& bytes) {
        Write("C:\\Temp\\t.tga", bytes);
        return img.LoadTGA("C:\\Temp\\t.tga");
    }
};

TEST_F(GuiImage, LoadsTheTgaSubset) {
    guiImage img;
    ASSERT_TRUE(LoadBytes(img, Tga(3, 2, 24, std::string(18, '\x07'))));
    EXPECT_EQ(img.width, 3);
    EXPECT_EQ(img.height, 2);
    EXPECT_EQ(img.stride, 9) << "rows are not rounded up";
    EXPECT_EQ(img.format, PF_BGR24);
    guiImage aligned;
    ASSERT_TRUE(aligned.Allocate(3, 2, PF_BGR24, true));
    EXPECT_EQ(aligned.stride, 12);

    guiImage rgba;
    ASSERT_TRUE(LoadBytes(rgba, Tga(2, 1, 32, Bytes({1, 2, 3, 4, 5, 6, 7, 8}), 3)));
    EXPECT_EQ(rgba.format, PF_BGRA32);
    EXPECT_EQ(rgba.stride, 8);
    EXPECT_EQ(rgba.PixelAt(1, 0)[3], 8) << "alpha kept; type 3 read like type 2";
}

TEST_F(GuiImage, RefusesOtherTypesAndDepths) {
    for (const std::string& bad :
         {Tga(2, 2, 24, std::string(12, 'x'), 10), Tga(2, 2, 24, std::string(12, 'x'), 2, 1),
          Tga(2, 2, 16, std::string(8, 'x')), Tga(2, 2, 8, std::string(4, 'x')), std::string("TGA"),
          std::string()}) {
        guiImage img;
        EXPECT_FALSE(LoadBytes(img, bad));
        EXPECT_EQ(img.pixels, nullptr) << "a new image stays empty";
        EXPECT_EQ(img.width, 0);
    }
    guiImage missing;
    EXPECT_FALSE(missing.LoadTGA("C:\\Temp\\none.tga"));
}

TEST_F(GuiImage, AnImageIdIsNotSkipped) {
    guiImage img;
    ASSERT_TRUE(LoadBytes(img, Tga(1, 1, 24, Bytes({9, 8, 7, 1, 2, 3}), 2, 0, 3)));
    EXPECT_EQ(img.PixelAt(0, 0)[0], 9) << "the first pixel comes from the ID bytes";
}

TEST_F(GuiImage, TruncatedAndHostileFiles) {
    guiImage img;
    ASSERT_TRUE(LoadBytes(img, Tga(4, 4, 32, std::string(10, '\xFF'))));
    EXPECT_EQ(img.PixelAt(0, 0)[0], 0xFF);
    EXPECT_EQ(img.PixelAt(3, 3)[3], 0) << "pixels the file does not hold are zeroed";
    guiImage huge;
    EXPECT_FALSE(LoadBytes(huge, Tga(65535, 65535, 32, "x"))) << "too large to hold";
    EXPECT_FALSE(LoadBytes(huge, Tga(20000, 2, 32, "x"))) << "rows beyond the 16-bit stride";
    EXPECT_EQ(huge.pixels, nullptr);
    EXPECT_TRUE(LoadBytes(huge, Tga(0, 0, 24, ""))) << "an empty image is no error";
}

TEST_F(GuiImage, LoadRemembersTheNameAndRetries) {
    guiImage img;
    EXPECT_FALSE(img.Load("late.tga", false));
    EXPECT_EQ(img.name, "late.tga");
    Write("C:\\Media\\late.tga", Tga(1, 1, 24, Bytes({1, 2, 3})));
    D().currentDir = "C:\\";
    img.EnsureLoaded();
    ASSERT_NE(img.pixels, nullptr) << "drawing retries the load";
}

TEST_F(GuiImage, Blend24) {
    guiImage dst, src;
    Fill24(dst, 1, 1, 100, 0, 255);
    Fill24(src, 1, 1, 51, 255, 0);
    ASSERT_TRUE(dst.Blit(src, 0, 0, 0.5f, kWide));
    EXPECT_EQ(dst.PixelAt(0, 0)[0], (51 + 100) / 2) << "the floor of the mean";
    EXPECT_EQ(dst.PixelAt(0, 0)[1], 127);
    EXPECT_EQ(dst.PixelAt(0, 0)[2], 127);
    Fill24(dst, 1, 1, 200, 200, 200);
    dst.Blit(src, 0, 0, 0.001f, kWide);
    EXPECT_EQ(dst.PixelAt(0, 0)[0], 200 * 255 >> 8) << "factor 0 for the source at 0.001";
    dst.Blit(src, 0, 0, 1.0f, kWide);
    EXPECT_EQ(dst.PixelAt(0, 0)[0], 51) << "opacity 1 copies exactly";
    EXPECT_EQ(dst.PixelAt(0, 0)[1], 255);
}

TEST_F(GuiImage, Blend32Over24) {
    guiImage dst, src;
    Fill24(dst, 2, 1, 0, 0, 0);
    ASSERT_TRUE(src.Allocate(2, 1, PF_BGRA32, false));
    std::uint8_t px[8] = {255, 255, 255, 255, 255, 255, 255, 0};
    std::memcpy(src.pixels, px, 8);
    ASSERT_TRUE(dst.Blit(src, 0, 0, 1.0f, kWide));
    EXPECT_EQ(dst.PixelAt(0, 0)[0], 254) << "white over black at alpha 255";
    EXPECT_EQ(dst.PixelAt(1, 0)[0], 0) << "alpha 0 leaves the destination";
    Fill24(dst, 2, 1, 90, 90, 90);
    dst.Blit(src, 0, 0, 0.5f, kWide);
    EXPECT_EQ(dst.PixelAt(0, 0)[0], (255 * 127 + 90 * 129) >> 8) << "a = (255 * 128) >> 8";
    EXPECT_EQ(dst.PixelAt(1, 0)[0], 90);
}

// Every width from 1 to 21 (the blends work in groups of pixels and finish a row one by one), every
// alpha, and opacities from nearly 0 to 1: each pixel is the 8.8 formula exactly, and nothing outside
// the drawn area changes, not even the byte right after a row.
TEST_F(GuiImage, BlendsMatchTheFormulaAtEveryWidth) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(seed >> 16);
    };
    for (float opacity : {1.0f, 0.999f, 0.75f, 0.5f, 0.25f, 0.001f}) {
        int k = static_cast<int>(opacity * 256.0f);
        int a24 = k, b24 = static_cast<int>((1.0f - opacity) * 256.0f);
        for (int w = 1; w <= 21; ++w) {
            for (int format : {static_cast<int>(PF_BGRA32), static_cast<int>(PF_BGR24)}) {
                guiImage src, dst, before;
                ASSERT_TRUE(src.Allocate(w, 3, format, false));
                ASSERT_TRUE(dst.Allocate(w + 2, 5, PF_BGR24, false)); // rows packed: a slip shows
                for (std::size_t i = 0; i < std::size_t(src.stride) * src.height; ++i)
                    src.pixels[i] = next();
                if (format == static_cast<int>(PF_BGRA32))
                    for (int i = 0; i < w * 3; i += 3) // every kind of alpha, runs of transparency too
                        src.pixels[i * 4 / 3 + 3] = i % 7 == 0 ? 0 : i % 5 == 0 ? 255 : next();
                for (std::size_t i = 0; i < std::size_t(dst.stride) * dst.height; ++i)
                    dst.pixels[i] = next();
                before.Allocate(w + 2, 5, PF_BGR24, false);
                std::memcpy(before.pixels, dst.pixels, std::size_t(dst.stride) * dst.height);
                ASSERT_TRUE(dst.Blit(src, 1, 1, opacity, kWide));
                for (int row = 0; row < 5; ++row)
                    for (int x = 0; x < w + 2; ++x)
                        for (int c = 0; c < 3; ++c) {
                            int old = before.PixelAt(x, row)[c], want = old;
                            // Top-down row 1..3 is memory row 3..1; the source's memory row matches.
                            if (x >= 1 && x <= w && row >= 1 && row <= 3) {
                                const std::uint8_t* sp = src.PixelAt(x - 1, row - 1);
                                if (format == static_cast<int>(PF_BGR24)) {
                                    want = (sp[c] * a24 + old * b24) >> 8;
                                } else {
                                    int alpha = (sp[3] * k) >> 8;
                                    want = std::min(255, (sp[c] * alpha + old * (256 - alpha)) >> 8);
                                }
                            }
                            ASSERT_EQ(dst.PixelAt(x, row)[c], want)
                                << "opacity " << opacity << " width " << w << " format " << format << " at "
                                << x << "," << row << " channel " << c;
                        }
            }
        }
    }
}

TEST_F(GuiImage, NoBlendForOtherFormats) {
    guiImage dst, src;
    ASSERT_TRUE(dst.Allocate(2, 2, PF_BGRA32, false));
    Fill24(src, 2, 2, 1, 1, 1);
    EXPECT_FALSE(dst.Blit(src, 0, 0, 1.0f, kWide));
    guiImage empty;
    Fill24(dst, 2, 2, 5, 5, 5);
    dst.Blit(empty, 0, 0, 1.0f, kWide);
    EXPECT_EQ(BlueAt(dst, 0, 0), 5) << "an empty source draws nothing";
}

TEST_F(GuiImage, ClippingOnBothSidesAtOnce) {
    guiImage dst, src;
    Fill24(dst, 10, 1, 0, 0, 0);
    Fill24(src, 10, 1, 0, 0, 0);
    for (int x = 0; x < 10; ++x)
        src.PixelAt(x, 0)[0] = static_cast<std::uint8_t>(10 + x);
    guiRect clip{3, 0, 4, 1};
    ASSERT_TRUE(dst.Blit(src, -1, 0, 1.0f, clip));
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(BlueAt(dst, x, 0), x >= 3 && x < 7 ? 10 + x + 1 : 0) << x;
}

TEST_F(GuiImage, BlitRectCutAtTopAndBottom) {
    guiImage src, dst;
    Fill24(src, 1, 6, 0, 0, 0);
    for (int row = 0; row < 6; ++row)
        src.PixelAt(0, row)[0] = static_cast<std::uint8_t>(100 + row); // memory rows
    guiRect part{0, 1, 1, 4}; // memory rows 1..4; drawn top-down as 4, 3, 2, 1
    Fill24(dst, 1, 10, 0, 0, 0);
    dst.BlitRect(src, 0, 2, part, 1.0f, guiRect{0, 3, 1, 10});
    EXPECT_EQ(BlueAt(dst, 0, 2), 0) << "cut at the top: the highest memory row is skipped";
    EXPECT_EQ(BlueAt(dst, 0, 3), 103);
    EXPECT_EQ(BlueAt(dst, 0, 5), 101);
    Fill24(dst, 1, 10, 0, 0, 0);
    dst.BlitRect(src, 0, 2, part, 1.0f, guiRect{0, 0, 1, 4});
    EXPECT_EQ(BlueAt(dst, 0, 2), 104);
    EXPECT_EQ(BlueAt(dst, 0, 3), 103);
    EXPECT_EQ(BlueAt(dst, 0, 4), 0) << "cut at the bottom: the lowest memory rows are skipped";
}

TEST_F(GuiImage, FullyOutsideDrawsNothing) {
    guiImage src, dst;
    Fill24(src, 4, 4, 9, 9, 9);
    Fill24(dst, 8, 8, 0, 0, 0);
    guiRect clip{0, 0, 4, 4};
    EXPECT_TRUE(dst.Blit(src, 4, 0, 1.0f, clip)) << "right of the clip";
    EXPECT_TRUE(dst.Blit(src, 0, 4, 1.0f, clip));
    EXPECT_TRUE(dst.Blit(src, -4, -4, 1.0f, clip));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(BlueAt(dst, x, y), 0);
    dst.Blit(src, 6, 6, 1.0f, kWide);
    EXPECT_EQ(BlueAt(dst, 7, 7), 9) << "the destination's own edges clip too";
    guiRect beyond{2, 0, 10, 2};
    dst.BlitRect(src, 0, 0, beyond, 1.0f, kWide);
    EXPECT_EQ(BlueAt(dst, 1, 1), 9) << "a source rectangle beyond the image is kept inside it";
}
