#include "platform/Os.h"
#include "platform/win32/Win32.h"

#include <objbase.h>

namespace os {

namespace {
WindowProc g_windowProc = nullptr;

LRESULT CALLBACK Forward(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // DefWindowProcW keeps the text in UTF-16 even for an ANSI window; the taskbar reads it so.
    if (message == win32::kWmSetWideTitle) return DefWindowProcW(window, WM_SETTEXT, 0, lParam);
    if (!g_windowProc) return DefWindowProcA(window, message, wParam, lParam);
    return g_windowProc(window, message, wParam, lParam);
}
} // namespace

bool RegisterWindowClass(void* instance, const WindowClass& c) {
    g_windowProc = c.proc;
    HINSTANCE module = static_cast<HINSTANCE>(instance);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = c.style;
    wc.lpfnWndProc = Forward;
    wc.hInstance = module;
    wc.hIcon = LoadIconA(module, MAKEINTRESOURCEA(c.largeIcon));
    wc.hIconSm = LoadIconA(module, MAKEINTRESOURCEA(c.smallIcon));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = c.name;
    return RegisterClassExA(&wc) != 0;
}

Window CreateMainWindow(void* instance, const char* className, const char* title, std::uint32_t exStyle,
                        std::uint32_t style, const Rect& r) {
    return CreateWindowExA(exStyle, className, title, style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, static_cast<HINSTANCE>(instance), nullptr);
}

void SetWindowTitle(Window window, const char* title) {
    SetWindowTextA(static_cast<HWND>(window), title);
}

void ShowAndUpdate(Window window, int showCommand) {
    ShowWindow(static_cast<HWND>(window), showCommand);
    UpdateWindow(static_cast<HWND>(window));
}

std::intptr_t DefaultWindowProc(Window window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    return DefWindowProcA(static_cast<HWND>(window), message, wParam, lParam);
}

void PostQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

Pump PumpMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return Pump::None;
    if (msg.message == WM_QUIT) return Pump::Quit;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return Pump::Dispatched;
}

void WaitForMessage() {
    WaitMessage();
}

void WaitForInput(std::uint32_t ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

void WakeWindow(Window window) {
    if (window) PostMessageA(static_cast<HWND>(window), WM_NULL, 0, 0);
}

bool TopWindowExists(const char* className, const char* title) {
    return FindWindowA(className, title) != nullptr;
}

Handle ClientDC(Window window) {
    return reinterpret_cast<Handle>(GetDC(static_cast<HWND>(window)));
}

void FillSolid(Handle dc, std::uint8_t red, std::uint8_t green, std::uint8_t blue, const Rect* rects,
               int count) {
    HDC hdc = reinterpret_cast<HDC>(dc);
    HBRUSH brush = CreateSolidBrush(RGB(red, green, blue));
    HGDIOBJ old = SelectObject(hdc, brush);
    for (int i = 0; i < count; ++i) {
        RECT r = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        FillRect(hdc, &r, brush); // an empty or inverted rectangle fills nothing
    }
    SelectObject(hdc, old);
    DeleteObject(brush);
}

bool ComInitialize() {
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

void ComUninitialize() {
    CoUninitialize();
}

std::string WindowsDir() {
    char buffer[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

} // namespace os
