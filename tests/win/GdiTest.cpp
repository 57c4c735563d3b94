// Fonts built through GDI and the painter's presentation, on the real system.
#include "gui/guiFont.h"
#include "gui/guiPainter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

TEST(GdiFonts, EveryFaceAndSizeInUsePacksInsideTheAtlas) {
    struct Use {
        const char* face;
        int size;
        bool bold;
        guiColor colour;
    } uses[] = {{"Arial", 8, false, guiColor::FromBytes(18, 40, 49, 255)},
                {"Arial", 9, false, guiColor::FromBytes(18, 40, 49, 255)},
                {"MS Sans Serif", 7, false, guiColor::FromBytes(18, 40, 49, 255)},
                {"Times New Roman", 10, false, guiColor::FromBytes(18, 40, 49, 255)},
                {"Times New Roman", 10, true, guiColor::FromBytes(255, 237, 215, 255)}};
    for (const Use& u : uses) {
        guiFont font;
        ASSERT_TRUE(font.Build(u.face, u.size, u.colour, u.bold)) << u.face;
        EXPECT_GT(font.lineHeight, 0) << u.face;
        int glyphs = 0, drawn = 0;
        for (int c = 32; c <= 255; ++c) {
            const guiGlyph& g = font.Glyph(static_cast<unsigned char>(c));
            EXPECT_GE(g.x, 0);
            EXPECT_LE(g.x + g.w, 256) << u.face << " " << c;
            EXPECT_GE(g.y, 0) << u.face << " " << c;
            EXPECT_LE(g.y + g.h, 256);
            EXPECT_EQ(g.h, font.lineHeight);
            ++glyphs;
        }
        EXPECT_EQ(glyphs, 224);
        // Hard edges, one colour: every pixel is transparent black or exactly the font's colour.
        std::uint8_t value[4] = {
            static_cast<std::uint8_t>(u.colour.b * 256), static_cast<std::uint8_t>(u.colour.g * 256),
            static_cast<std::uint8_t>(u.colour.r * 256), static_cast<std::uint8_t>(u.colour.a * 256)};
        for (int row = 0; row < 256; ++row)
            for (int x = 0; x < 256; ++x) {
                const std::uint8_t* p = font.atlas.PixelAt(x, row);
                bool transparent = std::memcmp(p, "\0\0\0\0", 4) == 0,
                     coloured = std::memcmp(p, value, 4) == 0;
                ASSERT_TRUE(transparent || coloured) << u.face << " at " << x << "," << row;
                drawn += coloured;
            }
        EXPECT_GT(drawn, 500) << u.face << ": the glyphs are there";
        const guiGlyph& m = font.Glyph('M');
        int inM = 0;
        for (int row = m.y; row < m.y + m.h; ++row)
            for (int x = m.x; x < m.x + m.w; ++x)
                inM += font.atlas.PixelAt(x, row)[3] != 0;
        EXPECT_GT(inM, 5) << u.face << ": M has pixels in its own cell";
    }
}

TEST(GdiPresent, TheBackBufferLandsOneToOneAtTheViewport) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "bvPresentTest";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "bvPresentTest", "present", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768,
                                nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
    StartGui(hwnd);
    guiRect wizard{237, 164, 550, 440};
    g_painter->SetViewport(&wizard);
    guiImage& back = g_painterGDI.backBuffer;
    for (int y = 0; y < 440; ++y)
        for (int x = 0; x < 550; ++x) {
            std::uint8_t* p = back.PixelAt(x, 439 - y);
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 3);
            p[2] = static_cast<std::uint8_t>((x + y) & 0xF0);
        }
    g_painter->Present();

    // Read the window back into a top-down 32-bit DIB and compare every pixel.
    HDC windowDC = GetWindowDC(hwnd);
    HDC memDC = CreateCompatibleDC(windowDC);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 1024;
    bi.bmiHeader.biHeight = -768;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(windowDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memDC, dib);
    BitBlt(memDC, 0, 0, 1024, 768, windowDC, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* shot = static_cast<const std::uint8_t*>(bits);
    int wrong = 0;
    for (int y = 0; y < 440; ++y)
        for (int x = 0; x < 550; ++x) {
            const std::uint8_t* s = shot + ((164 + y) * 1024 + 237 + x) * 4;
            const std::uint8_t* p = back.PixelAt(x, 439 - y);
            wrong += s[0] != p[0] || s[1] != p[1] || s[2] != p[2];
        }
    EXPECT_EQ(wrong, 0) << "pixels that differ from the back buffer";
    SelectObject(memDC, old);
    DeleteObject(dib);
    DeleteDC(memDC);
    ReleaseDC(hwnd, windowDC);
    DestroyWindow(hwnd);
    g_painter = nullptr;
}
