// The Windows half of the extraction benchmark, run under Wine by bench/wine_extract.sh: our
// unrar.dll through ExtractPackage against xcopy of the same tree in the same prefix, round by round,
// best round each. xcopy's figure includes starting xcopy.exe; the start alone (xcopy of an empty
// folder) is printed beside it.
//
//   bench_extract_win.exe [rounds] [folder]
//
// And the floor of any Windows program's copy under Wine, for bench/whole_install.sh: a tree copied
// with nothing but CreateFile, ReadFile and WriteFile of 1 MiB (no checksum, no archive, no window),
// its time in the process printed in seconds:
//
//   bench_extract_win.exe copy FROM TO
#include "BenchTree.h"
#include "engine/Extractor.h"
#include "engine/InstallDescription.h"
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/Files.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

double Timed(const std::function<bool()>& run) {
    auto t0 = std::chrono::steady_clock::now();
    if (!run()) {
        std::printf("win64 error: a run failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// xcopy of a folder tree, started as a program and waited for.
bool Xcopy(const std::string& from, const std::string& to) {
    std::string commandLine = "xcopy \"";
    commandLine += from;
    commandLine += "\" \"";
    commandLine += to;
    commandLine += "\" /E /I /Q /Y";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

// The plainest copy of one file: 1 MiB reads and writes, into a new file (replacing one truncates it,
// which makes its close wait for the write-back under Wine).
bool PlainCopyFile(const std::string& from, const std::string& to, std::vector<char>& buffer) {
    HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = out != INVALID_HANDLE_VALUE;
    DWORD got = 0, put = 0;
    while (ok && ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
        ok = WriteFile(out, buffer.data(), got, &put, nullptr) && put == got;
    if (out != INVALID_HANDLE_VALUE) ok = CloseHandle(out) && ok;
    CloseHandle(in);
    return ok;
}

bool PlainCopyTree(const std::string& from, const std::string& to, std::vector<char>& buffer) {
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = PlainCopyTree(from + "\\" + name, to + "\\" + name, buffer);
        else
            ok = PlainCopyFile(from + "\\" + name, to + "\\" + name, buffer);
    } while (ok && FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "copy") {
        std::vector<char> buffer(1 << 20);
        double t = Timed([&] { return PlainCopyTree(argv[2], argv[3], buffer); });
        std::printf("%.3f\n", t);
        return 0;
    }
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string root = argc > 2 ? argv[2] : "C:\\bvbench";
    DeleteTree(root.c_str());
    for (const char* sub : {"", "\\src", "\\src\\data", "\\empty"})
        CreateDirectoryA((root + sub).c_str(), nullptr);
    bench::Tree tree = bench::MakeTree();
    std::string archive = root + "\\bench.rar";
    if (!bench::WriteTree(tree, root + "\\src\\data", archive, '\\')) {
        std::printf("win64 error: cannot write the data set\n");
        return 1;
    }
    std::string self = os::ModulePath();
    std::string dll = self.substr(0, self.find_last_of('\\')) + "\\unrar.dll";
    if (!CopyFileA(dll.c_str(), (os::TempPath() + "unrar.dll").c_str(), FALSE)) {
        std::printf("win64 error: no unrar.dll beside the program\n");
        return 1;
    }
    BindExtractor();
    if (!ExtractorBound()) {
        std::printf("win64 error: unrar.dll does not bind\n");
        return 1;
    }
    std::string out = root + "\\out", xout = root + "\\xout";
    g_installer.gameDir = out;
    double standin = 1e30, xcopy = 1e30, start = 1e30, plain = 1e30;
    std::vector<char> buffer(1 << 20);
    std::string pout = root + "\\pout";
    for (int r = 0; r < rounds; ++r) {
        DeleteTree(out.c_str());
        CreateDirectoryA(out.c_str(), nullptr);
        standin = std::min(standin, Timed([&] {
                               g_installer.installedFiles.clear();
                               g_bytesDone = 0;
                               g_bytesTotal = static_cast<std::int64_t>(tree.total);
                               return ExtractPackage(archive.c_str(), out.c_str()) &&
                                      g_bytesDone == static_cast<std::int64_t>(tree.total);
                           }));
        DeleteTree(xout.c_str());
        xcopy = std::min(xcopy, Timed([&] { return Xcopy(root + "\\src", xout); }));
        DeleteTree(pout.c_str());
        plain = std::min(plain, Timed([&] { return PlainCopyTree(root + "\\src", pout, buffer); }));
        DeleteTree((root + "\\xempty").c_str());
        start = std::min(start, Timed([&] { return Xcopy(root + "\\empty", root + "\\xempty"); }));
    }
    DeleteTree(root.c_str());
    double mib = static_cast<double>(tree.total) / (1 << 20);
    std::printf("win64_standin_mib_per_s: %.1f\n", mib / standin);
    std::printf("win64_xcopy_mib_per_s: %.1f\n", mib / xcopy);
    std::printf("win64_xcopy_start_s: %.3f\n", start);
    std::printf("win64_standin_vs_xcopy: %.3f\n", xcopy / standin);
    std::printf("win64_plain_mib_per_s: %.1f\n", mib / plain);
    std::printf("win64_standin_vs_plain: %.3f\n", standin / plain);
    return 0;
}
