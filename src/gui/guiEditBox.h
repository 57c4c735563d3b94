// The single-line edit box of the installation folder: a bitmap-font text, a blinking caret, caret
// moves by mouse and keys, and only the characters a folder path is made of.
#pragma once

#include "gui/guiFont.h"
#include "gui/guiImage.h"
#include "gui/guiRect.h"
#include "gui/guiWidget.h"

#include <cstdint>
#include <memory>
#include <string>

// Key codes the box understands; characters with the same codes act as these keys.
constexpr int kKeyBackspace = 8;
constexpr int kKeyEnd = 35;
constexpr int kKeyHome = 36;
constexpr int kKeyLeft = 37;
constexpr int kKeyRight = 39;
constexpr int kKeyDelete = 46;

class guiEditBox : public guiWidget {
  public:
    bool Draw() override;
    bool OnMouse(int event) override;
    // Computes textRect; loads the shared caret "edit_cursor.tga" the first time.
    bool Create() override;
    // Blinks the caret.
    bool Update() override;
    bool OnKey(int code) override;
    guiFocus FocusKind() const override { return readOnly ? guiFocus::None : guiFocus::Control; }

    // Copies text (when given, cut to kMaxLength) and puts the caret at its end.
    void SetText(const char* value);
    // Left edge of the text when drawn and when a click is measured against it.
    int DrawOrigin() const;
    int ClickOrigin() const;

    // The folder it edits is a path buffer of 260 characters with its zero.
    static constexpr std::size_t kMaxLength = 259;

    std::string text;
    guiFont* font = nullptr; // not owned
    guiRect textRect;
    int align = 0;
    std::uint8_t readOnly = 1;
    std::uint8_t caretVisible = 1;
    std::uint32_t blinkTime = 0;
    int caret = 0;

    // The caret of every edit box, read once.
    static std::unique_ptr<guiImage> caretImage;
};
