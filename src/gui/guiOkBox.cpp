#include "gui/guiOkBox.h"

namespace {

int OkClicked(guiWidget* button) {
    auto* box = static_cast<guiMsgBox*>(button->parent);
    box->result = guiMsgBox::kOk;
    box->visible = 0;
    return 0;
}

} // namespace

guiOkBox::guiOkBox() {
    background = std::make_unique<guiImage>();
    background->Load("msg_back.tga", false);
    rect = {0, 0, 0, 0};
}

bool guiOkBox::Create() {
    if (created) return false; // the buttons are built once
    created = 1;
    okButton = AddButton({215, 320, 132, 14}, "OK", OkClicked);
    return guiMsgBox::Create();
}
