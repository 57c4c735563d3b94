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

void guiScrollbar::ScrollPixels(int pixels) {
    if (contentHeight <= 0) return;
    float p = position + static_cast<float>(pixels) / static_cast<float>(contentHeight);
    // The drag's own limits: the thumb may end 1 % past the bar; a text shorter than the box stays put.
    float last = 1.01f - (slider ? slider->thumbSize : pageSize);
    if (p > last) p = last;
    if (p < 0.0f) p = 0.0f;
    position = p;
    if (slider) slider->position = p;
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
