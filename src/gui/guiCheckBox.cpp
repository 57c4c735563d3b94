#include "gui/guiCheckBox.h"

#include "gui/guiPainter.h"

std::unique_ptr<guiImage> guiCheckBox::tickImage;

bool guiCheckBox::Draw() {
    if (checked && g_painter && tickImage) g_painter->DrawImage(tickImage.get(), rect.x, rect.y, 1.0f);
    return true;
}

bool guiCheckBox::OnMouse(int event) {
    if (event != kLeftDown) return false;
    checked = !checked;
    return true;
}

bool guiCheckBox::OnKey(int code) {
    if (code != kKeySpace) return false;
    checked = !checked;
    return true;
}

bool guiCheckBox::Create() {
    if (!tickImage) {
        tickImage = std::make_unique<guiImage>();
        tickImage->Load("text_icon_on.tga", false);
    }
    return true;
}
