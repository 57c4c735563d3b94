#include "gui/guiProgress.h"

#include "gui/guiPainter.h"

#include <cstdio>

guiProgress::guiProgress() {
    SetProgress(0.0f);
}

void guiProgress::SetProgress(float fraction) {
    // Outside 0..1 (or not a number) the fill and the percentage would be meaningless.
    if (!(fraction >= 0.0f)) fraction = 0.0f;
    if (fraction > 1.0f) fraction = 1.0f;
    fillWidth = static_cast<int>(static_cast<float>(rect.w) * fraction);
    barY = rect.y;
    // Single-precision constants, the sum in double: 0.5 gives 50.55000078, shown as 50.6.
    double percent = static_cast<double>(fraction) * static_cast<double>(98.9f) + static_cast<double>(1.1f);
    std::snprintf(text, sizeof text, "(%3.1f%%)", percent);
}

bool guiProgress::Draw() {
    if (!g_painter) return false;
    guiRect revealed{rect.x, rect.y, fillWidth & ~7, rect.h};
    g_painter->SetClipRect(&revealed);
    g_painter->DrawImage(&barImage, rect.x, barY, 1.0f);
    g_painter->SetClipRect(nullptr);
    font.DrawText(textX, textY, text);
    return false;
}

bool guiProgress::Create() {
    barImage.Load("progress_bar.tga", false);
    font.Build("Arial", 8, guiColor::FromBytes(18, 40, 49, 255), false);
    return true;
}
