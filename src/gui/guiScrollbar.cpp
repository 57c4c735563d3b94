#include "gui/guiScrollbar.h"

namespace {

int SliderMoved(guiWidget* sender) {
    auto* bar = static_cast<guiScrollbar*>(sender->parent);
    bar->position = static_cast<guiSlider*>(sender)->position;
    return 0;
}

} // namespace

bool guiScrollbar::Draw() {
    if (slider) slider->Draw();
    return false;
}

bool guiScrollbar::Create() {
    slider = new guiSlider;
    AddChild(slider);
    slider->rect = rect;
    slider->thumbSize = pageSize;
    RegisterCallback(slider, SliderMoved);
    guiWidget::Create();
    return true;
}
