// A painter that records what is drawn, with the clip in force at each call, so that tests of the
// controls can check positions, clips and glyphs exactly.
#pragma once

#include "gui/guiFont.h"
#include "gui/guiPainter.h"

#include <string>
#include <vector>

struct PaintCall {
    guiImage* image;
    int x, y;
    bool part;      // DrawImageRect
    guiRect source; // for DrawImageRect
    float opacity;
    guiRect clip;
};

class RecordingPainter : public guiIPainter {
  public:
    int Init(os::Window) override { return 0; }
    void DrawImageRect(guiImage* image, int x, int y, const guiRect* source, float opacity) override {
        calls.push_back({image, x, y, true, *source, opacity, clip});
    }
    void DrawImage(guiImage* image, int x, int y, float opacity) override {
        calls.push_back({image, x, y, false, {}, opacity, clip});
    }
    void SetClipRect(const guiRect* rect) override {
        clip = rect ? *rect : kWhole;
        clips.push_back(clip);
    }
    int Present() override { return 0; }
    int SetViewport(const guiRect*, int) override { return 0; }

    // The draws of one image, in order.
    std::vector<PaintCall> Of(const guiImage* image) const {
        std::vector<PaintCall> out;
        for (const auto& c : calls)
            if (c.image == image) out.push_back(c);
        return out;
    }
    // The characters drawn with a font, in order, told apart by their glyph rectangles.
    std::string Text(const guiFont& font) const {
        std::string out;
        for (const auto& c : calls) {
            if (c.image != &font.atlas) continue;
            for (int code = 32; code < 256; ++code) {
                const guiGlyph& g = font.Glyph(static_cast<unsigned char>(code));
                if (g.x == c.source.x && g.y == c.source.y && g.w == c.source.w) {
                    out += static_cast<char>(code);
                    break;
                }
            }
        }
        return out;
    }

    static constexpr guiRect kWhole{0, 0, 550, 440};
    std::vector<PaintCall> calls;
    guiRect clip = kWhole;
    std::vector<guiRect> clips; // every clip set, in order
};

inline bool operator==(const guiRect& a, const guiRect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}
inline std::ostream& operator<<(std::ostream& o, const guiRect& r) {
    return o << "(" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")";
}
