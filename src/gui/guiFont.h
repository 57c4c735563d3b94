// Bitmap fonts: a GDI font rendered once into a 256 x 256 glyph atlas of one colour with hard edges,
// then measured by table and drawn glyph by glyph through the painter.
#pragma once

#include "gui/guiColor.h"
#include "gui/guiImage.h"
#include "gui/guiRect.h"

#include <cstdint>
#include <vector>

constexpr int ALIGN_TOP_LEFT = 1;
constexpr int ALIGN_BOTTOM_RIGHT = 6;
constexpr int ALIGN_CENTER = 7;

// Line entries are signed 16-bit: the most bytes, and pixels, one wrapped line holds.
constexpr int kMaxLineEntry = 32767;

struct guiGlyph {
    int x = 0; // left column in the atlas
    int y = 0; // memory row of the glyph's lowest row
    int w = 0; // advance width
    int h = 0; // cell height
};

class guiFont {
  public:
    bool Build(const char* face, int pointSize, const guiColor& colour, bool bold);
    int TextWidth(const char* text, int length) const;
    void DrawText(int x, int y, const char* text);
    // Appends (x offset, byte count) per line to lines; returns the block's vertical offset.
    int WrapText(const guiRect& box, int align, const char* text, std::vector<std::int16_t>& lines) const;
    const guiGlyph& Glyph(unsigned char c) const { return glyphs[c < 32 ? 0 : c - 32]; }

    guiImage atlas;
    int lineHeight = 0;
    guiGlyph glyphs[256];
    int spacing = 0;
};
