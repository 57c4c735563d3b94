// The checks of the install button: their order, their messages, the main executable's paths, and
// the start of the copy.
#include "support/CopyWorld.h"

#include "engine/PreInstallChecks.h"
#include "engine/Rollback.h"

class Checks : public CopyWorld {
  protected:
    void Texts(const std::string& more = "") {
        LoadStrings("OUT_OF_SPACE1 Not enough room:\nMB MB\nOUT_OF_SPACE2 are needed,\n"
                    "OUT_OF_SPACE3 MB more must be freed.\nWRONG_PATH Cannot use that folder.\n"
                    "INSERT_DISK Insert disc\nANTIVIR_WARNING Turn off the virus scanner.\n"
                    "MAIN_EXECUTABLE Brightvale.exe\n" +
                    more);
    }
};

TEST_F(Checks, SpaceNeededIsComparedInWholeMegabytes) {
    Texts("SPACE_NEED 700\n");
    g_installer.gameDir = "C:\\Games\\Brightvale";
    D().freeBytes['C'] = (700ull << 20) + 1048575; // 700 MiB and a little: 700 whole MiB
    EXPECT_TRUE(CheckFreeSpace());
    EXPECT_TRUE(D().boxes.empty());
    D().freeBytes['C'] = (699ull << 20) + 1048575;
    EXPECT_FALSE(CheckFreeSpace());
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"Not enough room: 700 MB are needed, 1 MB more must be freed.\n"});

    // Missing or non-numeric reads as 0: the test always passes.
    D().boxes.clear();
    D().freeBytes['C'] = 0;
    Texts();
    EXPECT_TRUE(CheckFreeSpace());
    Texts("SPACE_NEED lots\n");
    EXPECT_TRUE(CheckFreeSpace());
    EXPECT_TRUE(D().boxes.empty());
}

TEST_F(Checks, TheTargetFolderIsEnteredOrCreatedAndTheCurrentFolderKept) {
    Texts();
    fs::create_directories(Target());
    g_installer.gameDir = "C:\\Games\\Brightvale";
    EXPECT_TRUE(EnterTargetFolder());
    EXPECT_EQ(D().currentDir, "D:\\");
    EXPECT_TRUE(g_journal.Records().empty()) << "an existing folder is used, not made";

    g_installer.gameDir = "C:\\New\\Deep\\Game";
    EXPECT_TRUE(EnterTargetFolder());
    EXPECT_TRUE(fs::is_directory(root / "c" / "New" / "Deep" / "Game"));
    EXPECT_EQ(D().currentDir, "D:\\");
    EXPECT_TRUE(g_journal.Created("C:\\New") && g_journal.Created("c:\\new\\deep\\game\\"));
    // A rolled-back installation takes away the folders it made, and only those.
    RollBack(g_journal);
    EXPECT_FALSE(fs::exists(root / "c" / "New"));
    EXPECT_TRUE(fs::exists(Target()));

    g_installer.gameDir = "Q:\\Nowhere"; // no such drive
    EXPECT_FALSE(EnterTargetFolder());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot use that folder.\n"});
    EXPECT_EQ(D().currentDir, "D:\\");
}

TEST_F(Checks, FirstDiscQuestionOnlyWhileTheSecondIsIn) {
    Texts();
    EXPECT_TRUE(CheckFirstDisc()) << "no disc at all (a copy on a hard disk): no question";
    Marker("disc2", "cd2");
    D().drives['D'] = (root / "disc2").string();
    D().answers = {os::kIdNo};
    EXPECT_FALSE(CheckFirstDisc());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Insert disc CD1\n"});

    // Yes with disc 2 still in asks again; Yes after the change goes on.
    D().boxes.clear();
    Marker("disc1", "cd1");
    D().answers = {os::kIdYes, os::kIdYes};
    D().onBox = [this](const os::testdouble::MessageBoxCall&) {
        if (D().boxes.size() == 2) D().drives['D'] = (root / "disc1").string();
    };
    EXPECT_TRUE(CheckFirstDisc());
    EXPECT_EQ(D().boxes.size(), 2u);
}

TEST_F(Checks, MainExecutablePaths) {
    std::string source, destination;
    MainExecutablePaths("C:\\Games\\Brightvale", "D:\\", "bin\\Brightvale.exe", &source, &destination);
    EXPECT_EQ(source, "D:\\Brightvale.exe") << "from the root of the source folder";
    EXPECT_EQ(destination, "C:\\Games\\Brightvale\\bin\\Brightvale.exe");
    MainExecutablePaths("C:\\Games\\Brightvale\\", "D:\\Setup", "\\Brightvale.exe", &source, &destination);
    EXPECT_EQ(source, "D:\\Setup\\Brightvale.exe");
    EXPECT_EQ(destination, "C:\\Games\\Brightvale\\Brightvale.exe") << "doubled separators collapsed";
}

TEST_F(Checks, TheMainExecutableIsCopiedIntoItsFolderAndAnOldOneKeptAside) {
    Texts();
    LoadStrings("MAIN_EXECUTABLE bin\\Brightvale.exe\n");
    Write("D:\\Brightvale.exe", "new program");
    g_installer.gameDir = "C:\\Games\\Brightvale";
    fs::create_directories(Target());
    EnterTargetFolder();
    CopyMainExecutable();
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\bin\\Brightvale.exe"), "new program");
    RollBack(g_journal);
    EXPECT_TRUE(Tree(Target()).empty()) << "the copy and the folder made for it go";

    Write("C:\\Games\\Brightvale\\bin\\Brightvale.exe", "the old program");
    EnterTargetFolder();
    CopyMainExecutable();
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\bin\\Brightvale.exe"), "new program");
    RollBack(g_journal);
    EXPECT_EQ(Tree(Target()), (std::map<std::string, std::string>{
                                  {"bin", "<dir>"}, {"bin/Brightvale.exe", "the old program"}}));
}

TEST_F(Checks, AllPassingShowsTheNoticeAndStartsTheWorker) {
    Texts("SPACE_NEED 1\nSOURCE0 cd1:base.rar 4\n");
    Marker("disc1", "cd1");
    Package("disc1", "base.rar", "F a.txt abcd\n");
    Write("D:\\Brightvale.exe", "program");
    D().freeBytes['C'] = 5ull << 20;
    g_installer.gameDir = "C:\\Games\\Brightvale";
    PreInstallChecks();
    os::testdouble::JoinThreads();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Turn off the virus scanner.\n"});
    EXPECT_NE(g_installer.workerThread, 0u);
    auto tree = Tree(Target());
    EXPECT_EQ(tree.erase("~setup-journal"), 1u) << "open until the finishing steps";
    EXPECT_EQ(tree, (std::map<std::string, std::string>{{"Brightvale.exe", "program"}, {"a.txt", "abcd"}}));
    EXPECT_FALSE(g_installer.copyRunning);
    EXPECT_EQ(D().shutdownBlockReason, u"Brightvale is being installed") << "set by the window's thread";
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndQuality);
}

TEST_F(Checks, NoEmptyNoticeAndAMainExecutableMissingFromTheDiscIsToldWhileTheCopyGoesOn) {
    LoadStrings("SPACE_NEED 1\nSOURCE0 cd1:base.rar 4\nANTIVIR_WARNING\nMAIN_EXECUTABLE Brightvale.exe\n");
    Marker("disc1", "cd1");
    Package("disc1", "base.rar", "F a.txt abcd\n");
    D().freeBytes['C'] = 5ull << 20;
    g_installer.gameDir = "C:\\Games\\Brightvale";
    PreInstallChecks();
    os::testdouble::JoinThreads();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "The installation could not write this file: C:\\Games\\Brightvale\\Brightvale.exe\n"})
        << "no blank notice; the missing program named";
    auto tree = Tree(Target());
    tree.erase("~setup-journal");
    EXPECT_EQ(tree, (std::map<std::string, std::string>{{"a.txt", "abcd"}}));
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndQuality);
}

TEST_F(Checks, WorkerAndMainThreadPriorities) {
    Texts();
    g_installer.gameDir = "C:\\Games\\Brightvale";
    os::testdouble::FailNextThreadStart();
    EXPECT_FALSE(StartCopy());
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndOptions) << "no thread: back to the options page";
    EXPECT_TRUE(StartCopy());
    auto priorities = os::testdouble::ThreadPriorities();
    EXPECT_EQ(priorities[g_installer.workerThread], 15);
    EXPECT_EQ(priorities[os::testdouble::kCurrentThread], -2);
}

TEST_F(Checks, AFailedCheckStopsBeforeTheNextStep) {
    Texts("SPACE_NEED 10\n");
    Write("D:\\Brightvale.exe", "program");
    D().freeBytes['C'] = 1ull << 20;
    g_installer.gameDir = "C:\\Games\\Brightvale";
    PreInstallChecks();
    ASSERT_EQ(D().boxes.size(), 1u) << "the space message only, no notice";
    EXPECT_FALSE(fs::exists(Target() / "Brightvale.exe"));
    EXPECT_EQ(g_installer.workerThread, 0u);
    EXPECT_EQ(g_currentPage.load(), nullptr);
}
