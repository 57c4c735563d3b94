#include "engine/Shortcuts.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/Shell.h"

namespace {

std::u16string Wide(const char* key) {
    return g_strings.GetWideText(key);
}

std::u16string GameFolder() {
    return os::AnsiToWide(g_installer.gameDir.c_str());
}

std::u16string GamePath() {
    return GameFolder() + u"\\" + Wide("GAME_EXE");
}

} // namespace

std::u16string MakeProgramGroup() {
    std::u16string programs = GetProgramsFolder();
    // Without the Programs folder the group would land in the root of the current drive.
    if (programs.empty()) return programs;
    std::u16string group = programs;
    group += u'\\';
    std::u16string name = Wide("GAME_DIR");
    std::size_t slash = name.find(u'\\');
    if (slash == std::u16string::npos) {
        group += name;
    } else {
        group += name.substr(0, slash);
        MakeDirsWide(group);
        group += u'\\';
        group.append(name, slash + 1);
    }
    MakeDirsWide(group);
    // Only the innermost folder is the installation's: the vendor folder may hold other games.
    std::u16string recorded = group;
    recorded += u'\\';
    g_installer.RecordInstalledFile(recorded, true);
    return group;
}

void CreateDesktopShortcut() {
    std::u16string desktop = GetDesktopFolder();
    if (desktop.empty()) return; // the shortcut would land in the root of the current drive
    g_installer.CreateShortcut(GamePath(), Wide("GAME_ICON_DESCR"), GameFolder(), desktop);
}

void CreateGroupShortcuts(const std::u16string& group) {
    if (group.empty()) return;
    CInstaller& in = g_installer;
    std::u16string folder = GameFolder();
    in.CreateShortcut(GamePath(), Wide("GAME_ICON_DESCR"), folder, group);
    struct Optional {
        const char* key;
        const char* name;
        bool address; // an address, not a file of the game folder
    };
    static const Optional optional[] = {
        {"GAME_REGISTER", "REGISTER_ICON_DESCR", false},
        {"MANUAL", "MANUAL_ICON_DESCR", false},
        {"README", "README_ICON_DESCR", false},
        {"URL_HOMEPAGE", "SITE_ICON_DESCR", true},
        {"URL_SPONSOR_HOMEPAGE", "SPONSOR_SITE_ICON_DESCR", true},
    };
    for (const Optional& o : optional) {
        std::u16string value = Wide(o.key);
        if (value.empty()) continue;
        in.CreateShortcut(o.address ? value : folder + u"\\" + value, Wide(o.name), folder, group);
    }
    in.CreateShortcut(folder + u"\\uninstall.exe", Wide("UNINSTALL"), folder, group);
}
