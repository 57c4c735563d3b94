#include "gui/guiButton.h"

#include "gui/guiPainter.h"

bool guiButton::Draw() {
    if (!HitTest(rect, g_mouseX, g_mouseY)) hovered = 0;
    if (!g_painter) return true;
    if (normalImage && !hovered) g_painter->DrawImage(normalImage, rect.x, rect.y, 1.0f);
    if (hoverImage && hovered) g_painter->DrawImage(hoverImage, rect.x, rect.y, 1.0f);
    if (!caption.empty() && font) {
        g_painter->SetClipRect(&rect);
        int w = font->TextWidth(caption.c_str(), static_cast<int>(caption.size()));
        font->DrawText(rect.x + (rect.w - w) / 2, rect.y, caption.c_str());
        g_painter->SetClipRect(nullptr);
    }
    return true;
}

bool guiButton::OnMouse(int event) {
    // The press may have happened anywhere: a release over the button is a click.
    if (event == kLeftUp) return true;
    if (event == kMouseMove) hovered = 1;
    return false;
}

bool guiButton::Update() {
    if (!HitTest(rect, g_mouseX, g_mouseY)) hovered = 0;
    return true;
}
