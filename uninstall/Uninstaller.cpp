#include "Uninstaller.h"

#include "engine/InstallLogFormat.h"
#include "engine/LinkSafety.h"
#include "platform/Os.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace uninstall {

namespace {

constexpr const char* kProductKey = "SOFTWARE\\Orelwick\\Brightvale";
constexpr const char* kVendorKey = "SOFTWARE\\Orelwick";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brightvale";
constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Runonce";
constexpr const char* kRunOnceValue = "__OrelwickAdditionalInstallation__";
// Every value the setup program writes under the product key.
constexpr const char* kProductValues[] = {"InstallDir", "CheckDisk", "InsertDisk",  "VersionString",
                                          "ExeCDPath",  "MediaDir",  "DesktopIcon", "PendingInstallDir"};
constexpr std::size_t kListedLeftovers = 12;

// What the user is told also goes to the debug output, as the setup program's messages do: support and
// the tests read it there.
void Trace(const std::string& text) {
    os::DebugText(("message: " + text + "\n").c_str());
}

// Started with /S: no window at all, what would have been shown goes to the debug output only.
bool g_quiet = false;

void Message(const std::string& text, std::uint32_t icon) {
    Trace(text);
    if (!g_quiet) os::MsgBoxA(nullptr, text.c_str(), kTitle, os::kMbOk | icon);
}

std::string FolderOf(const std::string& path) {
    std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string ShortForm(const std::string& path) {
    std::string s;
    return os::ShortPath(path.c_str(), &s) ? Normalize(s) : std::string();
}

// The plan for the folder, or a message saying why there is none (and false).
bool PlanFor(const std::string& folder, Plan* plan) {
    std::vector<std::string> entries;
    std::string log = folder + "\\" + installlog::kFileName;
    if (!installlog::Read(log, &entries)) {
        Message("There is no installation log (" + log + "), so nothing can be removed.", os::kMbIconError);
        return false;
    }
    *plan = MakePlan(folder, entries, CurrentEnvironment(folder));
    // A game folder that is itself a link is some other folder: nothing of it is the game's.
    if (plan->refusal == Refusal::None && os::IsReparsePoint(folder.c_str())) {
        plan->refusal = Refusal::UnsafeFolder;
        plan->offending = folder;
    }
    switch (plan->refusal) {
    case Refusal::None:
        return true;
    case Refusal::UnsafeFolder:
        Message("The uninstaller will not remove anything from " + plan->offending +
                    ": it is not a game folder of its own.",
                os::kMbIconError);
        return false;
    case Refusal::BadEntry:
        Message("The installation log names something outside the game folder (" + plan->offending +
                    "). Nothing has been removed.",
                os::kMbIconError);
        return false;
    case Refusal::EmptyLog:
        Message("The installation log is empty, so nothing can be removed.", os::kMbIconError);
        return false;
    }
    return false;
}

bool IsFolder(const std::string& path, bool* exists) {
    std::vector<os::DirEntry> found = os::ListDir(path.c_str());
    *exists = found.size() == 1;
    return *exists && found[0].isDir;
}

// Deletes a file; the uninstaller the user started may take a moment to end, so its file is tried
// again for a while and, failing that, goes at the next restart.
bool RemoveFile(const std::string& path, bool mayBeRunning) {
    if (!os::FindFirstExists(path.c_str())) return true;
    os::SetFileAttrs(path.c_str(), os::kAttrNormal);
    for (int attempt = 0; attempt < (mayBeRunning ? 50 : 1); ++attempt) {
        if (os::FileDelete(path.c_str())) return true;
        if (mayBeRunning) os::Sleep(100);
    }
    return mayBeRunning && os::DeleteAtReboot(path.c_str());
}

bool SamePath(const std::string& a, const std::string& b) {
    return IsWithin(a, b) && IsWithin(b, a);
}

// Files and folders left in the folder (recursively, but never into a link), install.log aside.
void Leftovers(const std::string& folder, std::vector<std::string>* out) {
    std::string pattern = folder + "\\*.*";
    for (const os::DirEntry& e : os::ListDir(pattern.c_str())) {
        if (e.name == "." || e.name == "..") continue;
        std::string path = folder + "\\" + e.name;
        if (e.isDir && !os::IsReparsePoint(path.c_str())) {
            std::size_t before = out->size();
            Leftovers(path, out);
            if (out->size() == before) out->push_back(path + "\\");
        } else {
            out->push_back(path);
        }
    }
}

void DeleteValues(std::uint32_t root, const char* key, std::initializer_list<const char*> names) {
    os::Handle k = os::RegOpen(root, key, os::kKeyAllAccess);
    if (!k) return;
    for (const char* name : names)
        os::RegRemoveValue(k, name);
    os::RegClose(k);
}

// Deletes the key when nothing is left in it.
void DeleteKeyIfEmpty(std::uint32_t root, const char* key) {
    os::Handle k = os::RegOpen(root, key, os::kKeyQueryValue);
    if (!k) return;
    std::uint32_t subKeys = 1, values = 1;
    bool empty = os::RegCounts(k, &subKeys, &values) && subKeys == 0 && values == 0;
    os::RegClose(k);
    if (empty) os::RegRemoveKey(root, key);
}

// The registry entries of the installation, when they belong to this folder: a later installation
// elsewhere keeps its own.
void RemoveRegistration(const std::string& folder, const std::string& shortFolder) {
    char installDir[261] = {};
    std::uint32_t size = sizeof installDir - 1, type = 0;
    os::Handle product = os::RegOpen(os::kHkeyCurrentUser, kProductKey, os::kKeyQueryValue);
    bool recorded = product && os::RegQuery(product, "InstallDir", installDir, &size, &type);
    os::RegClose(product);
    std::string dir(installDir, strnlen(installDir, size));
    if (recorded && !SamePath(dir, folder) && !(shortFolder.size() && SamePath(dir, shortFolder))) return;

    os::Handle k = os::RegOpen(os::kHkeyCurrentUser, kProductKey, os::kKeyAllAccess);
    if (k) {
        for (const char* name : kProductValues)
            os::RegRemoveValue(k, name);
        os::RegClose(k);
    }
    DeleteKeyIfEmpty(os::kHkeyCurrentUser, kProductKey);
    DeleteKeyIfEmpty(os::kHkeyCurrentUser, kVendorKey);
    DeleteValues(os::kHkeyLocalMachine, kUninstallKey,
                 {"DisplayName", "UninstallString", "DisplayIcon", "DisplayVersion", "Publisher",
                  "InstallLocation", "EstimatedSize", "NoModify", "NoRepair", "QuietUninstallString",
                  "InstallDate", "URLInfoAbout", "HelpLink"});
    DeleteKeyIfEmpty(os::kHkeyLocalMachine, kUninstallKey);
    DeleteValues(os::kHkeyCurrentUser, kRunOnceKey, {kRunOnceValue});
}

std::string Unquoted(std::string s) {
    while (!s.empty() && s.front() == ' ')
        s.erase(0, 1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n'))
        s.pop_back();
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

// The working copy's part: everything is removed from here.
int Remove(const std::string& modulePath, const std::string& folder) {
    // Nothing of the copy stays: it goes at the next restart of Windows.
    os::DeleteAtReboot(modulePath.c_str());
    os::SetCurrentDir(FolderOf(modulePath).c_str()); // not the game folder, which is to go
    Plan plan;
    if (!PlanFor(folder, &plan)) return 1;

    std::string uninstaller = Normalize(folder + "\\uninstall.exe");
    std::string shortFolder = ShortForm(folder);
    std::vector<std::string> left;
    for (const std::string& path : plan.remove) {
        // Inside the game folder nothing is removed through a link: a logged link goes itself, what a
        // link leads to stays, even when the log names it.
        bool inShortForm = !shortFolder.empty() && IsWithin(path, shortFolder);
        if (IsWithin(path, folder) || inShortForm) {
            links::Reach reach = links::Check(inShortForm && !IsWithin(path, folder) ? shortFolder : folder, path);
            if (reach == links::Reach::Link && !os::RemoveLink(path.c_str())) left.push_back(path);
            if (reach == links::Reach::ThroughLink && os::FindFirstExists(path.c_str())) left.push_back(path);
            if (reach != links::Reach::Direct) continue;
        }
        bool exists = false;
        if (IsFolder(path, &exists)) {
            // A folder goes only when empty: what the player put there stays, and so does the folder.
            os::SetFileAttrs(path.c_str(), os::kAttrNormal);
            os::RemoveDir(path.c_str());
        } else if (exists && !RemoveFile(path, SamePath(path, uninstaller))) {
            left.push_back(path);
        }
    }
    std::string log = folder + "\\" + installlog::kFileName;
    os::SetFileAttrs(log.c_str(), os::kAttrNormal);
    os::FileDelete(log.c_str());
    RemoveFile(uninstaller, true); // also when the log did not name it
    Leftovers(folder, &left);
    os::SetFileAttrs(folder.c_str(), os::kAttrNormal);
    os::RemoveDir(folder.c_str());

    RemoveRegistration(folder, ShortForm(folder));

    for (const std::string& s : plan.skipped) {
        bool exists = false;
        IsFolder(s, &exists);
        if (exists) left.push_back(s);
    }
    std::string text = "Brightvale has been removed from your computer.";
    if (!left.empty()) {
        text += "\n\nThese were not installed by the setup program, or could not be removed, and have been "
                "left as they are:\n";
        for (std::size_t i = 0; i < left.size() && i < kListedLeftovers; ++i)
            text += "\n" + left[i];
        if (left.size() > kListedLeftovers)
            text += "\n... and " + std::to_string(left.size() - kListedLeftovers) + " more";
    }
    Message(text, os::kMbIconInformation);
    return 0;
}

} // namespace

Environment CurrentEnvironment(const std::string& gameFolder) {
    Environment env;
    auto special = [](int csidl) {
        std::u16string wide;
        return os::SpecialFolderWide(csidl, &wide) ? os::WideToAnsi(wide) : std::string();
    };
    // Each folder also in its short form: shortcuts are logged that way.
    auto both = [](std::vector<std::string>& list, const std::string& path) {
        if (path.empty()) return;
        list.push_back(Normalize(path));
        std::string s = ShortForm(path);
        if (!s.empty()) list.push_back(s);
    };
    for (int csidl : {os::kCsidlWindows, os::kCsidlSystem, os::kCsidlProgramFiles, os::kCsidlProgramFilesX86,
                      os::kCsidlProfile, os::kCsidlDesktopDirectory, os::kCsidlPrograms, os::kCsidlStartMenu,
                      os::kCsidlCommonPrograms, os::kCsidlCommonDesktopDirectory})
        both(env.systemFolders, special(csidl));
    std::string profile = special(os::kCsidlProfile);
    if (!profile.empty()) both(env.profilesFolders, FolderOf(Normalize(profile)));
    for (int csidl : {os::kCsidlDesktopDirectory, os::kCsidlCommonDesktopDirectory, os::kCsidlStartMenu,
                      os::kCsidlPrograms, os::kCsidlCommonPrograms})
        both(env.shortcutFolders, special(csidl));
    for (int csidl : {os::kCsidlPrograms, os::kCsidlCommonPrograms})
        both(env.groupFolders, special(csidl));
    std::string s = ShortForm(gameFolder);
    if (!s.empty()) env.gameFolderForms.push_back(s);
    return env;
}

std::string WorkingFolder(const char* commandLine) {
    std::string line = commandLine ? commandLine : "";
    std::size_t at = line.find(kRemoveSwitch);
    if (at == std::string::npos) return std::string();
    return Unquoted(line.substr(at + std::strlen(kRemoveSwitch)));
}

bool QuietSwitch(const char* commandLine) {
    std::string line = commandLine ? commandLine : "";
    // The working copy's folder follows its switch and may hold anything.
    std::size_t at = line.find(kRemoveSwitch);
    if (at != std::string::npos) line.resize(at);
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        std::size_t end = i;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])))
            ++end;
        if (line.compare(i, end - i, kQuietSwitch) == 0) return true;
        i = end;
    }
    return false;
}

int Run(const std::string& modulePath, const char* commandLine) {
    g_quiet = QuietSwitch(commandLine);
    std::string working = WorkingFolder(commandLine);
    if (!working.empty()) return Remove(modulePath, Normalize(working));

    std::string folder = Normalize(FolderOf(modulePath));
    Plan plan;
    if (!PlanFor(folder, &plan)) return 1;
    const char* question = "Remove Brightvale from this computer?\n\nEverything the setup program installed is "
                           "removed; files you made yourself, such as saved games, are kept.";
    Trace(question);
    // Started quietly, the one who started it has answered already.
    if (!g_quiet && os::MsgBoxA(nullptr, question, kTitle, os::kMbYesNo | os::kMbIconQuestion) != os::kIdYes)
        return 0;

    std::string temp = os::TempPath();
    std::string copy = temp.empty() ? std::string() : os::TempFileName(temp.c_str(), "$un");
    if (!copy.empty() && os::FileCopy(modulePath.c_str(), copy.c_str(), false)) {
        std::string command = "\"" + copy + "\" " + (g_quiet ? std::string(kQuietSwitch) + " " : std::string()) +
                              kRemoveSwitch + " \"" + folder + "\"";
        if (os::Handle process = os::StartProgram(command.c_str(), os::kSwShowNormal)) {
            if (!g_quiet) return 0;
            // A script that removes the game quietly waits for this process and reads its code: the
            // copy's.
            std::uint32_t code = os::kStillActive;
            while (os::ExitCode(process, &code) && code == os::kStillActive)
                os::Sleep(100);
            return code == os::kStillActive ? 1 : static_cast<int>(code);
        }
    }
    // Without a copy the work is done from here; this file and its folder then go at the next restart.
    if (!copy.empty()) os::FileDelete(copy.c_str());
    int code = Remove(modulePath, folder);
    os::DeleteAtReboot(folder.c_str());
    return code;
}

} // namespace uninstall
