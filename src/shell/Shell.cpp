// Folder browser, documents, special folders and shortcuts.
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/MessageBoxes.h"
#include "shell/Shell.h"
#include "shell/SystemInfo.h"
#include "shell/Text.h"

void CInstaller::BrowseForGameDir() {
    bool wide = HasNewShell();
    std::u16string title = wide ? std::u16string(g_strings.GetWideText("SELECT_DIRECTORY"))
                                : os::AnsiToWide(g_strings.GetText("SELECT_DIRECTORY"));
    std::u16string chosen;
    if (os::BrowseForFolder(hwnd, title,
                            os::kBifReturnOnlyFsDirs | os::kBifReturnFsAncestors | os::kBifNewDialogStyle,
                            wide, &chosen) &&
        chosen.size() > 2 && chosen[1] == u':') {
        std::string folder = os::WideToAnsi(chosen);
        if (folder.back() != '\\') folder += '\\';
        gameDir = text::Fit(folder + g_strings.GetText("GAME_DIR"), text::kMaxPath);
    }
    wndOptions.RefreshFolderBox();
}

void CInstaller::OpenHomepage() {
    os::ShellOpen(hwnd, homepageUrl.c_str());
}

void CInstaller::OpenReadme() {
    os::ShellOpen(hwnd, g_strings.GetText("README"));
}

static std::u16string SpecialFolder(int csidl) {
    std::u16string path;
    if (!os::SpecialFolderWide(csidl, &path)) {
        ShowLastError();
        return std::u16string();
    }
    return path;
}

std::u16string GetDesktopFolder() {
    return SpecialFolder(os::kCsidlDesktopDirectory);
}
std::u16string GetProgramsFolder() {
    return SpecialFolder(os::kCsidlPrograms);
}

std::int32_t CInstaller::CreateShortcut(const std::u16string& target, const std::u16string& name,
                                        const std::u16string& workingDir, const std::u16string& folder) {
    std::u16string file = folder + u"\\" + name + u".lnk";
    bool wide = HasNewShell();
    os::ShellLinkResult r = os::SaveShellLink(wide, target, name, workingDir, file);
    if (r.created && !wide && r.result < 0) ShowLastError();
    RecordInstalledFile(file, true);
    return r.result;
}

void CInstaller::RecordInstalledFile(const std::u16string& path, bool record) {
    if (!record) return;
    std::u16string shortWide;
    std::string entry;
    if (os::ShortPathWide(path, &shortWide)) {
        entry = os::WideToAnsi(shortWide);
    } else {
        std::string ansi = os::WideToAnsi(path);
        // Without a short form (the file could not be made) the long form is still worth removing later.
        if (!os::ShortPath(ansi.c_str(), &entry)) entry = ansi;
    }
    installedFiles.push_back(text::Fit(entry, text::kMaxPath));
}
