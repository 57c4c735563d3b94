// The install worker against the scripted extractor: the entry loop, the disc wait, cancel, success
// and the rollback of an abandoned installation.
#include "support/CopyWorld.h"
#include "support/WaitFor.h"

#include "engine/ConfirmCancel.h"
#include "engine/InstallWorker.h"
#include "engine/PreInstallChecks.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const char* kTwoDiscs = "INSERT_DISK Insert disc\n"
                        "SOURCE0 cd1:base.rar 10\n"
                        "SOURCE3 cd2:data.rar 12\n";

} // namespace

class Worker : public CopyWorld {
  protected:
    void TwoDiscs() {
        LoadStrings(kTwoDiscs);
        Marker("disc1", "cd1");
        Marker("disc2", "cd2");
        Package("disc1", "base.rar", "D bin\nF bin\\game.dat 0123456789\n");
        Package("disc2", "data.rar", "D maps\nF maps\\valley.map abcdefghijkl\n");
    }
    // Swaps the disc in drive D: when the n-th box appears.
    void SwapDiscAtBox(std::size_t n, const std::string& disc) {
        D().onBox = [this, n, disc](const os::testdouble::MessageBoxCall&) {
            if (D().boxes.size() == n) D().drives['D'] = (root / disc).string();
            folderAtBox.push_back(D().currentDir);
        };
    }
    std::vector<std::string> folderAtBox;
};

TEST_F(Worker, BothDiscsWithOneDiscChangeEndOnTheQualityPage) {
    TwoDiscs();
    D().answers = {os::kIdYes};
    SwapDiscAtBox(1, "disc2");
    D().folderChanges = 0;
    EXPECT_EQ(InstallWorker(), 0u);
    // A change of folder is a trip to the file system; 126 unused entries must not cost two each.
    EXPECT_LT(D().folderChanges, 20) << "the unused entries passed over as they are";

    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Insert disc cd2\n"}) << "the disc named by its marker";
    EXPECT_EQ(folderAtBox, std::vector<std::string>{"C:\\Games\\Brightvale"}) << "off the disc while asking";
    EXPECT_EQ(D().sleptMs, 3000u);
    auto tree = Tree(Target());
    EXPECT_EQ(tree["bin/game.dat"], "0123456789");
    EXPECT_EQ(tree["maps/valley.map"], "abcdefghijkl");
    EXPECT_EQ(tree.size(), 5u) << "the game and the journal, which stays until the finishing steps";
    EXPECT_NE(tree["~setup-journal"].find("P\t3\n"), std::string::npos) << "both packages complete";
    EXPECT_EQ(g_bytesDone, 22);
    EXPECT_EQ(g_bytesTotal, 22);
    EXPECT_DOUBLE_EQ(g_installer.wndProgress.progress, 1.0);
    EXPECT_TRUE(g_installer.copyComplete);
    EXPECT_FALSE(g_installer.cancelConfirmed);
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndQuality);
    std::vector<std::string> recorded = {"C:\\Games\\Brightvale\\", "bin",  "bin\\game.dat",
                                         "C:\\Games\\Brightvale\\", "maps", "maps\\valley.map"};
    EXPECT_EQ(g_installer.installedFiles, recorded);
}

TEST_F(Worker, NoQuestionWhenTheDiscOrThePackageIsAlreadyThere) {
    // The second disc already in the drive when its entry comes up: no question, no pause.
    LoadStrings("SOURCE0 cd2:data.rar 12\n");
    Marker("disc2", "cd2");
    Package("disc2", "data.rar", "F valley.map abcdefghijkl\n");
    D().drives['D'] = (root / "disc2").string();
    InstallWorker();
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_EQ(D().sleptMs, 0u);
    EXPECT_TRUE(g_installer.copyComplete);

    // Every disc copied into one folder without the second marker: the package is found anyway.
    fs::remove_all(Target());
    TwoDiscs();
    fs::copy_file(root / "disc2" / "data.rar", root / "disc1" / "data.rar");
    D().drives['D'] = (root / "disc1").string();
    InstallWorker();
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_EQ(Tree(Target())["maps/valley.map"], "abcdefghijkl");
}

TEST_F(Worker, ADiscInAnotherCdRomDriveIsTakenFromThereWithoutAsking) {
    TwoDiscs();
    // Disc 1 in D: and E: (the one started from wins), disc 2 on a hard disk F: (not a disc) and in G:.
    D().drives['E'] = (root / "disc1").string();
    D().driveTypes['E'] = os::kDriveCdrom;
    D().drives['F'] = (root / "disc2").string();
    D().drives['G'] = (root / "disc2").string();
    D().driveTypes['G'] = os::kDriveCdrom;
    EXPECT_EQ(InstallWorker(), 0u);
    EXPECT_TRUE(D().boxes.empty()) << "nothing asked";
    EXPECT_EQ(D().sleptMs, 0u);
    EXPECT_TRUE(g_installer.copyComplete);
    EXPECT_EQ(Tree(Target())["maps/valley.map"], "abcdefghijkl");
    EXPECT_EQ(g_installer.sourceDir, "G:\\") << "the finishing steps read from the drive the last disc is in";
    EXPECT_EQ(DriveHoldingDisc("cd1"), "D:\\");
    EXPECT_EQ(DriveHoldingDisc("cd3"), "");
    EXPECT_EQ(DriveHoldingDisc("G:\\cd2"), "") << "a marker is a name on the disc";
}

TEST_F(Worker, AMissingDiscIsAskedForUntilItIsThereOrRefused) {
    TwoDiscs();
    // Yes twice with the wrong disc still in, then No.
    D().answers = {os::kIdYes, os::kIdYes, os::kIdNo};
    InstallWorker();
    EXPECT_EQ(D().boxes.size(), 3u);
    EXPECT_EQ(D().sleptMs, 9000u);
    EXPECT_TRUE(g_installer.cancelConfirmed);
    EXPECT_FALSE(g_installer.copyComplete);
    EXPECT_TRUE(g_installer.finishing);
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndInstall) << "the welcome page returns";
    EXPECT_FALSE(fs::exists(Target())) << "the first package is rolled back, and the folder it made";
    EXPECT_FALSE(fs::exists(root / "c" / "Games"));
}

TEST_F(Worker, EntriesThatDoNotSplitArePassedOverAndAnEmptyDescriptionSucceeds) {
    LoadStrings("SOURCE0 cd1:a.rar\n"      // no size: nothing installed, nothing counted
                "SOURCE1 nocolon.rar 50\n" // counted, not installed
                "SOURCE5 cd1:b.rar 4\n"
                "SOURCE128 cd1:c.rar 7\n"); // never read
    Marker("disc1", "cd1");
    Package("disc1", "a.rar", "F a.txt aaaa\n");
    Package("disc1", "b.rar", "F b.txt bbbb\n");
    Package("disc1", "c.rar", "F c.txt cccc\n");
    InstallWorker();
    auto tree = Tree(Target());
    EXPECT_EQ(tree.erase("~setup-journal"), 1u);
    EXPECT_EQ(tree, (std::map<std::string, std::string>{{"b.txt", "bbbb"}}));
    EXPECT_EQ(g_bytesTotal, 54);
    EXPECT_EQ(g_bytesDone, 4);
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndQuality);

    EmptyStrings();
    InstallWorker();
    EXPECT_TRUE(g_installer.copyComplete);
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndQuality);
}

TEST_F(Worker, AFailedPackageLeavesNoneOfItsMembersNotEvenTheOneThatFailed) {
    LoadStrings("SOURCE0 cd1:base.rar 10\nSOURCE1 cd1:more.rar 4\n");
    Marker("disc1", "cd1");
    Package("disc1", "base.rar", "D bin\nF bin\\a.dat 0123\nE 16 bin\\b.dat\nF bin\\c.dat 012345\n");
    Package("disc1", "more.rar", "F more.dat 0123\n");
    InstallWorker();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Unpack error: 16 (File: bin\\b.dat)\n"});
    EXPECT_FALSE(fs::exists(Target()));
    EXPECT_FALSE(fs::exists(root / "c" / "Games"));
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndInstall);

    // A package that cannot be opened abandons with its own message.
    D().boxes.clear();
    fs::remove(root / "disc1" / "base.rar");
    InstallWorker();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot process package: base.rar.\n"});
    EXPECT_FALSE(fs::exists(Target()));
}

TEST_F(Worker, HostileOrDamagedPackagesAreRefusedBeforeAnyOfThemIsWritten) {
    Write("C:\\Games\\Brightvale\\readme.txt", "the player's readme");
    auto before = Tree(root / "c" / "Games");
    Marker("disc1", "cd1");
    Package("disc1", "base.rar", "F base.txt 0123\n");
    const char* hostile[] = {
        "F readme.txt new\nF ..\\..\\x.txt outside\n", // leaves the target
        "F readme.txt new\nF con.txt device\n",           // a device name
        "F readme.txt new\nH 12\n",                       // cut short in a header
        "F readme.txt new\nD bin\nH 13\n",               // a header that does not add up
    };
    for (const char* members : hostile) {
        D().boxes.clear();
        LoadStrings("SOURCE0 cd1:base.rar 4\nSOURCE1 cd1:evil.rar 3\n");
        Package("disc1", "evil.rar", members);
        InstallWorker();
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot process package: evil.rar.\n"}) << members;
        EXPECT_TRUE(g_installer.cancelConfirmed);
        EXPECT_EQ(Tree(root / "c" / "Games"), before) << "the earlier package rolled back: " << members;
        EXPECT_FALSE(fs::exists(root / "c" / "x.txt")) << "nothing written outside the target";
    }
}

TEST_F(Worker, RollbackLeavesATargetThatHeldFilesExactlyAsItWas) {
    // The player's own files, one of which a member overwrites, and a folder a package also has.
    Write("C:\\Games\\Brightvale\\save\\slot1.sav", "my save");
    Write("C:\\Games\\Brightvale\\bin\\game.dat", "old game data");
    Write("C:\\Games\\Brightvale\\bin\\notes.txt", "my notes");
    Write("C:\\Games\\outside.txt", "next to the target");
    LoadStrings("SOURCE0 cd1:base.rar 10\nSOURCE1 cd1:bad.rar 4\n");
    auto before = Tree(root / "c" / "Games");
    Marker("disc1", "cd1");
    Package("disc1", "base.rar", "D bin\nF bin\\game.dat 0123456789\nD save\nD maps\nF maps\\new.map x\n");
    Package("disc1", "bad.rar", "E 19 bin\\broken.dat\n");
    InstallWorker();
    ASSERT_TRUE(g_installer.cancelConfirmed);
    EXPECT_EQ(Tree(root / "c" / "Games"), before)
        << "the overwritten file has its old content, the rest is untouched";
}

TEST_F(Worker, AFileWrittenByTwoPackagesIsKeptAsideOnceAndRestored) {
    Write("C:\\Games\\Brightvale\\shared.cfg", "the player's settings");
    LoadStrings("SOURCE0 cd1:a.rar 1\nSOURCE1 cd1:b.rar 1\nSOURCE2 cd1:c.rar 1\n");
    Marker("disc1", "cd1");
    Package("disc1", "a.rar", "F shared.cfg a\n");
    Package("disc1", "b.rar", "F shared.cfg b\n");
    Package("disc1", "c.rar", "E 21 x\n");
    InstallWorker();
    EXPECT_EQ(Tree(Target()), (std::map<std::string, std::string>{{"shared.cfg", "the player's settings"}}));
}

TEST_F(Worker, ACancelConfirmedBetweenPackagesStopsBeforeTheNext) {
    TwoDiscs();
    Marker("disc1", "cd2"); // both packages on one disc
    fs::copy_file(root / "disc2" / "data.rar", root / "disc1" / "data.rar");
    // The user confirms the cancel as the last block of the first package is written.
    struct View : IProgressView {
        void SetProgress(float f) override {
            if (g_bytesDone == 10) g_installer.cancelConfirmed = true;
            g_installer.wndProgress.SetProgress(f);
        }
    } view;
    g_progressView = &view;
    InstallWorker();
    EXPECT_EQ(g_bytesDone, 10) << "the second package was not started";
    EXPECT_FALSE(fs::exists(Target()));
    EXPECT_TRUE(D().boxes.empty());
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndInstall);
    EXPECT_EQ(wndProgress::TitleText(g_installer.wndProgress.progress, g_installer.cancelConfirmed),
              "Brightvale Installation");
}

TEST_F(Worker, ACancelAnsweredNoResumesWhereTheCopyPausedCountingNoByteTwice) {
    LoadStrings("SOURCE0 cd1:base.rar 26\nSOURCE1 cd1:next.rar 4\n");
    Marker("disc1", "cd1");
    Package("disc1", "base.rar", "F alphabet.txt abcdefghijklmnopqrstuvwxyz\n");
    Package("disc1", "next.rar", "F next.txt 0123\n");
    std::atomic<std::int64_t> doneWhilePaused{-1};
    std::atomic<bool> pausedAgain{false};
    std::thread mainThread;
    // At the third block the question opens on the "main thread", which answers No after a while.
    struct View : IProgressView {
        std::function<void()> atThird;
        int calls = 0;
        void SetProgress(float) override {
            if (++calls == 3) atThird();
        }
    } view;
    view.atThird = [&] {
        g_installer.confirmShowing = true;
        mainThread = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            doneWhilePaused = g_bytesDone.load();
            g_installer.confirmShowing = false; // No: cancelConfirmed stays clear
        });
    };
    g_progressView = &view;
    InstallWorker();
    mainThread.join();
    EXPECT_EQ(doneWhilePaused, 12) << "nothing was written while the question was open";
    EXPECT_EQ(g_bytesDone, 30) << "every byte counted once";
    EXPECT_EQ(g_bytesTotal, 30);
    EXPECT_EQ(Tree(Target())["alphabet.txt"], "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(Tree(Target())["next.txt"], "0123");
    EXPECT_TRUE(g_installer.copyComplete);
    EXPECT_GT(D().sleptMs, 0u) << "the callback waited while the question was open";
}

TEST_F(Worker, TheDiscQuestionWaitsItsTurnAndIsDroppedAfterAConfirmedCancel) {
    TwoDiscs();
    // The cancel question is on screen (its lock held) when the disc question is due; the user then
    // confirms the cancel.
    std::unique_lock<std::mutex> cancelQuestion(QuestionLock());
    std::thread worker([] { InstallWorker(); });
    // The worker's wait for the question, read under the double's lock; a worker that never waits
    // fails the test rather than holding it up.
    EXPECT_TRUE(WaitFor([] { return os::testdouble::SleptMs() >= 3000; }))
        << "the disc question did not wait for the open cancel question";
    g_installer.cancelConfirmed = true;
    cancelQuestion.unlock();
    worker.join();
    EXPECT_TRUE(D().boxes.empty()) << "no disc question after the confirmed cancel";
    EXPECT_FALSE(fs::exists(Target()));
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndInstall);
}
