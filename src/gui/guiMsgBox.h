// The skinned message boxes. The message helpers of the shell reach them through Show; the skins,
// buttons and the modal loop live with the toolkit's dialogs.
#pragma once

class guiMsgBox {
public:
    virtual ~guiMsgBox() = default;
    // Shows the box modally; returns 1 (OK), 3 (YES) or 4 (NO).
    virtual int Show(const char* message, const char* caption) = 0;
};

class guiOkBox : public guiMsgBox {};
class guiYesNoBox : public guiMsgBox {};
