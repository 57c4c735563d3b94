// The desktop shortcut, the Start-menu group and the group's shortcuts of a finished installation.
#pragma once

#include <string>

// Programs folder, "\" and GAME_DIR: the group folder, made level by level ("vendor\game" makes both).
// Records the group (short form, ending in "\"); the result has no final separator, and is empty
// when the Programs folder cannot be determined.
std::u16string MakeProgramGroup();
// The game's shortcut on the user's desktop.
void CreateDesktopShortcut();
// Game, registration, manual, read-me, home page, sponsor page and uninstall, as the texts ask.
void CreateGroupShortcuts(const std::u16string& group);
