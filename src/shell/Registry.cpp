#include "shell/Registry.h"

#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/Language.h"
#include "shell/Text.h"

#include <cctype>
#include <cstring>

namespace reg {

ReadResult ReadString(std::uint32_t root, const char* key, const char* name, std::string* out) {
    os::Handle k = os::RegOpen(root, key, os::kKeyQueryValue);
    if (!k) return ReadResult::NoKey;
    char buffer[kValueBytes + 1] = {};
    std::uint32_t size = kValueBytes;
    std::uint32_t type = 0;
    bool ok = os::RegQuery(k, name, buffer, &size, &type);
    os::RegClose(k);
    if (!ok) return ReadResult::NoValue;
    // A value stored without its terminating zero ends at its size.
    *out = std::string(buffer, strnlen(buffer, size));
    return ReadResult::Ok;
}

bool WriteString(std::uint32_t root, const char* key, const char* name, const std::string& value) {
    os::Handle k = os::RegCreate(root, key, os::kKeyAllAccess);
    if (!k) return false;
    bool ok = os::RegSet(k, name, os::kRegSz, value.c_str(), static_cast<std::uint32_t>(value.size() + 1));
    os::RegClose(k);
    return ok;
}

} // namespace reg

bool IsFirstDiscDrive(const std::string& drive) {
    if (!(drive.size() == 2 || (drive.size() == 3 && drive[2] == '\\')) || drive[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(drive[0])))
        return false;
    std::string root = drive.substr(0, 2) + "\\";
    return os::DriveType(root.c_str()) == os::kDriveCdrom && FileExists((root + "cd1").c_str());
}

const char* ReadInstallDir() {
    static char buffer[reg::kValueBytes];
    std::string value;
    if (reg::ReadString(os::kHkeyCurrentUser, reg::kProductKey, "InstallDir", &value) != reg::ReadResult::Ok)
        return nullptr;
    // A value of the buffer's full size has no room left for the zero: it loses its last character.
    std::string fitted = text::Fit(value, sizeof buffer);
    // Any program of the user's can write the value, and an elevated one acts on it: a folder of another
    // form than the installer writes counts as none.
    if (!IsPlainAbsoluteFolder(fitted)) return nullptr;
    std::memcpy(buffer, fitted.c_str(), fitted.size() + 1);
    return buffer;
}

bool WriteVersionString(const char* text) {
    return reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "VersionString", text);
}

bool CInstaller::ReadExeCDPath() {
    std::string value;
    reg::ReadResult r = reg::ReadString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", &value);
    // Only a CD-ROM drive that holds the first disc counts: anything else is as if the value were missing.
    if (r == reg::ReadResult::Ok && IsFirstDiscDrive(value)) cdDrive = value;
    return r != reg::ReadResult::NoKey;
}

void CInstaller::WriteExeCDPath() {
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", cdDrive);
}

bool CInstaller::ReadMediaDir() {
    std::string value;
    reg::ReadResult r = reg::ReadString(os::kHkeyCurrentUser, reg::kProductKey, "MediaDir", &value);
    // One of the media folders the installer knows, or as if missing.
    for (const char* folder : kMediaFolders)
        if (r == reg::ReadResult::Ok && value == folder) mediaDir = value;
    return r != reg::ReadResult::NoKey;
}

void CInstaller::DefaultGameDir() {
    std::string programFiles;
    reg::ReadString(os::kHkeyLocalMachine, reg::kWindowsKey, "ProgramFilesDir", &programFiles);
    gameDir = programFiles + "\\" + g_strings.GetText("GAME_DIR");
}
