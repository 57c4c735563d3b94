#include "gui/guiSlider.h"

#include "gui/guiPainter.h"
#include "platform/Os.h"

std::unique_ptr<guiImage> guiSlider::thumbTile;

bool guiSlider::Draw() {
    int top = static_cast<int>(rect.h * position);
    int len = static_cast<int>(rect.h * thumbSize);
    // Compared with the bottom coordinate, not the height: a thumb that long is not drawn at all.
    if (len > rect.y + rect.h - 20) len = 0;
    if (!g_painter) return true;
    guiRect clip{rect.x, rect.y + top, rect.w, rect.h};
    g_painter->SetClipRect(&clip);
    if (!thumbTile) return true;
    // One load attempt per frame: the blits below do not retry a tile that is missing.
    thumbTile->EnsureLoaded();
    if (!thumbTile->pixels || thumbTile->height == 0) return true;
    for (int t = top; t < top + len; t += thumbTile->height)
        g_painter->DrawImage(thumbTile.get(), rect.x, rect.y + t, 1.0f);
    return true;
}

bool guiSlider::OnMouse(int event) {
    if (event == kLeftDown) {
        dragX = g_mouseX;
        dragY = g_mouseY;
        return true;
    }
    if (event == kMouseMove && os::LeftButtonHeld()) {
        int dy = g_mouseY - dragY;
        dragY = g_mouseY;
        if (rect.h != 0) position += static_cast<float>(dy) / static_cast<float>(rect.h);
        if (position < 0.0f) position = 0.0f;
        if (thumbSize + position > 1.01f) position = 1.01f - thumbSize;
        return true;
    }
    return false;
}

bool guiSlider::Create() {
    if (!thumbTile) {
        thumbTile = std::make_unique<guiImage>();
        thumbTile->Load("scroller.tga", false);
    }
    return true;
}
