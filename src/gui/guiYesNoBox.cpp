#include "gui/guiYesNoBox.h"

namespace {

int Answer(guiWidget* button, int result) {
    auto* box = static_cast<guiMsgBox*>(button->parent);
    box->result = result;
    box->visible = 0;
    return 0;
}
int YesClicked(guiWidget* button) {
    return Answer(button, guiMsgBox::kYes);
}
int NoClicked(guiWidget* button) {
    return Answer(button, guiMsgBox::kNo);
}

} // namespace

guiYesNoBox::guiYesNoBox() {
    background = std::make_unique<guiImage>();
    background->Load("yes_no_back.tga", false);
    rect = {0, 0, 0, 0};
}

bool guiYesNoBox::Create() {
    if (created) return false; // the buttons are built once
    created = 1;
    yesButton = AddButton({142, 320, 133, 15}, "YES", YesClicked);
    noButton = AddButton({293, 320, 133, 15}, "NO", NoClicked);
    return guiMsgBox::Create();
}
