// Shared include of the Win32 back end.
#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace os::win32 {
// The main window's own message for a title in UTF-16 (lParam: the text).
constexpr UINT kWmSetWideTitle = WM_APP + 0x51;
inline const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::u16string U16(const wchar_t* s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s));
}
} // namespace os::win32
