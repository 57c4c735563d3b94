// The test double's presentation and fonts: a recording screen and a deterministic rasterizer.
#include "platform/double/DoubleInternal.h"

#include <cstring>
#include <vector>

namespace os {
using namespace testdouble;

Rect ClientRect(Window) {
    return Double().clientRect;
}

// The window's client area starts where it was placed (a popup has no frame).
void ScreenToClientPoint(Window, int* x, int* y) {
    if (Double().windows.empty()) return;
    *x -= Double().windows.back().place.left;
    *y -= Double().windows.back().place.top;
}

Handle WindowDC(Window) {
    ++Double().openDCs;
    return 1;
}

void ReleaseWindowDC(Window, Handle) {
    --Double().openDCs;
}

void ScreenSize(Handle, int* width, int* height) {
    *width = Double().screenWidth;
    *height = Double().screenHeight;
}

int DisplayDpi(Window) {
    return Double().displayDpi;
}

void DeclareDpiAware() {}

void StretchBits(Handle, int dx, int dy, int dw, int dh, int, int, int sw, int sh, const void* bits,
                 const BitmapInfo& info) {
    // As Windows reads a DIB: rows rounded up to 4 bytes, bottom-up for a positive height.
    State& d = Double();
    if (!bits || info.bitCount != 24 || info.width <= 0 || info.height <= 0) return;
    int rowBytes = ((info.width * 24 + 31) / 32) * 4;
    const auto* src = static_cast<const std::uint8_t*>(bits);
    if (dw == sw && dh == sh && dx >= 0 && dx + dw <= d.screenWidth) {
        // 1:1, as the painter presents: a row at a time.
        for (int row = 0; row < dh; ++row) {
            int y = dy + row;
            if (y < 0 || y >= d.screenHeight || row >= info.height) continue;
            std::memcpy(&d.screen[(static_cast<std::size_t>(y) * d.screenWidth + dx) * 3],
                        src + static_cast<std::size_t>(info.height - 1 - row) * rowBytes,
                        static_cast<std::size_t>(dw) * 3);
        }
        return;
    }
    for (int row = 0; row < dh; ++row) {
        int y = dy + row;
        if (y < 0 || y >= d.screenHeight) continue;
        int srcRow = info.height - 1 - (row * sh / dh);
        for (int col = 0; col < dw; ++col) {
            int x = dx + col;
            if (x < 0 || x >= d.screenWidth) continue;
            const std::uint8_t* p = src + srcRow * rowBytes + (col * sw / dw) * 3;
            std::memcpy(&d.screen[(static_cast<std::size_t>(y) * d.screenWidth + x) * 3], p, 3);
        }
    }
}


} // namespace os

namespace os::testdouble {
int DoubleGlyphWidth(unsigned char c) {
    return c == ' ' ? 3 : 4 + c % 5;
}
int DoubleGlyphHeight(int pointSize, bool bold) {
    return pointSize + 3 + (bold ? 1 : 0);
}
} // namespace os::testdouble

namespace os {

namespace {
struct DoubleCanvas {
    int pointSize;
    bool bold;
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(256 * 256 * 4, 0);
};
} // namespace

Handle FontCanvasCreate(const char* face, int pointSize, bool bold, int charset) {
    Double().fonts.push_back({face, pointSize, bold, charset});
    if (Double().fontFails) return 0;
    return reinterpret_cast<Handle>(new DoubleCanvas{pointSize, bold});
}

bool FontCanvasMeasure(Handle canvas, unsigned char c, int* cx, int* cy) {
    auto* dc = reinterpret_cast<DoubleCanvas*>(canvas);
    *cx = DoubleGlyphWidth(c);
    *cy = DoubleGlyphHeight(dc->pointSize, dc->bold);
    return true;
}

void FontCanvasDraw(Handle canvas, unsigned char c, int x, int y) {
    auto* dc = reinterpret_cast<DoubleCanvas*>(canvas);
    int w = DoubleGlyphWidth(c), h = DoubleGlyphHeight(dc->pointSize, dc->bold);
    auto put = [&](int px, int py, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        if (px < 0 || py < 0 || px >= 256 || py >= 256) return;
        std::uint8_t* p = &dc->pixels[(static_cast<std::size_t>(py) * 256 + px) * 4];
        p[0] = b;
        p[1] = g;
        p[2] = r;
        p[3] = 0;
    };
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            put(x + col, y + row, 0, 0, 0); // the opaque cell
    if (c == ' ') return;
    for (int row = 0; row < h; ++row)
        put(x + 1, y + row, 49, 40, 18);
    put(x + w - 1, y, 10, 8, 4);
}

const std::uint8_t* FontCanvasPixels(Handle canvas) {
    return reinterpret_cast<DoubleCanvas*>(canvas)->pixels.data();
}

void FontCanvasDestroy(Handle canvas) {
    delete reinterpret_cast<DoubleCanvas*>(canvas);
}

} // namespace os
