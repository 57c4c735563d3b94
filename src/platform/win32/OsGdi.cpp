#include "platform/Os.h"
#include "platform/win32/Win32.h"

namespace os {

Rect ClientRect(Window window) {
    RECT r = {0, 0, 0, 0};
    if (window) GetClientRect(static_cast<HWND>(window), &r);
    return {r.left, r.top, r.right, r.bottom};
}

void ScreenToClientPoint(Window window, int* x, int* y) {
    POINT p = {*x, *y};
    if (window && ScreenToClient(static_cast<HWND>(window), &p)) {
        *x = p.x;
        *y = p.y;
    }
}

Handle WindowDC(Window window) {
    return reinterpret_cast<Handle>(GetWindowDC(static_cast<HWND>(window)));
}

void ReleaseWindowDC(Window window, Handle dc) {
    ReleaseDC(static_cast<HWND>(window), reinterpret_cast<HDC>(dc));
}

void ScreenSize(Handle dc, int* width, int* height) {
    *width = GetDeviceCaps(reinterpret_cast<HDC>(dc), HORZRES);
    *height = GetDeviceCaps(reinterpret_cast<HDC>(dc), VERTRES);
}

int DisplayDpi(Window window) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn forWindow = [] {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                      : nullptr;
    }();
    int dpi = 0;
    if (forWindow && window) dpi = static_cast<int>(forWindow(static_cast<HWND>(window)));
    if (dpi <= 0) {
        HDC screen = GetDC(nullptr);
        if (screen) {
            dpi = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
    }
    return dpi > 0 ? dpi : 96;
}

void DeclareDpiAware() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) return;
    // Windows 10 1703 and later: per monitor, version 2; then per monitor; then, before Windows 10,
    // system-wide. Each is looked up by name: older systems lack them.
    using ContextFn = BOOL(WINAPI*)(HANDLE);
    if (auto setContext = reinterpret_cast<ContextFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))) {
        if (setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4))) ||
            setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3))))
            return;
        // Already set (by the manifest) is as good as set here.
        if (GetLastError() == ERROR_ACCESS_DENIED) return;
    }
    using AwareFn = BOOL(WINAPI*)();
    if (auto setAware = reinterpret_cast<AwareFn>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware"))))
        setAware();
}

void StretchBits(Handle dc, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const void* bits,
                 const BitmapInfo& info) {
    static_assert(sizeof(BitmapInfo) == sizeof(BITMAPINFO), "the layout of BITMAPINFO");
    // Whole-number enlargements on high-DPI screens: each pixel repeated, never blended.
    SetStretchBltMode(reinterpret_cast<HDC>(dc), COLORONCOLOR);
    StretchDIBits(reinterpret_cast<HDC>(dc), dx, dy, dw, dh, sx, sy, sw, sh, bits,
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
}

namespace {
struct FontCanvas {
    HDC dc = nullptr;
    HBITMAP dib = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    void* bits = nullptr;
};
} // namespace

Handle FontCanvasCreate(const char* face, int pointSize, bool bold, int charset) {
    auto* c = new FontCanvas;
    HDC screen = GetDC(nullptr);
    c->dc = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 256;
    bi.bmiHeader.biHeight = -256; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    c->dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &c->bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    SetMapMode(c->dc, MM_TEXT);
    // In wizard pixels, which are 96-dpi pixels whatever the display: the layout of strings.txt is
    // measured in them, and the whole wizard is enlarged on a high-DPI display.
    int height = -MulDiv(pointSize, 96, 72);
    c->font = CreateFontA(height, 0, 0, 0, bold ? 700 : 0, FALSE, FALSE, FALSE, static_cast<BYTE>(charset),
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, face);
    if (!c->font || !c->dib || !c->dc) {
        FontCanvasDestroy(reinterpret_cast<Handle>(c));
        return 0;
    }
    c->oldBitmap = SelectObject(c->dc, c->dib);
    c->oldFont = SelectObject(c->dc, c->font);
    SetTextColor(c->dc, RGB(18, 40, 49));
    SetBkColor(c->dc, RGB(0, 0, 0));
    SetTextAlign(c->dc, TA_LEFT | TA_TOP);
    return reinterpret_cast<Handle>(c);
}

bool FontCanvasMeasure(Handle canvas, unsigned char ch, int* cx, int* cy) {
    auto* c = reinterpret_cast<FontCanvas*>(canvas);
    char s[1] = {static_cast<char>(ch)};
    SIZE size = {0, 0};
    bool ok = GetTextExtentPoint32A(c->dc, s, 1, &size) != 0;
    *cx = size.cx;
    *cy = size.cy;
    return ok;
}

void FontCanvasDraw(Handle canvas, unsigned char ch, int x, int y) {
    auto* c = reinterpret_cast<FontCanvas*>(canvas);
    char s[1] = {static_cast<char>(ch)};
    ExtTextOutA(c->dc, x, y, ETO_OPAQUE, nullptr, s, 1, nullptr);
}

const std::uint8_t* FontCanvasPixels(Handle canvas) {
    auto* c = reinterpret_cast<FontCanvas*>(canvas);
    GdiFlush();
    return static_cast<const std::uint8_t*>(c->bits);
}

void FontCanvasDestroy(Handle canvas) {
    auto* c = reinterpret_cast<FontCanvas*>(canvas);
    if (!c) return;
    if (c->dc && c->oldFont) SelectObject(c->dc, c->oldFont);
    if (c->dc && c->oldBitmap) SelectObject(c->dc, c->oldBitmap);
    if (c->font) DeleteObject(c->font);
    if (c->dib) DeleteObject(c->dib);
    if (c->dc) DeleteDC(c->dc);
    delete c;
}

} // namespace os
