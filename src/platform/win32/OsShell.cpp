#include "platform/Os.h"
#include "platform/win32/Win32.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace os {

bool SpecialFolderWide(int csidl, std::u16string* path) {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return false;
    *path = win32::U16(buffer);
    return true;
}

void ShellOpen(Window owner, const char* file) {
    ShellExecuteA(static_cast<HWND>(owner), "open", file, nullptr, nullptr, SW_SHOWNORMAL);
}

bool BrowseForFolder(Window owner, const std::u16string& title, std::uint32_t flags, bool wide,
                     std::u16string* chosen) {
    LPITEMIDLIST item = nullptr;
    if (wide) {
        BROWSEINFOW info = {};
        info.hwndOwner = static_cast<HWND>(owner);
        info.lpszTitle = win32::W(title);
        info.ulFlags = flags;
        item = SHBrowseForFolderW(&info);
    } else {
        std::string narrow = WideToAnsi(title);
        BROWSEINFOA info = {};
        info.hwndOwner = static_cast<HWND>(owner);
        info.lpszTitle = narrow.c_str();
        info.ulFlags = flags;
        item = SHBrowseForFolderA(&info);
    }
    if (!item) return false;
    bool ok = false;
    if (wide) {
        wchar_t buffer[MAX_PATH] = {};
        ok = SHGetPathFromIDListW(item, buffer) != 0;
        if (ok) *chosen = win32::U16(buffer);
    } else {
        char buffer[MAX_PATH] = {};
        ok = SHGetPathFromIDListA(item, buffer) != 0;
        if (ok) *chosen = AnsiToWide(buffer);
    }
    CoTaskMemFree(item);
    return ok;
}

ShellLinkResult SaveShellLink(bool wide, const std::u16string& target, const std::u16string& description,
                              const std::u16string& workingDir, const std::u16string& linkFile) {
    CoInitialize(nullptr);
    HRESULT hr;
    IPersistFile* file = nullptr;
    if (wide) {
        IShellLinkW* link = nullptr;
        hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link));
        if (FAILED(hr)) return {false, static_cast<std::int32_t>(hr)};
        link->SetPath(win32::W(target));
        link->SetDescription(win32::W(description));
        link->SetWorkingDirectory(win32::W(workingDir));
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (SUCCEEDED(hr)) {
            hr = file->Save(win32::W(linkFile), TRUE);
            file->Release();
        }
        link->Release();
    } else {
        IShellLinkA* link = nullptr;
        hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link));
        if (FAILED(hr)) return {false, static_cast<std::int32_t>(hr)};
        link->SetPath(WideToAnsi(target).c_str());
        link->SetDescription(WideToAnsi(description).c_str());
        link->SetWorkingDirectory(WideToAnsi(workingDir).c_str());
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (SUCCEEDED(hr)) {
            // IPersistFile::Save always takes a wide name.
            hr = file->Save(win32::W(linkFile), TRUE);
            file->Release();
        }
        link->Release();
    }
    return {true, static_cast<std::int32_t>(hr)};
}

} // namespace os
