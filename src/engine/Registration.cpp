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
#include <utility>

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

// Each value written; the first key that did not take a value is kept for the message.
struct Writer {
    std::string failedKey;
    void String(os::Handle key, const char* keyName, const char* name, const std::string& value) {
        if (!os::RegSet(key, name, os::kRegSz, value.c_str(), static_cast<std::uint32_t>(value.size() + 1)))
            Failed(keyName);
    }
    void Dword(os::Handle key, const char* keyName, const char* name, std::uint32_t value) {
        std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        if (!os::RegSet(key, name, os::kRegDword, bytes, sizeof bytes)) Failed(keyName);
    }
    void Failed(const char* keyName) {
        if (failedKey.empty()) failedKey = keyName;
    }
};

} // namespace

bool WriteRegistration(std::string* failedKey) {
    CInstaller& in = g_installer;
    Writer w;
    const std::string productName = std::string("HKEY_CURRENT_USER\\") + reg::kProductKey;
    const std::string uninstallName = std::string("HKEY_LOCAL_MACHINE\\") + registration::kUninstallKey;
    os::Handle product = os::RegCreate(os::kHkeyCurrentUser, reg::kProductKey, os::kKeyAllAccess);
    if (!product) ShowLastError();
    w.String(product, productName.c_str(), "InstallDir", in.gameDir);
    w.String(product, productName.c_str(), "CheckDisk", registration::CheckDiskValue(g_strings.GetText("CHECKDISK")));
    w.String(product, productName.c_str(), "InsertDisk", g_strings.GetText("INSERT_DISK"));
    // The phase after a restart makes the shortcuts again: it keeps the player's choice of a desktop icon.
    w.String(product, productName.c_str(), registration::kDesktopIconValue, in.createIcons ? "1" : "0");
    os::RegClose(product);

    std::string version = g_strings.GetText("VERSION_STRING");
    std::string gameExe = in.gameDir + "\\" + g_strings.GetText("GAME_EXE");
    std::vector<std::string> logged;
    installlog::Read(installlog::PathIn(in.gameDir), &logged);

    os::Handle uninstall =
        os::RegCreate(os::kHkeyLocalMachine, registration::kUninstallKey, os::kKeyAllAccess);
    const char* u = uninstallName.c_str();
    w.String(uninstall, u, "DisplayName", registration::kDisplayName);
    // Quoted: unquoted, a folder with blanks lets Windows try "C:\Program.exe" first.
    w.String(uninstall, u, "UninstallString", "\"" + in.gameDir + "\\uninstall.exe\"");
    // What administrators' tools run to remove it without a window.
    w.String(uninstall, u, "QuietUninstallString", "\"" + in.gameDir + "\\uninstall.exe\" /S");
    w.String(uninstall, u, "InstallDate", os::LocalDate());
    // The links the list of installed programs offers, when the table has them.
    for (auto [value, key] : {std::pair<const char*, const char*>{"URLInfoAbout", "URL_HOMEPAGE"}, {"HelpLink", "URL_SUPPORT"}}) {
        std::string url = g_strings.GetText(key);
        if (!url.empty()) w.String(uninstall, u, value, url);
    }
    // Beyond the two values above: what the list of installed programs shows besides a name.
    w.String(uninstall, u, "DisplayIcon", gameExe);
    w.String(uninstall, u, "DisplayVersion", version);
    w.String(uninstall, u, "Publisher", registration::kPublisher);
    w.String(uninstall, u, "InstallLocation", in.gameDir);
    w.Dword(uninstall, u, "EstimatedSize", registration::EstimatedKiB(in.gameDir, logged));
    w.Dword(uninstall, u, "NoModify", 1);
    w.Dword(uninstall, u, "NoRepair", 1);
    os::RegClose(uninstall);

    if (!WriteVersionString(version.c_str())) w.Failed(productName.c_str());
    if (failedKey) *failedKey = w.failedKey;
    return w.failedKey.empty();
}
