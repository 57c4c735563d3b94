// Processes, the mutex and shortcuts on the real system.
#include "platform/Os.h"
#include "shell/CInstaller.h"
#include "shell/SystemInfo.h"
#include "support/CountingPage.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

namespace {
std::string Helper() {
    std::string path = os::ModulePath();
    path.resize(path.find_last_of('\\') + 1);
    path += "exit_with.exe";
    return path;
}

std::string HelperLine(const char* arguments) {
    std::string line = "\"";
    line += Helper();
    line += "\" ";
    line += arguments;
    return line;
}
} // namespace

TEST(Processes, StartWithAndWithoutWaiting) {
    DWORD t0 = GetTickCount();
    // The helper runs for 8 s; a start without waiting is back long before, even on a busy machine.
    EXPECT_TRUE(StartProcess(Helper().c_str(), "0 8000", false));
    EXPECT_LT(GetTickCount() - t0, 4000u) << "not waiting returns at once";
    CountingPage page;
    AddTopLevelDialog(&page);
    ShowPage(&page);
    int before = page.frames;
    t0 = GetTickCount();
    EXPECT_TRUE(StartProcess(Helper().c_str(), "3 600", true));
    EXPECT_GE(GetTickCount() - t0, 550u) << "waiting returns after the program ended";
    EXPECT_GT(page.frames, before) << "the window is kept drawing while it waits";
    g_topLevelDialogs.clear();
    g_currentPage = nullptr;
    EXPECT_FALSE(StartProcess("C:\\no\\such\\program.exe", "", false));
}

TEST(Processes, ExitCodes) {
    os::Handle p = os::StartProgram(HelperLine("7").c_str(), os::kSwShowDefault);
    ASSERT_NE(p, 0u);
    WaitForSingleObject(reinterpret_cast<HANDLE>(p), 10000);
    std::uint32_t code = 0;
    ASSERT_TRUE(os::ExitCode(p, &code));
    EXPECT_EQ(code, 7u);
    os::HandleClose(p);
    p = os::StartProgram(HelperLine("0 2000").c_str(), os::kSwShowDefault);
    ASSERT_TRUE(os::ExitCode(p, &code));
    EXPECT_EQ(code, os::kStillActive);
    TerminateProcess(reinterpret_cast<HANDLE>(p), 0);
    os::HandleClose(p);
}

TEST(Processes, NamedMutex) {
    const char* name = "Brightvale.Setup.Test.Mx";
    EXPECT_EQ(os::MutexOpen(name), 0u);
    os::Handle m = os::MutexCreate(name);
    ASSERT_NE(m, 0u);
    os::Handle other = os::MutexOpen(name);
    EXPECT_NE(other, 0u) << "a second instance sees the first";
    os::HandleClose(other);
    os::MutexRelease(m);
    os::HandleClose(m);
    EXPECT_EQ(os::MutexOpen(name), 0u) << "gone with its last handle";
}

TEST(Shortcuts, ResolveToTheirTarget) {
    CreateDirectoryW(L"C:\\bvtest", nullptr);
    CreateDirectoryW(L"C:\\bvtest\\links", nullptr);
    HANDLE f = CreateFileW(L"C:\\bvtest\\game.exe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    g_installer.installedFiles.clear();
    std::int32_t hr = g_installer.CreateShortcut(u"C:\\bvtest\\game.exe", u"Play Brightvale", u"C:\\bvtest",
                                                 u"C:\\bvtest\\links");
    EXPECT_EQ(hr, 0);
    ASSERT_EQ(g_installer.installedFiles.size(), 1u);

    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    ASSERT_TRUE(SUCCEEDED(file->Load(L"C:\\bvtest\\links\\Play Brightvale.lnk", STGM_READ)));
    wchar_t target[MAX_PATH] = {}, dir[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetWorkingDirectory(dir, MAX_PATH);
    EXPECT_EQ(_wcsicmp(target, L"C:\\bvtest\\game.exe"), 0);
    EXPECT_EQ(_wcsicmp(dir, L"C:\\bvtest"), 0);
    file->Release();
    link->Release();
    std::string recorded = g_installer.installedFiles[0];
    EXPECT_NE(GetFileAttributesA(recorded.c_str()), INVALID_FILE_ATTRIBUTES) << recorded;
    EXPECT_EQ(recorded.find(' '), std::string::npos) << "the short form: " << recorded;
}
