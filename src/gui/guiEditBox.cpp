#include "gui/guiEditBox.h"

#include "gui/guiPainter.h"
#include "gui/guiRedraw.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"

std::unique_ptr<guiImage> guiEditBox::caretImage;

namespace {

bool Accepted(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           c == '-' || c == '/' || c == ':' || c == '\\' || c == '_';
}

} // namespace

void guiEditBox::SetText(const char* value) {
    std::string before = text;
    int caretBefore = caret;
    if (value) {
        text = value;
        if (text.size() > kMaxLength) text.resize(kMaxLength);
    }
    caret = static_cast<int>(text.size());
    // Only a change is drawn: a page may set the same text at every draw.
    if (text != before || caret != caretBefore) MarkDirty();
}

int guiEditBox::DrawOrigin() const {
    int tw = font ? font->TextWidth(text.c_str(), static_cast<int>(text.size())) : 0;
    if (align != ALIGN_CENTER) return textRect.x;
    int x0 = textRect.x + (textRect.w - tw) / 2;
    // Too wide to centre: right-aligned, so that the end being typed stays in view.
    return x0 < textRect.x ? textRect.x + textRect.w - tw - 3 : x0;
}

int guiEditBox::ClickOrigin() const {
    int tw = font ? font->TextWidth(text.c_str(), static_cast<int>(text.size())) : 0;
    if (align != ALIGN_CENTER) return textRect.x;
    int x0 = textRect.x + (textRect.w - tw) / 2;
    return x0 < textRect.x ? textRect.x + textRect.w - tw : x0;
}

bool guiEditBox::Create() {
    textRect = {rect.x + 2, rect.y + 2, rect.w - 4, rect.h - 4};
    if (!caretImage) {
        caretImage = std::make_unique<guiImage>();
        caretImage->Load("edit_cursor.tga", false);
    }
    return true;
}

bool guiEditBox::Update() {
    if (readOnly) return true;
    std::uint32_t now = os::TickCount();
    if (now - blinkTime > 500) {
        // While a key is held the caret comes back on and stays on.
        caretVisible = (!g_installer.keyDown && caretVisible) ? 0 : 1;
        blinkTime = now;
    }
    RequestPassAt(blinkTime + 501); // the next blink
    return true;
}

bool guiEditBox::Draw() {
    if (!font) return false;
    if (!g_painter) return true;
    g_painter->SetClipRect(&textRect);
    int cx = font->TextWidth(text.c_str(), caret);
    int x0 = DrawOrigin();
    font->DrawText(x0, textRect.y, text.c_str());
    // The caret shows where typing goes: not while a page's focus is elsewhere.
    bool typedHere = !parent || parent->KeysReach(this);
    if (!readOnly && typedHere && caretVisible && caretImage)
        g_painter->DrawImage(caretImage.get(), x0 + cx - font->spacing, textRect.y - 4, 1.0f);
    g_painter->SetClipRect(nullptr);
    return true;
}

bool guiEditBox::OnMouse(int event) {
    os::SetIBeamCursor();
    if (event == kLeftDown) {
        int d = g_mouseX - ClickOrigin();
        int length = static_cast<int>(text.size());
        caret = length;
        for (int i = 0; i <= length; ++i) {
            int w = font ? font->TextWidth(text.c_str(), i) : 0;
            if (w >= d) {
                caret = i;
                break;
            }
        }
    }
    return true;
}

bool guiEditBox::OnKey(int code) {
    if (readOnly) return false;
    int c = code & 0xFF;
    int length = static_cast<int>(text.size());
    if (caret < 0 || caret > length) caret = length; // the owner may have changed the text directly
    switch (c) {
    case kKeyBackspace:
        if (caret > 0) text.erase(static_cast<std::size_t>(--caret), 1);
        return true;
    case kKeyDelete:
        if (caret < length) {
            text.erase(static_cast<std::size_t>(caret), 1);
            return true;
        }
        return false; // at the end '.' is an ordinary character, and not one a path may hold here
    case kKeyLeft:
        if (caret > 0) --caret;
        return true;
    case kKeyRight:
        if (caret < length) ++caret;
        return true;
    case kKeyHome:
        caret = 0;
        return true;
    case kKeyEnd:
        caret = length;
        return true;
    default:
        break;
    }
    if (!Accepted(c)) return false;
    // The folder is a path buffer: a character that would not fit is refused.
    if (text.size() >= kMaxLength) return false;
    text.insert(static_cast<std::size_t>(caret), 1, static_cast<char>(c));
    ++caret;
    return true;
}
