// The start after an installation that a kill ended in the middle of a package: the player's folder held
// files of its own (one a package replaces, one it leaves alone, one read-only that a package replaces).
// No gives the folder back byte for byte; Yes continues to the quality page with every file in place.
#include "support/CopyWorld.h"

#include "engine/InstallWorker.h"
#include "engine/Recovery.h"
#include "engine/Rollback.h"
#include "shell/Registry.h"

#include <sys/stat.h>

class Recovery : public CopyWorld {
  protected:
    void SetUp() override {
        CopyWorld::SetUp();
        Write("C:\\Games\\Brightvale\\readme.txt", "the player's readme");
        Write("C:\\Games\\Brightvale\\notes.txt", "the player's notes");
        Write("C:\\Games\\Brightvale\\config.ini", "the player's settings");
        os::SetFileAttrs("C:\\Games\\Brightvale\\config.ini", os::kAttrReadOnly);
        before = Tree(Target());
        LoadStrings("SOURCE0 cd1:base.rar 21\nSOURCE1 cd1:data.rar 23\n");
        Marker("disc1", "cd1");
        Package("disc1", "base.rar", "D bin\nF bin\\game.dat 0123456789\nF readme.txt game-readme\n");
        Package("disc1", "data.rar", "D maps\nF config.ini game-config\nF maps\\valley.map abcdefghijkl\n");
    }
    // Runs the copy and keeps the target as it was the instant before the valley map was written, with
    // the map half written: what a kill at that instant leaves. The folder is then put back that way.
    void KilledInTheSecondPackage() {
        fs::path snapshot = root / "snapshot";
        SetBeforeMember([&](const std::string& member) {
            if (member != "maps\\valley.map") return;
            fs::copy(Target(), snapshot, fs::copy_options::recursive);
            std::ofstream(snapshot / "maps" / "valley.map") << "abc";
        });
        InstallWorker();
        SetBeforeMember(nullptr);
        ASSERT_TRUE(fs::exists(snapshot));
        os::SetFileAttrs("C:\\Games\\Brightvale\\config.ini", os::kAttrNormal);
        fs::remove_all(Target());
        fs::rename(snapshot, Target());
        // A new process: nothing of the run is in memory.
        g_journal.Reset();
        g_installer.installedFiles.clear();
        g_installer.copyComplete = false;
        g_installer.gameDir = "C:\\Games\\Other";
        g_currentPage = &g_installer.wndInstall;
    }
    bool ReadOnly(const char* path) {
        struct stat st;
        return stat(os::testdouble::HostPath(path).c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
    }
    std::map<std::string, std::string> before;
};

TEST_F(Recovery, NoGivesTheFolderBackExactly) {
    KilledInTheSecondPackage();
    ASSERT_TRUE(HasPendingInstallation());
    D().boxes.clear();
    D().answers = {os::kIdNo};
    EXPECT_FALSE(OfferRecovery());
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_NE(D().boxes[0].text.find("interrupted"), std::string::npos);
    EXPECT_EQ(Tree(Target()), before);
    EXPECT_TRUE(ReadOnly("C:\\Games\\Brightvale\\config.ini"));
    EXPECT_FALSE(HasPendingInstallation()) << "nothing is asked at the start after";
}

TEST_F(Recovery, YesUndoesTheInterruptedPackageAndContinuesToTheQualityPage) {
    KilledInTheSecondPackage();
    D().boxes.clear();
    D().answers = {os::kIdYes};
    EXPECT_TRUE(OfferRecovery());
    os::testdouble::JoinThreads();
    EXPECT_EQ(g_currentPage.load(), &g_installer.wndQuality);
    EXPECT_TRUE(g_installer.copyComplete);
    EXPECT_EQ(g_installer.gameDir, "C:\\Games\\Brightvale") << "the folder the files went to";
    auto tree = Tree(Target());
    EXPECT_EQ(tree["bin/game.dat"], "0123456789");
    EXPECT_EQ(tree["readme.txt"], "game-readme");
    EXPECT_EQ(tree["config.ini"], "game-config");
    EXPECT_EQ(tree["maps/valley.map"], "abcdefghijkl") << "the interrupted package unpacked again";
    EXPECT_EQ(tree["notes.txt"], "the player's notes");
    EXPECT_EQ(g_bytesDone, 44) << "the completed package counted, the other written anew";
    std::vector<std::string> logged = {"C:\\Games\\Brightvale\\", "bin", "bin\\game.dat", "readme.txt",
                                       "C:\\Games\\Brightvale\\", "maps", "config.ini", "maps\\valley.map"};
    EXPECT_EQ(g_installer.installedFiles, logged) << "both packages go into install.log";

    // Cancelled later all the same: the folder comes back as it was before the first attempt.
    ASSERT_TRUE(RollBack(g_journal));
    EXPECT_EQ(Tree(Target()), before);
    EXPECT_TRUE(ReadOnly("C:\\Games\\Brightvale\\config.ini"));
}

TEST_F(Recovery, AJournalNamingAnythingOutsideItsFolderIsRefusedWhole) {
    Write("C:\\Windows\\system.dll", "the system's");
    Write("C:\\Games\\Brightvale\\~setup-journal",
          std::string(journal::kMagic) + "\nT\tC:\\Games\\Brightvale\nM\tMedia\nI\t1\n"
                                         "F\tC:\\Games\\Brightvale\\a.dat\nF\tC:\\Windows\\system.dll\n");
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, kPendingInstallValue, "C:\\Games\\Brightvale");
    journal::Contents contents;
    std::string problem;
    EXPECT_EQ(FindPendingJournal(&contents, &problem), PendingJournal::Refused);
    EXPECT_EQ(problem, "C:\\Windows\\system.dll");
    EXPECT_FALSE(OfferRecovery());
    EXPECT_EQ(Read("C:\\Windows\\system.dll"), "the system's");
    ASSERT_EQ(D().boxes.size(), 1u) << "told, not asked";
    EXPECT_NE(D().boxes[0].text.find("C:\\Windows\\system.dll"), std::string::npos);
    EXPECT_FALSE(HasPendingInstallation());

    // A pointer that is no folder of the form the installer writes is refused too.
    reg::WriteString(os::kHkeyCurrentUser, reg::kProductKey, kPendingInstallValue, "C:\\Games\\..\\Windows");
    EXPECT_EQ(FindPendingJournal(&contents, &problem), PendingJournal::Refused);
}

TEST_F(Recovery, EndedBeforeAnyFileTheFoldersGoWithoutAQuestion) {
    // The installer made the target folder, then was ended while its notice was on screen.
    g_journal.Begin("C:\\Games\\New\\Brightvale");
    ASSERT_TRUE(g_journal.MakeDirs("C:\\Games\\New\\Brightvale"));
    g_journal.Reset();
    ASSERT_TRUE(HasPendingInstallation());
    EXPECT_FALSE(OfferRecovery());
    EXPECT_TRUE(D().boxes.empty()) << "nothing asked";
    EXPECT_FALSE(Exists("C:\\Games\\New"));
    EXPECT_TRUE(Exists("C:\\Games\\Brightvale\\notes.txt"));
    EXPECT_FALSE(HasPendingInstallation());
}
