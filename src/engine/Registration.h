// The installation's registry entries: the product values and Windows' list of installed programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace registration {
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brightvale";
constexpr const char* kDisplayName = "Brightvale";
constexpr const char* kPublisher = "Orelwick";
// "1" or "0": whether the player chose the desktop shortcut, for the phase after a restart.
constexpr const char* kDesktopIconValue = "DesktopIcon";

// "1" only for the exact text "1".
std::string CheckDiskValue(const char* text);
// Size in KiB, rounded up, of the distinct files the entries name (relative ones inside gameDir).
std::uint32_t EstimatedKiB(const std::string& gameDir, const std::vector<std::string>& entries);
} // namespace registration

// Writes the product values under HKEY_CURRENT_USER and the uninstall entry under HKEY_LOCAL_MACHINE.
// False, with the first key that did not take its values, when a value could not be written.
bool WriteRegistration(std::string* failedKey = nullptr);
