#include "gui/guiMsgBox.h"

#include "gui/guiButton.h"
#include "gui/guiPainter.h"
#include "gui/guiRedraw.h"
#include "platform/Os.h"
#include "shell/CStringTable.h"

#include <mutex>
#include <thread>

std::shared_ptr<guiFont> guiMsgBox::sharedMessageFont;
std::shared_ptr<guiFont> guiMsgBox::sharedCaptionFont;

guiMsgBox::guiMsgBox() {
    buttonImage = std::make_unique<guiImage>();
    buttonOverImage = std::make_unique<guiImage>();
    buttonOverImage->Load("msg_button_over.tga", false);
    auto messageFace = std::make_shared<guiFont>();
    messageFace->Build("Times New Roman", 10, guiColor::FromBytes(18, 40, 49, 255), false);
    auto captionFace = std::make_shared<guiFont>();
    captionFace->Build("Times New Roman", 10, guiColor::FromBytes(255, 237, 215, 255), true);
    sharedMessageFont = messageFace;
    sharedCaptionFont = captionFace;
}

guiMsgBox::~guiMsgBox() = default;

bool guiMsgBox::Draw() {
    if (g_painter && background) g_painter->DrawImage(background.get(), rect.x, rect.y, 1.0f);
    return guiDialog::Draw();
}

void guiMsgBox::TakeSharedFonts() {
    // The pair current now; holding it keeps it alive as long as this box.
    if (!messageFont) messageFont = sharedMessageFont;
    if (!captionFont) captionFont = sharedCaptionFont;
}

bool guiMsgBox::Create() {
    TakeSharedFonts();
    messageText = new guiStaticText;
    AddChild(messageText);
    messageText->rect = {134, 246, 308, 64};
    messageText->alignment = ALIGN_CENTER;
    messageText->font = messageFont.get();
    captionText = new guiStaticText;
    AddChild(captionText);
    captionText->rect = {176, 120, 207, 20};
    captionText->alignment = ALIGN_CENTER;
    captionText->font = captionFont.get();
    return guiDialog::Create();
}

guiButton* guiMsgBox::AddButton(const guiRect& r, const char* captionKey, guiCallback fn) {
    TakeSharedFonts();
    auto* button = new guiButton;
    button->rect = r;
    button->SetHoverImage(buttonOverImage.get());
    button->SetNormalImage(buttonImage.get());
    button->SetCaption(g_strings.GetText(captionKey));
    button->font = captionFont.get();
    AddChild(button);
    RegisterCallback(button, fn);
    return button;
}

void guiMsgBox::SetTexts(const char* text, const char* caption) {
    message = text ? text : "";
    if (messageText) messageText->SetText(text ? text : "");
    if (caption) title = caption;
    if (captionText) captionText->SetText(caption ? caption : "");
}

namespace {

// The turn of the one box that may be open; its holder's thread, so that a box asked for while the
// same thread holds the turn (it cannot wait for itself) answers at once.
std::mutex& BoxTurn() {
    static std::mutex turn;
    return turn;
}
std::atomic<std::thread::id> g_boxThread{};

// One step of a loop that waits: a message of this thread's queue, else a frame and a short wait. True
// when a quit was taken (posted again for the loops outside).
bool WaitStep() {
    switch (os::PumpMessage()) {
    case os::Pump::Quit:
        g_leaving = true;
        os::PostQuit(0);
        return true;
    case os::Pump::Dispatched:
        return false;
    case os::Pump::None:
        break;
    }
    if (g_active) {
        // Drawn when something changed. On the worker's thread no input wakes the wait (it arrives on
        // the window's thread, which draws it): the answer is looked for every 50 ms.
        std::uint32_t wait = RedrawIfDue();
        os::WaitForInput(wait < 50 ? wait : 50);
    } else {
        os::Sleep(10); // minimised: keep waiting without drawing, and without spinning a core
    }
    return false;
}

} // namespace

int guiMsgBox::Show(const char* text, const char* caption) {
    if (g_boxThread.load() == std::this_thread::get_id()) return NegativeResult();
    std::unique_lock<std::mutex> turn(BoxTurn(), std::defer_lock);
    // The other thread's box is answered through this thread's queue, when this is the window's thread.
    while (!turn.try_lock())
        if (g_leaving || WaitStep()) return NegativeResult();
    if (g_leaving) return NegativeResult();
    g_boxThread = std::this_thread::get_id();
    {
        std::lock_guard<std::recursive_mutex> hold(GuiLock());
        visible = 1;
        result = 0;
        g_modalBox = this;
        DrawAll();
        SetTexts(text, caption);
        MarkDirty();
    }
    while (result == 0)
        if (g_leaving || WaitStep()) result = NegativeResult();
    std::lock_guard<std::recursive_mutex> hold(GuiLock());
    visible = 0;
    g_modalBox = nullptr;
    g_boxThread = std::thread::id();
    MarkDirty(); // the page again, without the box
    return result;
}

bool guiMsgBox::OnKey(int code) {
    // The keyboard answers as every box of the system does; the answer is taken once.
    if ((code == kEnterKey || code == kEscapeKey) && result == 0) {
        result = code == kEnterKey ? PositiveResult() : NegativeResult();
        visible = 0;
        return true;
    }
    return guiDialog::OnKey(code);
}
