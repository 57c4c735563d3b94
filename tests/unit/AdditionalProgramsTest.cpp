#include "support/CountingPage.h"
#include "support/World.h"

#include <functional>

#include "engine/AdditionalPrograms.h"
#include "shell/Registry.h"

class AdditionalPrograms : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, "ExeCDPath", "D:");
        g_installer.cdDrive = "D:"; // checked and taken at start-up
        Write("C:\\G\\x", "");
    }
    std::string Marker() { return Read("C:\\G\\addinstf.bin"); }
    const std::string path = "C:\\G\\addinstf.bin";
};

TEST_F(AdditionalPrograms, MarkerReadAndWrite) {
    EXPECT_EQ(addinst::PathIn("C:\\G\\"), path) << "the doubled separator collapses";
    addinst::Marker m = addinst::Read(path.c_str());
    EXPECT_EQ(m, addinst::Marker{});
    EXPECT_TRUE(Exists(path)) << "a marker that cannot be read is created empty";
    EXPECT_EQ(Marker(), "");
    Write(path, "\x01\x01\x07");
    m = addinst::Read(path.c_str());
    EXPECT_EQ(m[0], 1);
    EXPECT_EQ(m[2], 7);
    EXPECT_EQ(m[3], 0) << "missing bytes count as 0";
    EXPECT_TRUE(addinst::Write(path.c_str(), m));
    EXPECT_EQ(Marker(), std::string("\x01\x01\x07", 3) + std::string(13, '\0'));
    EXPECT_FALSE(addinst::Write("C:\\Missing\\addinstf.bin", m));
}

TEST_F(AdditionalPrograms, SlotsAlreadyDoneAreSkippedAndEverySlotEndsMarked) {
    LoadStrings("ADD_INSTALL_0 first.exe\nADD_INSTALL_1 second.exe\nADD_INSTALL_2 extras\\third.exe\n"
                "ADD_INSTALL_15 last.exe\n");
    addinst::Marker m{};
    m[0] = m[1] = 0x01;
    RunAdditionalPrograms(m, path);
    ASSERT_EQ(D().processes.size(), 2u);
    EXPECT_EQ(D().processes[0].commandLine, "\"D:\\extras\\third.exe\" ");
    EXPECT_EQ(D().processes[1].commandLine, "\"D:\\last.exe\" ");
    EXPECT_EQ(Marker(), std::string(16, '\x01')) << "empty slots are marked too";
    RunAdditionalPrograms(m, path);
    EXPECT_EQ(D().processes.size(), 2u) << "a second pass runs nothing";
}

// Draws while a program runs: what the marker holds then, and a shutdown Windows may announce meanwhile.
struct WatchingPage : CountingPage {
    std::function<void()> onFrame;
    bool Draw() override {
        if (onFrame) onFrame();
        return CountingPage::Draw();
    }
};

TEST_F(AdditionalPrograms, EachSlotIsMarkedBeforeItsProgramRunsAndAShutdownEndsTheLoop) {
    LoadStrings("ADD_INSTALL_3 setup.exe\nADD_INSTALL_4 more.exe\n");
    WatchingPage page;
    AddTopLevelDialog(&page);
    ShowPage(&page);
    std::string markerWhileRunning;
    page.onFrame = [&] {
        markerWhileRunning = Marker();
        g_installer.shutdownPending = true;
    };
    D().nextProcesses.push_back({"", 2, 0});
    addinst::Marker m{};
    RunAdditionalPrograms(m, path);
    g_installer.shutdownPending = false;
    g_topLevelDialogs.clear();
    g_currentPage = nullptr;
    ASSERT_EQ(D().processes.size(), 1u) << "no further slot after the shutdown";
    EXPECT_EQ(markerWhileRunning, std::string(4, '\x01') + std::string(12, '\0'));
    EXPECT_EQ(Marker(), markerWhileRunning);
}

TEST_F(AdditionalPrograms, AProgramThatCannotStartCountsAsDone) {
    LoadStrings("ADD_INSTALL_0 missing.exe\n");
    D().processStartFails = true;
    addinst::Marker m{};
    RunAdditionalPrograms(m, path);
    EXPECT_EQ(Marker(), std::string(16, '\x01'));
    EXPECT_TRUE(D().boxes.empty()) << "passed over without a message";
}

TEST_F(AdditionalPrograms, NoSkipsTheProgramForGood) {
    LoadStrings(
        "ADD_INSTALL_0 extras.exe\nCONFIRM_ADD_INSTALL_0 Install the extras?\nADD_INSTALL_1 other.exe\n"
        "CONFIRM_ADD_INSTALL_1 Install the other?\n");
    D().answers = {os::kIdNo, os::kIdYes};
    addinst::Marker m{};
    RunAdditionalPrograms(m, path);
    ASSERT_EQ(D().boxes.size(), 2u);
    EXPECT_EQ(D().boxes[0].text, "Install the extras?\n");
    ASSERT_EQ(D().processes.size(), 1u);
    EXPECT_EQ(D().processes[0].commandLine, "\"D:\\other.exe\" ");
    addinst::Marker again = addinst::Read(path.c_str());
    RunAdditionalPrograms(again, path);
    EXPECT_EQ(D().boxes.size(), 2u) << "not asked again";
}

TEST_F(AdditionalPrograms, AMarkerThatCannotBeWrittenStopsTheLoop) {
    LoadStrings("ADD_INSTALL_0 extras.exe\n");
    D().lastErrorText = "Access is denied.";
    addinst::Marker m{};
    RunAdditionalPrograms(m, "C:\\Missing\\addinstf.bin");
    EXPECT_TRUE(D().processes.empty());
    ASSERT_EQ(D().boxes.size(), 2u);
    EXPECT_EQ(D().boxes[0].text, "Cannot open file C:\\Missing\\addinstf.bin\n");
    EXPECT_EQ(D().boxes[0].flags, os::kMbIconError);
    EXPECT_EQ(D().boxes[1].text, "Access is denied.");
}

TEST_F(AdditionalPrograms, ProgramPathFromTheRecordedDisc) {
    EXPECT_EQ(addinst::ProgramPath("D:", "extras.exe"), "D:\\extras.exe");
    EXPECT_EQ(addinst::ProgramPath("D:\\", "extras.exe"), "D:\\extras.exe");
    EXPECT_EQ(addinst::ProgramPath("E:\\discs\\one\\", "x.exe"), "E:\\discs\\one\\x.exe");
    EXPECT_EQ(addinst::ProgramPath("E:\\discs\\one", "x.exe"), "E:\\discs\\x.exe")
        << "the last name is a file's";
    EXPECT_EQ(addinst::ProgramPath("D:", "extras.exe /quiet"), "D:\\extras.exe /quiet")
        << "the whole value is the path; it is quoted on the command line";
}
