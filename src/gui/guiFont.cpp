#include "gui/guiFont.h"

#include "gui/guiPainter.h"
#include "platform/Os.h"
#include "shell/Language.h"

#include <cstring>

bool guiFont::Build(const char* face, int pointSize, const guiColor& colour, bool bold) {
    atlas.Allocate(256, 256, PF_BGRA32, false);
    atlas.Clear();
    os::Handle canvas = os::FontCanvasCreate(face, pointSize, bold, g_fontCharset);
    if (!canvas) return false;

    int x = 0, y = 0, cy = 0;
    for (int c = 32; c <= 255; ++c) {
        int cx = 0;
        os::FontCanvasMeasure(canvas, static_cast<unsigned char>(c), &cx, &cy);
        if (x + cx + 1 > 256) {
            x = 0;
            y += cy + 1;
        }
        os::FontCanvasDraw(canvas, static_cast<unsigned char>(c), x, y);
        glyphs[c - 32] = {x, 256 - cy - y, cx, cy};
        x += cx + 1;
    }
    lineHeight = cy;

    std::uint8_t value[4] = {
        static_cast<std::uint8_t>(static_cast<int>(colour.b * 256) % 256),
        static_cast<std::uint8_t>(static_cast<int>(colour.g * 256) % 256),
        static_cast<std::uint8_t>(static_cast<int>(colour.r * 256) % 256),
        static_cast<std::uint8_t>(static_cast<int>(colour.a * 256) % 256),
    };
    // The text was drawn in RGB(18, 40, 49) on black: a blue of 16 or more keeps a pixel, so the
    // glyphs keep hard edges and one colour.
    const std::uint8_t* dib = os::FontCanvasPixels(canvas);
    for (int t = 0; t < 256; ++t) {
        const std::uint8_t* src = dib + t * 1024;
        std::uint8_t* dst = atlas.PixelAt(0, 255 - t);
        static const std::uint8_t transparent[4] = {0, 0, 0, 0};
        for (int i = 0; i < 256; ++i)
            std::memcpy(dst + i * 4, src[i * 4] >= 16 ? value : transparent, 4);
    }
    os::FontCanvasDestroy(canvas);
    return true;
}

int guiFont::TextWidth(const char* text, int length) const {
    int w = 0;
    for (int i = 0; i < length && text[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 32) w += Glyph(c).w + spacing;
    }
    return w;
}

void guiFont::DrawText(int x, int y, const char* text) {
    if (!g_painter || !text) return;
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32) continue;
        const guiGlyph& g = Glyph(c == 182 ? 32 : c); // the pilcrow is drawn as a blank
        guiRect source{g.x, g.y, g.w, g.h};
        g_painter->DrawImageRect(&atlas, x, y, &source, 1.0f);
        x += g.w + spacing;
    }
}

int guiFont::WrapText(const guiRect& box, int align, const char* text,
                      std::vector<std::int16_t>& lines) const {
    static const char kBreaks[] = " \t\n\r,.!?-:;";
    std::size_t first = lines.size();
    std::size_t n = text ? std::strlen(text) : 0;
    int count = 0;
    if (n > 0) {
        int w = 0, c = 0;
        std::size_t at = 0;
        while (at < n) {
            std::size_t word = std::strcspn(text + at, kBreaks);
            std::size_t seps = std::strspn(text + at + word, kBreaks);
            std::size_t len = word + seps;
            int t = TextWidth(text + at, static_cast<int>(len));
            if (t + w + 50 >= box.w) {
                lines.push_back(static_cast<std::int16_t>(w));
                lines.push_back(static_cast<std::int16_t>(c));
                w = 0;
                c = 0;
            }
            // An entry holds at most 32767 bytes and pixels: a token too long for that is cut, and
            // each full part closes its own line.
            while (c + static_cast<long long>(len) > kMaxLineEntry || w + t > kMaxLineEntry) {
                std::size_t k = 0;
                int kw = 0;
                while (k < len) {
                    int gw = TextWidth(text + at + k, 1);
                    if (c + static_cast<long long>(k) + 1 > kMaxLineEntry || w + kw + gw > kMaxLineEntry)
                        break;
                    kw += gw;
                    ++k;
                }
                if (k == 0 && c == 0) kw = TextWidth(text + at, 1), k = 1; // always move on
                lines.push_back(static_cast<std::int16_t>(w + kw));
                lines.push_back(static_cast<std::int16_t>(c + static_cast<int>(k)));
                w = 0;
                c = 0;
                at += k;
                len -= k;
                t -= kw;
            }
            w += t;
            c += static_cast<int>(len);
            at += len;
        }
        lines.push_back(static_cast<std::int16_t>(w));
        lines.push_back(static_cast<std::int16_t>(c));
    }
    count = static_cast<int>((lines.size() - first) / 2);
    for (std::size_t i = first; i < lines.size(); i += 2) {
        std::int16_t lineWidth = lines[i];
        if (align == ALIGN_TOP_LEFT)
            lines[i] = 0;
        else if (align == ALIGN_BOTTOM_RIGHT)
            lines[i] = static_cast<std::int16_t>(box.w - lineWidth);
        else if (align == ALIGN_CENTER)
            lines[i] = static_cast<std::int16_t>(static_cast<int>((box.w - lineWidth) * 0.5));
    }
    if (align == ALIGN_BOTTOM_RIGHT) return box.h - count * lineHeight;
    if (align == ALIGN_CENTER) {
        int offset = static_cast<int>((box.h - count * lineHeight) * 0.5);
        return offset < 0 ? 0 : offset;
    }
    return 0;
}
