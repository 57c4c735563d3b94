// The base of the skinned message boxes: a skin, the message and caption texts over it, and the
// modal loop that waits until a button sets the result.
#pragma once

#include "gui/guiDialog.h"
#include "gui/guiFont.h"
#include "gui/guiImage.h"
#include "gui/guiStaticText.h"

#include <atomic>
#include <memory>
#include <string>

class guiButton;

class guiMsgBox : public guiDialog {
  public:
    guiMsgBox();
    ~guiMsgBox() override;
    bool Draw() override;
    // Builds the message and caption texts, then creates every child.
    bool Create() override;

    // Runs the modal loop; returns the non-zero result a button set: 1 (OK), 3 (YES) or 4 (NO). One box
    // is open at a time, whichever thread asks: a second waits until the first is answered. A quit taken
    // from the queue, or the window gone, ends the loop with the negative answer (the quit is posted
    // again for the loops outside).
    int Show(const char* message, const char* caption);
    // What the box answers when nobody can: OK for the information box, NO for the question.
    virtual int NegativeResult() const { return kOk; }
    // What Enter answers: OK, or YES for the question. Esc answers NegativeResult.
    virtual int PositiveResult() const { return kOk; }
    bool OnKey(int code) override;

    static constexpr int kEnterKey = 13; // as WM_CHAR brings them
    static constexpr int kEscapeKey = 27;
    // Puts the message and the caption into the box.
    virtual void SetTexts(const char* message, const char* caption);

    // Results the buttons set.
    static constexpr int kOk = 1;
    static constexpr int kYes = 3;
    static constexpr int kNo = 4;

    std::unique_ptr<guiImage> background;
    std::unique_ptr<guiImage> buttonImage;     // never loaded: the skin shows the buttons
    std::unique_ptr<guiImage> buttonOverImage; // "msg_button_over.tga"
    std::string message;
    std::atomic<int> result{0}; // read afresh on every pass: it is set on the other thread
    guiStaticText* messageText = nullptr;
    guiStaticText* captionText = nullptr;
    // The fonts this box draws with: the shared pair current when it was created.
    std::shared_ptr<guiFont> messageFont;
    std::shared_ptr<guiFont> captionFont;

    // Every box construction builds a new pair and makes it the shared one.
    static std::shared_ptr<guiFont> sharedMessageFont;
    static std::shared_ptr<guiFont> sharedCaptionFont;

  protected:
    void TakeSharedFonts();
    // A button of the box: its rectangle and caption, the two images and the caption font, added as
    // a child with fn as its callback.
    guiButton* AddButton(const guiRect& r, const char* captionKey, guiCallback fn);
};

// The two boxes, complete wherever their base is seen.
#include "gui/guiOkBox.h"
#include "gui/guiYesNoBox.h"
