#include "engine/Extractor.h"

#include "engine/InstallDescription.h"
#include "engine/MemberNames.h"
#include "engine/ProgressView.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Files.h"
#include "shell/MessageBoxes.h"
#include "shell/SetupLog.h"
#include "shell/Text.h"

#include <cstring>

IProgressView* g_progressView = nullptr;

namespace {

struct EntryPoints {
    extractor::OpenArchiveFn open = nullptr;
    extractor::CloseArchiveFn close = nullptr;
    extractor::ReadHeaderFn readHeader = nullptr;
    extractor::ProcessFileFn processFile = nullptr;
    extractor::SetChangeVolProcFn setChangeVolProc = nullptr;
    extractor::SetProcessDataProcFn setProcessDataProc = nullptr;
    extractor::SetPasswordFn setPassword = nullptr;
};

EntryPoints g_lib;
// One package is processed at a time, so one copy of each record suffices.
extractor::OpenArchiveData g_openData;
extractor::HeaderData g_header;
char g_comment[16384];

template <typename Fn> void Lookup(os::Handle library, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(os::LibrarySymbol(library, name));
}

} // namespace

bool ExtractorBound() {
    return g_lib.open && g_lib.close && g_lib.readHeader && g_lib.processFile && g_lib.setProcessDataProc;
}

void UnbindExtractor() {
    g_lib = EntryPoints();
}

std::string ExtractorLibraryPath() {
    // Beside the running program: the relaunched copy's own folder, which only the user and the
    // administrators can write, never the temporary folder every program of the user's can.
    std::string path = text::Fit(ModuleFolder() + "\\unrar.dll", text::kMaxPath);
    CollapseSeparators(path);
    return path;
}

void BindExtractor() {
    std::string path = ExtractorLibraryPath();
    os::Handle library = os::LoadLibraryPath(path.c_str());
    if (!library) {
        // Owned by the window: the wizard under it takes no click until it is answered.
        os::DebugText(("message: " + path + "\n").c_str());
        os::MsgBoxA(g_installer.hwnd, path.c_str(), "Install: Cannot find library", os::kMbOk);
        return;
    }
    Lookup(library, "RAROpenArchive", &g_lib.open);
    Lookup(library, "RARCloseArchive", &g_lib.close);
    Lookup(library, "RARReadHeader", &g_lib.readHeader);
    Lookup(library, "RARProcessFile", &g_lib.processFile);
    Lookup(library, "RARSetChangeVolProc", &g_lib.setChangeVolProc);
    Lookup(library, "RARSetProcessDataProc", &g_lib.setProcessDataProc);
    Lookup(library, "RARSetPassword", &g_lib.setPassword);
}

int BV_EXTRACTOR_CALL OnExtractData(unsigned char*, int size) {
    CInstaller& in = g_installer;
    while (in.confirmShowing)
        os::Sleep(10);
    if (in.cancelConfirmed) return 0;
    std::int64_t done = g_bytesDone += size;
    float fraction = ProgressFraction(done, g_bytesTotal);
    g_progressFraction = fraction;
    if (g_progressView) g_progressView->SetProgress(fraction);
    return 1;
}

bool ExtractPackage(const char* package, const char* destinationOem) {
    CInstaller& in = g_installer;
    // Without the library every package fails the same way as one that cannot be opened.
    void* archive = nullptr;
    if (ExtractorBound()) {
        std::memset(&g_openData, 0, sizeof g_openData);
        g_openData.ArcName = const_cast<char*>(package);
        g_openData.OpenMode = extractor::kOpenExtract;
        g_openData.CmtBuf = g_comment;
        g_openData.CmtBufSize = sizeof g_comment;
        archive = g_lib.open(&g_openData);
    }
    if (!archive) {
        ShowInfo("Cannot process package: %s.", package);
        return false;
    }
    g_header.CmtBuf = nullptr;
    g_lib.setProcessDataProc(archive, OnExtractData);
    in.installedFiles.push_back(in.gameDir + "\\");

    std::string destination = destinationOem;
    bool ok = true;
    int r = g_lib.readHeader(archive, &g_header);
    while (r == extractor::kSuccess) {
        if (!std::memchr(g_header.FileName, '\0', sizeof g_header.FileName)) {
            ok = false; // longer than the record holds
            break;
        }
        // A name that leaves the target folder is neither written nor recorded.
        if (!MemberNameIsSafe(g_header.FileName)) {
            ShowInfo("Unpack error: %d (File: %s)", extractor::kECreate, g_header.FileName);
            ok = false;
            break;
        }
        in.installedFiles.push_back(os::OemToAnsiText(g_header.FileName));
        int code = g_lib.processFile(archive, extractor::kExtract, destination.data(), nullptr);
        // Cut short by a cancel: not complete, though the player needs no message for it.
        if (in.cancelConfirmed) {
            ok = false;
            break;
        }
        if (code != extractor::kSuccess) {
            ShowInfo("Unpack error: %d (File: %s)", code, g_header.FileName);
            ok = false;
            break;
        }
        if (setuplog::IsOpen()) setuplog::Line("file", in.gameDir + "\\" + os::OemToAnsiText(g_header.FileName));
        r = g_lib.readHeader(archive, &g_header);
    }
    // The end of the archive ends the package; any other header error is a damaged package, which
    // must not pass for a complete one.
    if (ok && r != extractor::kSuccess && r != extractor::kEndArchive) {
        ShowInfo("Unpack error: %d (File: %s)", r, package);
        ok = false;
    }
    g_lib.setProcessDataProc(archive, nullptr);
    g_lib.close(archive);
    return ok;
}
