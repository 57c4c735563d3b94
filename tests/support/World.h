// A fresh test double for every test: drive C: and D: mapped to host folders under a temporary root,
// and the installer's state back to its construction values.
#pragma once

#include "gui/guiDialog.h"
#include "gui/guiInput.h"
#include "gui/guiPainter.h"
#include "gui/guiRedraw.h"
#include "platform/double/Double.h"
#include "shell/CInstaller.h"
#include "shell/CStringTable.h"
#include "shell/Language.h"
#include "shell/MessageBoxes.h"
#include "shell/Switches.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

class World : public ::testing::Test {
  protected:
    void SetUp() override {
        os::testdouble::Reset();
        char pattern[] = "/tmp/bvtest.XXXXXX";
        root = mkdtemp(pattern);
        fs::create_directories(root / "c" / "Temp");
        fs::create_directories(root / "d");
        D().drives['C'] = (root / "c").string();
        D().drives['D'] = (root / "d").string();
        D().driveTypes['D'] = os::kDriveCdrom;
        D().currentDir = "C:\\";
        CInstaller& in = g_installer;
        in.gameDir.clear();
        in.cdDrive.clear();
        in.homepageUrl.clear();
        in.supportUrl.clear();
        in.sourceDir = "C:\\";
        in.mediaDir = "Media";
        in.installedFiles.clear();
        in.cancelConfirmed = in.confirmShowing = in.finishing = in.copyComplete = false;
        in.additionalInstall = false;
        in.hwnd = nullptr;
        // The toolkit forgets the boxes before they go.
        g_topLevelDialogs.clear();
        g_currentPage = nullptr;
        g_modalBox = nullptr;
        g_active = false;
        g_leaving = false;
        g_pageInputBlocked = false;
        in.copyRunning = false;
        g_painter = nullptr;
        g_dialogArea = guiRect();
        ResetRedraw();
        in.okBox.reset();
        in.yesNoBox.reset();
        in.windowActive = true;
        in.keyDown = false;
        in.shutdownPending = false;
        in.workArea = D().workArea;
        in.dialogRect = guiRect();
        in.createIcons = true;
        g_fontCharset = 238;
        g_switches = Switches();
        SetQuietAnswer(true);
        g_wideTitle = u"Installation";
        EmptyStrings();
    }
    void TearDown() override { fs::remove_all(root); }

    static os::testdouble::State& D() { return os::testdouble::Double(); }

    // Writes bytes to a Windows path of the double (folders created).
    void Write(const std::string& windowsPath, const std::string& bytes) {
        fs::path host = os::testdouble::HostPath(windowsPath);
        fs::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& windowsPath) {
        std::ifstream in(os::testdouble::HostPath(windowsPath), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string& windowsPath) { return fs::exists(os::testdouble::HostPath(windowsPath)); }
    // The user's desktop and Programs folders, there on the disk, where the shortcuts go.
    void UserFolders() {
        D().specialFolders[os::kCsidlDesktopDirectory] = u"C:\\Users\\ann\\Desktop";
        D().specialFolders[os::kCsidlPrograms] = u"C:\\Users\\ann\\Programs";
        fs::create_directories(os::testdouble::HostPath("C:\\Users\\ann\\Desktop"));
        fs::create_directories(os::testdouble::HostPath("C:\\Users\\ann\\Programs"));
    }

    // The string table loaded from these lines (ANSI file).
    void LoadStrings(const std::string& lines) {
        Write("C:\\Temp\\strings.txt", lines);
        ASSERT_TRUE(g_strings.Load("C:\\Temp\\strings.txt"));
    }
    void EmptyStrings() { LoadStrings(""); }

    // A REG_SZ value as stored, without its terminating zero; "<none>" when absent.
    std::string RegValue(const std::string& key, const std::string& name) {
        std::string k = key, n = name;
        for (char& c : k)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : n)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto kit = D().registry.find(k);
        if (kit == D().registry.end()) return "<none>";
        auto vit = kit->second.find(n);
        if (vit == kit->second.end()) return "<none>";
        EXPECT_EQ(vit->second.type, os::kRegSz);
        EXPECT_FALSE(vit->second.data.empty());
        EXPECT_EQ(vit->second.data.back(), '\0') << "REG_SZ stored with its terminating zero";
        return vit->second.data.substr(0, vit->second.data.size() - 1);
    }

    fs::path root;
};
