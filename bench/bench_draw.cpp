// Frame rate of DrawAll for a typical page: a 550 x 440 24-bit background, an 80-row 32-bit label
// picture and 60 glyphs of text, side by side with a plain memcpy of the same number of bytes (the
// images' bytes and the back buffer presented). One "name: value" line per figure.
#include "gui/guiDialog.h"
#include "gui/guiFont.h"
#include "gui/guiPainter.h"
#include "gui/guiPicture.h"
#include "platform/double/Double.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

class TextLine : public guiWidget {
  public:
    guiFont* font = nullptr;
    const char* text = "";
    bool Draw() override {
        font->DrawText(rect.x, rect.y, text);
        return true;
    }
};

void Fill(guiImage& img, int w, int h, std::uint32_t format) {
    img.Allocate(w, h, static_cast<int>(format), false);
    for (std::size_t i = 0; i < static_cast<std::size_t>(img.stride) * img.height; ++i)
        img.pixels[i] = static_cast<std::uint8_t>(i * 37 + (i >> 9));
}

} // namespace

int main() {
    int window = 0;
    guiDialog page;
    auto* back = new guiPicture;
    Fill(*back, 550, 440, PF_BGR24);
    auto* label = new guiPicture;
    Fill(*label, 560, 80, PF_BGRA32);
    label->rect = {0, 121, 560, 80};
    guiFont font;
    font.Build("Arial", 9, guiColor::FromBytes(18, 40, 49, 255), false);
    auto* text = new TextLine;
    text->font = &font;
    text->text = "The valley waits for its settlers; the mill turns by the sea";
    text->rect = {20, 300, 500, 20};
    page.AddChild(back);
    page.AddChild(label);
    page.AddChild(text);
    AddTopLevelDialog(&page);
    StartGui(&window);
    guiRect wizard{237, 164, 550, 440};
    g_painter->SetViewport(&wizard);
    g_painter->SetClipRect(nullptr);
    ShowPage(&page);

    std::size_t glyphBytes = 0;
    int glyphs = 0;
    for (const char* p = text->text; *p; ++p, ++glyphs) {
        const guiGlyph& g = font.Glyph(static_cast<unsigned char>(*p));
        glyphBytes += static_cast<std::size_t>(g.w) * g.h * 4;
    }
    std::size_t bytes = 550u * 440 * 3 + 560u * 80 * 4 + glyphBytes + g_painterGDI.backBuffer.stride * 440u;

    const int frames = 3000;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        DrawAll();
    double drawSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / frames;

    std::vector<std::uint8_t> from(bytes, 1), to(bytes, 2);
    const int copies = 3000;
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < copies; ++i) {
        from[static_cast<std::size_t>(i) % bytes] = static_cast<std::uint8_t>(i);
        std::memcpy(to.data(), from.data(), bytes);
    }
    double copySeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / copies;
    volatile std::uint8_t sink = to[bytes / 2];
    (void)sink;

    std::printf("glyphs: %d\nbytes_per_frame: %zu\n", glyphs, bytes);
    std::printf("draw_fps: %.0f\nmemcpy_fps: %.0f\ndraw_vs_memcpy: %.2f\n", 1.0 / drawSeconds,
                1.0 / copySeconds, drawSeconds / copySeconds);
    return 0;
}
