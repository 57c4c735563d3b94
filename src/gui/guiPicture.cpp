#include "gui/guiPicture.h"

#include "gui/guiPainter.h"

bool guiPicture::Draw() {
    if (g_painter) g_painter->DrawImage(static_cast<guiImage*>(this), rect.x, rect.y, opacity);
    return true;
}
