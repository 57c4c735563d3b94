// The sample game: one window of class "MKX_KERNEL" titled "Orelwick engine" that says the game is
// installed and where. The installer ends when this window appears.
#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH back = CreateSolidBrush(RGB(17, 42, 51));
        FillRect(dc, &r, back);
        DeleteObject(back);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 237, 215));
        char folder[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, folder, MAX_PATH);
        if (char* slash = strrchr(folder, '\\')) *slash = '\0';
        char text[MAX_PATH + 64];
        wsprintfA(text, "Brightvale is installed.\n\n%s", folder);
        DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "MKX_KERNEL";
    if (!RegisterClassA(&wc)) return 1;
    HWND hwnd = CreateWindowA("MKX_KERNEL", "Orelwick engine", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 480, 240, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
