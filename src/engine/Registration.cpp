#include "engine/Registration.h"

#include "engine/InstallLog.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/MessageBoxes.h"
#include "shell/Registry.h"

#include <cctype>
#include <cstring>
#include <set>

namespace registration {

std::string CheckDiskValue(const char* text) {
    return std::strcmp(text, "1") == 0 ? "1" : "0";
}

static std::uint64_t FileBytes(const std::string& path) {
    std::vector<os::DirEntry> found = os::ListDir(path.c_str());
    if (found.size() != 1 || found[0].isDir) return 0;
    FILE* f = os::OpenFile(path.c_str(), "rb");
    if (!f) return 0;
    std::uint64_t bytes = 0;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long end = std::ftell(f);
        if (end > 0) bytes = static_cast<std::uint64_t>(end);
    }
    std::fclose(f);
    return bytes;
}

std::uint32_t EstimatedKiB(const std::string& gameDir, const std::vector<std::string>& entries) {
    std::set<std::string> seen;
    std::uint64_t bytes = 0;
    for (const std::string& e : entries) {
        // Patterns would count whatever they match; no entry of ours holds one.
        if (e.find_first_of("*?") != std::string::npos) continue;
        std::string path = installlog::IsAbsoluteEntry(e) ? e : gameDir + "\\" + e;
        std::string key = path;
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!seen.insert(key).second) continue;
        bytes += FileBytes(path);
    }
    std::uint64_t kib = (bytes + 1023) / 1024;
    return kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kib);
}

} // namespace registration

namespace {

void SetString(os::Handle key, const char* name, const std::string& value) {
    os::RegSet(key, name, os::kRegSz, value.c_str(), static_cast<std::uint32_t>(value.size() + 1));
}

void SetDword(os::Handle key, const char* name, std::uint32_t value) {
    std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    os::RegSet(key, name, os::kRegDword, bytes, sizeof bytes);
}

} // namespace

void WriteRegistration() {
    CInstaller& in = g_installer;
    os::Handle product = os::RegCreate(os::kHkeyCurrentUser, reg::kProductKey, os::kKeyAllAccess);
    if (!product) ShowLastError();
    SetString(product, "InstallDir", in.gameDir);
    SetString(product, "CheckDisk", registration::CheckDiskValue(g_strings.GetText("CHECKDISK")));
    SetString(product, "InsertDisk", g_strings.GetText("INSERT_DISK"));
    os::RegClose(product);

    std::string version = g_strings.GetText("VERSION_STRING");
    std::string gameExe = in.gameDir + "\\" + g_strings.GetText("GAME_EXE");
    std::vector<std::string> logged;
    installlog::Read(installlog::PathIn(in.gameDir), &logged);

    os::Handle uninstall =
        os::RegCreate(os::kHkeyLocalMachine, registration::kUninstallKey, os::kKeyAllAccess);
    SetString(uninstall, "DisplayName", registration::kDisplayName);
    SetString(uninstall, "UninstallString", in.gameDir + "\\uninstall.exe");
    // Beyond the two values above: what the list of installed programs shows besides a name.
    SetString(uninstall, "DisplayIcon", gameExe);
    SetString(uninstall, "DisplayVersion", version);
    SetString(uninstall, "Publisher", registration::kPublisher);
    SetString(uninstall, "InstallLocation", in.gameDir);
    SetDword(uninstall, "EstimatedSize", registration::EstimatedKiB(in.gameDir, logged));
    SetDword(uninstall, "NoModify", 1);
    SetDword(uninstall, "NoRepair", 1);
    os::RegClose(uninstall);

    WriteVersionString(version.c_str());
}
