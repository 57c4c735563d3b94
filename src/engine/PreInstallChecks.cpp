#include "engine/PreInstallChecks.h"

#include "engine/Extractor.h"
#include "engine/InstallJournal.h"
#include "engine/InstallWorker.h"
#include "platform/Os.h"
#include "platform/OsThreads.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/Text.h"

namespace {

std::string Text(const char* key) {
    return g_strings.GetText(key);
}

std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

} // namespace

bool EnterTargetFolder() {
    CInstaller& in = g_installer;
    g_journal.Begin(in.gameDir);
    std::string here = text::Fit(os::GetCurrentDir(), text::kMaxPath);
    bool usable = os::SetCurrentDir(in.gameDir.c_str()) || g_journal.MakeDirs(in.gameDir);
    os::SetCurrentDir(here.c_str());
    if (!usable) {
        ShowInfo("%s", Text("WRONG_PATH").c_str());
        return false;
    }
    return true;
}

std::string OutOfSpaceMessage(int neededMb, std::int64_t missingMb) {
    std::string message = Text("OUT_OF_SPACE1");
    message += text::Format(kMessageChars, " %d %s ", neededMb, Text("MB").c_str());
    message += Text("OUT_OF_SPACE2");
    message += text::Format(kMessageChars, " %lld ", static_cast<long long>(missingMb));
    message += Text("OUT_OF_SPACE3");
    return message;
}

bool CheckFreeSpace() {
    std::int64_t freeMb = static_cast<std::int64_t>(FreeDiskBytes(g_installer.gameDir.c_str()) >> 20);
    int neededMb = g_strings.GetNumber("SPACE_NEED");
    if (freeMb >= neededMb) return true;
    ShowInfo("%s", OutOfSpaceMessage(neededMb, neededMb - freeMb).c_str());
    return false;
}

bool CheckFirstDisc() {
    if (FileExists("cd1")) return true;
    while (FileExists("cd2")) {
        std::string insert = Text("INSERT_DISK");
        if (!AskYesNo("%s %s", insert.c_str(), "CD1")) return false;
        if (FileExists("cd1")) return true;
    }
    return true;
}

void MainExecutablePaths(const std::string& gameDir, const std::string& sourceDir, const std::string& value,
                         std::string* source, std::string* destination) {
    *destination = text::Fit(WithSeparator(gameDir) + value, text::kMaxPath);
    std::size_t cut = value.find_last_of("\\/:");
    std::string fileName = cut == std::string::npos ? value : value.substr(cut + 1);
    *source = text::Fit(WithSeparator(sourceDir) + fileName, text::kMaxPath);
    CollapseSeparators(*source);
    CollapseSeparators(*destination);
}

void CopyMainExecutable() {
    CInstaller& in = g_installer;
    std::string value = Text("MAIN_EXECUTABLE");
    if (value.empty()) return; // nothing to copy: the name would be the target folder itself
    std::string source, destination;
    MainExecutablePaths(in.gameDir, in.sourceDir, value, &source, &destination);
    std::size_t cut = destination.find_last_of("\\/");
    if (cut != std::string::npos) g_journal.MakeDirs(destination.substr(0, cut + 1));
    // An earlier file of that name is kept aside first; if it cannot be, it is left as it is.
    if (!g_journal.PrepareFile(destination)) return;
    if (os::FileCopy(source.c_str(), destination.c_str(), false))
        os::SetFileAttrs(destination.c_str(), os::kAttrNormal);
}

bool StartCopy() {
    CInstaller& in = g_installer;
    g_progressView = &in.wndProgress;
    in.wndProgress.ResetProgress();
    ShowPage(&in.wndProgress);
    in.workerThread = os::StartThread(InstallWorkerEntry, nullptr);
    if (!in.workerThread) {
        ShowInfo("%s", "The installation cannot start: no thread for the copy.");
        ShowPage(&in.wndOptions);
        return false;
    }
    os::SetThreadPriority(in.workerThread, os::kThreadPriorityTimeCritical);
    os::SetThreadPriority(os::CurrentThread(), os::kThreadPriorityLowest);
    return true;
}

void PreInstallChecks() {
    if (!EnterTargetFolder()) return;
    if (!CheckFreeSpace()) return;
    if (!CheckFirstDisc()) return;
    ShowInfo("%s", Text("ANTIVIR_WARNING").c_str());
    CopyMainExecutable();
    BindExtractor();
    StartCopy();
}
