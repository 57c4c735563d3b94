// The sample game's window, whose appearance ends the installer.
#include "platform/Os.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

TEST(SampleGame, OpensItsEngineWindow) {
    std::string self = os::ModulePath();
    std::string game = self.substr(0, self.find_last_of('\\')) + "\\Brightvale.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = "\"" + game + "\"";
    ASSERT_TRUE(
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    HWND window = nullptr;
    for (int i = 0; i < 100 && !window; ++i) {
        window = FindWindowA("MKX_KERNEL", "Orelwick engine");
        if (!window) Sleep(100);
    }
    EXPECT_NE(window, nullptr);
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}
