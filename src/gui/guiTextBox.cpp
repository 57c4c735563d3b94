#include "gui/guiTextBox.h"

#include "gui/guiPainter.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Text.h"

#include <cstdio>

namespace {

int Nothing(guiWidget*) {
    return 0;
}

// The file is read in pieces of a 1024-character buffer: a line with its line feed, or 1023
// characters of a longer line. False at the end of the file.
bool ReadPiece(FILE* f, std::string& piece) {
    piece.clear();
    int c;
    while (piece.size() < 1023 && (c = std::getc(f)) != EOF) {
        // A zero byte would end the piece early for the layout: it shows as a blank instead.
        piece += c == 0 ? ' ' : static_cast<char>(c);
        if (c == '\n') break;
    }
    return !piece.empty();
}

} // namespace

bool guiTextBox::LoadFile(const char* name) {
    std::string path = text::Format(text::kMaxPath, "%s\\%s", g_installer.mediaDir.c_str(), name);
    FILE* f = os::OpenFile(path.c_str(), "rt");
    if (!f) return false;
    if (!font) {
        std::fclose(f);
        return false;
    }
    std::string piece;
    std::vector<std::int16_t> layout;
    while (ReadPiece(f, piece)) {
        layout.clear();
        font->WrapText(rect, ALIGN_TOP_LEFT, piece.c_str(), layout);
        std::size_t at = 0;
        for (std::size_t i = 0; i + 1 < layout.size(); i += 2) {
            std::size_t count = static_cast<std::uint16_t>(layout[i + 1]);
            lines.push_back(piece.substr(at, count));
            at += count;
        }
    }
    std::fclose(f);
    return true;
}

bool guiTextBox::Create() {
    textArea = {rect.x + 15, rect.y + 10, rect.w - 55, rect.h - 20};
    scrollBar = new guiScrollbar;
    AddChild(scrollBar);
    RegisterCallback(scrollBar, Nothing);
    scrollBar->rect = {rect.x + rect.w - 20, rect.y, 22, rect.h - 32};
    if (font) {
        long long n = static_cast<long long>(lines.size()), l = font->lineHeight;
        if (n * l != 0) scrollBar->contentHeight = static_cast<int>(std::min(n * l, 0x7FFFFFFFLL));
        scrollBar->lineHeight = font->lineHeight;
        scrollBar->viewHeight = rect.h;
        if (scrollBar->contentHeight > 0)
            scrollBar->pageSize =
                static_cast<float>(scrollBar->viewHeight) / static_cast<float>(scrollBar->contentHeight);
        scrollBar->position = 0.0f;
    }
    scrollBar->Create();
    return true;
}

bool guiTextBox::Draw() {
    if (!font) return false;
    if (!g_painter) return true;
    g_painter->SetClipRect(&textArea);
    float p = scrollBar ? scrollBar->position : 0.0f;
    // A text shorter than the box gives a thumb longer than the bar, whose drag limit pushes the
    // position below 0: the text then stays at its top rather than reaching before its first line.
    if (!(p > 0.0f)) p = 0.0f;
    long long n = static_cast<long long>(lines.size());
    int l = font->lineHeight;
    double v = static_cast<double>(p) * static_cast<double>(n);
    long long first = static_cast<long long>(v);
    int y = static_cast<int>(textArea.y - (v - static_cast<double>(first)) * l);
    for (; first < n && y <= textArea.y + textArea.h; ++first, y += l)
        font->DrawText(textArea.x, y, lines[static_cast<std::size_t>(first)].c_str());
    if (scrollBar) scrollBar->Draw();
    g_painter->SetClipRect(nullptr);
    return true;
}

bool guiTextBox::OnKey(int code) {
    if (!scrollBar || !font) return false;
    int line = font->lineHeight;
    int page = textArea.h > 2 * line ? textArea.h - line : line;
    switch (code) {
    case kKeyUp:
        scrollBar->ScrollPixels(-line);
        return true;
    case kKeyDown:
        scrollBar->ScrollPixels(line);
        return true;
    case kKeyPageUp:
        scrollBar->ScrollPixels(-page);
        return true;
    case kKeyPageDown:
        scrollBar->ScrollPixels(page);
        return true;
    default:
        return false;
    }
}

bool guiTextBox::OnWheel(int, int, int delta) {
    if (!scrollBar || !font) return false;
    constexpr int kNotch = 120, kLinesPerNotch = 3;
    wheelRest += delta;
    int notches = wheelRest / kNotch;
    wheelRest -= notches * kNotch;
    // Away from the user is up the text.
    scrollBar->ScrollPixels(-notches * kLinesPerNotch * font->lineHeight);
    return true;
}

bool guiTextBox::OnMouse(int event) {
    guiWidget::OnMouse(event);
    return false;
}
