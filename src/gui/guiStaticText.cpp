#include "gui/guiStaticText.h"

#include "gui/guiPainter.h"
#include "gui/guiRedraw.h"

void guiStaticText::SetText(const char* value) {
    if (text != (value ? value : "")) MarkDirty();
    lines.clear();
    if (!value) {
        text.clear();
        return;
    }
    text = value;
    if (font) verticalOffset = font->WrapText(rect, alignment, text.c_str(), lines);
}

bool guiStaticText::Draw() {
    if (!font) return false;
    if (!g_painter) return true;
    g_painter->SetClipRect(&rect);
    int y = rect.y + verticalOffset;
    std::size_t position = 0;
    std::string line;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        std::size_t length = static_cast<std::uint16_t>(lines[i + 1]);
        if (position >= text.size()) break;
        line.assign(text, position, length);
        font->DrawText(rect.x + lines[i], y, line.c_str());
        y += font->lineHeight;
        position += length;
    }
    g_painter->SetClipRect(nullptr);
    return true;
}
