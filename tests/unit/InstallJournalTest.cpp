// The install journal: its on-disk form read back after a cut anywhere, the records written before the
// files they describe, originals moved aside and put back byte for byte (read-only ones too), and the
// part that a kill interrupted undone on its own.
#include "support/World.h"

#include "engine/InstallJournal.h"
#include "engine/Rollback.h"
#include "shell/Registry.h"

#include <sys/stat.h>

namespace {

journal::Contents Sample() {
    journal::Contents c;
    c.target = "C:\\Games\\Brightvale";
    c.media = "MediaRus";
    c.desktopIcon = false;
    c.records = {{journal::Record::Folder, "C:\\Games\\Brightvale", ""},
                 {journal::Record::File, "C:\\Games\\Brightvale\\a.dat", ""},
                 {journal::Record::Replaced, "C:\\Games\\Brightvale\\readme.txt", "C:\\Games\\Brightvale\\~setup-kept\\00000001"},
                 {journal::Record::Done, "0", ""},
                 {journal::Record::File, "C:\\Games\\Brightvale\\b.dat", ""}};
    return c;
}

std::string Bytes(const journal::Contents& c) {
    std::string bytes = journal::Header(c);
    for (const journal::Record& r : c.records)
        bytes += journal::Line(r);
    return bytes;
}

bool SameRecords(const std::vector<journal::Record>& a, const std::vector<journal::Record>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].path != b[i].path || a[i].kept != b[i].kept) return false;
    return true;
}

} // namespace

TEST(JournalFile, ACutAnywhereReadsBackAsTheRecordsWrittenWhole) {
    journal::Contents full = Sample();
    std::string bytes = Bytes(full);
    std::size_t headerEnd = journal::Header(full).size();
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        journal::Contents read;
        bool parsed = journal::Parse(bytes.substr(0, cut), &read);
        // The target line is the second: before it ends the file is not a journal yet.
        std::size_t targetEnd = bytes.find('\n', bytes.find('\n') + 1) + 1;
        ASSERT_EQ(parsed, cut >= targetEnd) << "cut at " << cut;
        if (!parsed) continue;
        EXPECT_EQ(read.target, full.target);
        // Whole lines only: the records read are those whose line ended before the cut.
        std::size_t whole = 0;
        for (std::size_t at = headerEnd; whole < full.records.size(); ++whole) {
            at += journal::Line(full.records[whole]).size();
            if (at > cut) break;
        }
        if (cut < headerEnd) whole = 0;
        EXPECT_TRUE(SameRecords(read.records, std::vector<journal::Record>(full.records.begin(),
                                                                             full.records.begin() + whole)))
            << "cut at " << cut;
    }
    journal::Contents read;
    ASSERT_TRUE(journal::Parse(bytes, &read));
    EXPECT_EQ(read.media, "MediaRus");
    EXPECT_FALSE(read.desktopIcon);
}

TEST(JournalFile, WhatFollowsATornLineIsNotTrusted) {
    journal::Contents full = Sample();
    std::string header = journal::Header(full);
    std::string first = journal::Line(full.records[0]), second = journal::Line(full.records[1]);
    const std::string torn[] = {
        std::string(40, '\0') + "\n",                         // zeros a power loss left in place of the data
        "F\tgames\\relative.dat\n",                           // not a path the journal writes
        "R\tC:\\Games\\Brightvale\\x.txt\n",                  // a replaced file without its kept copy
        "X\tC:\\Games\\Brightvale\\x.txt\n",                  // an unknown record
        "F\tC:\\Games\\Brightvale\\x\x01y\n",                 // a control character inside a name
    };
    for (const std::string& bad : torn) {
        journal::Contents read;
        ASSERT_TRUE(journal::Parse(header + first + bad + second, &read));
        EXPECT_EQ(read.records.size(), 1u) << "stops at the bad line, and the good one after it too";
    }
    journal::Contents read;
    EXPECT_FALSE(journal::Parse("not a journal\n" + header.substr(header.find('\n') + 1), &read));
    EXPECT_FALSE(journal::Parse(std::string(journal::kMagic) + "\nF\tC:\\x\\a\n", &read)) << "no target";
}

class Journal : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        g_journal.Reset();
    }
    void TearDown() override {
        g_journal.Reset();
        World::TearDown();
    }
    std::string OnDisk() { return Read("C:\\Games\\Brightvale\\~setup-journal"); }
    bool ReadOnly(const std::string& path) {
        struct stat st;
        return stat(os::testdouble::HostPath(path).c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
    }
};

TEST_F(Journal, RecordsAreOnTheDiskBeforeTheOriginalIsMovedAsideInOneFlush) {
    Write("C:\\Games\\Brightvale\\readme.txt", "the player's readme");
    Write("C:\\Games\\Brightvale\\config.ini", "the player's settings");
    os::SetFileAttrs("C:\\Games\\Brightvale\\config.ini", os::kAttrReadOnly);
    CInstallJournal& j = g_journal;
    j.Begin("C:\\Games\\Brightvale");
    ASSERT_TRUE(j.PrepareFile("C:\\Games\\Brightvale\\readme.txt"));
    ASSERT_TRUE(j.PrepareFile("C:\\Games\\Brightvale\\config.ini"));
    ASSERT_TRUE(j.PrepareFile("C:\\Games\\Brightvale\\bin\\new.dat"));
    EXPECT_TRUE(Exists("C:\\Games\\Brightvale\\readme.txt")) << "planning moves nothing";
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-journal"));
    ASSERT_TRUE(j.Write());
    EXPECT_EQ(D().diskOrder, (std::vector<std::string>{"flush", "move C:\\Games\\Brightvale\\readme.txt",
                                                       "move C:\\Games\\Brightvale\\config.ini"}))
        << "one flush for the part, before anything is moved";
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", kPendingInstallValue), "C:\\Games\\Brightvale");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\readme.txt")) << "moved aside, not copied";
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\config.ini")) << "read-only files move too";
    journal::Contents read;
    ASSERT_TRUE(journal::Parse(OnDisk(), &read));
    ASSERT_EQ(read.records.size(), 5u); // the kept folder, two replaced, bin, new.dat
    EXPECT_EQ(read.records[1].kind, journal::Record::Replaced);
    EXPECT_EQ(Read(read.records[1].kept), "the player's readme");
    EXPECT_EQ(read.records[3].path, "C:\\Games\\Brightvale\\bin");

    // The package writes its files, then everything is undone.
    Write("C:\\Games\\Brightvale\\readme.txt", "the game's readme");
    Write("C:\\Games\\Brightvale\\config.ini", "the game's settings");
    Write("C:\\Games\\Brightvale\\bin\\new.dat", "new");
    ASSERT_TRUE(RollBack(j));
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\readme.txt"), "the player's readme");
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\config.ini"), "the player's settings");
    EXPECT_TRUE(ReadOnly("C:\\Games\\Brightvale\\config.ini")) << "put back as it was, attributes too";
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\bin"));
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-kept"));
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-journal"));
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", kPendingInstallValue), "<none>");
}

TEST_F(Journal, CommitDropsKeptOriginalsReadOnlyOrNot) {
    Write("C:\\Games\\Brightvale\\config.ini", "old");
    os::SetFileAttrs("C:\\Games\\Brightvale\\config.ini", os::kAttrReadOnly);
    g_journal.Begin("C:\\Games\\Brightvale");
    ASSERT_TRUE(g_journal.PrepareFile("C:\\Games\\Brightvale\\config.ini"));
    ASSERT_TRUE(g_journal.Write());
    Write("C:\\Games\\Brightvale\\config.ini", "new");
    g_journal.Commit();
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\config.ini"), "new");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-kept")) << "no kept folder left behind";
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-journal"));
}

TEST_F(Journal, AnOriginalThatCannotBeMovedIsCopiedAndStillPutBack) {
    Write("C:\\Games\\Brightvale\\readme.txt", "the player's readme");
    D().movesFail = true;
    g_journal.Begin("C:\\Games\\Brightvale");
    ASSERT_TRUE(g_journal.PrepareFile("C:\\Games\\Brightvale\\readme.txt"));
    ASSERT_TRUE(g_journal.Write());
    Write("C:\\Games\\Brightvale\\readme.txt", "the game's readme");
    ASSERT_TRUE(RollBack(g_journal));
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\readme.txt"), "the player's readme");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-kept"));
}

TEST_F(Journal, TheInterruptedPartIsUndoneAloneAndTheFileKeepsTheRest) {
    Write("C:\\Games\\Brightvale\\notes.txt", "mine");
    Write("C:\\Games\\Brightvale\\shared.cfg", "the player's settings");
    CInstallJournal& j = g_journal;
    j.Begin("C:\\Games\\Brightvale");
    ASSERT_TRUE(j.PrepareFile("C:\\Games\\Brightvale\\a.dat") && j.Write());
    Write("C:\\Games\\Brightvale\\a.dat", "a");
    j.MarkDone("0");
    ASSERT_TRUE(j.PrepareFile("C:\\Games\\Brightvale\\maps\\b.map") &&
                j.PrepareFile("C:\\Games\\Brightvale\\shared.cfg") && j.Write());
    Write("C:\\Games\\Brightvale\\maps\\b.map", "half");
    Write("C:\\Games\\Brightvale\\shared.cfg", "the game's");

    // As the next start finds it: read from the disk.
    journal::Contents read;
    ASSERT_TRUE(journal::Parse(OnDisk(), &read));
    g_journal.Reset();
    j.Adopt(read);
    EXPECT_TRUE(j.IsDone("0"));
    EXPECT_FALSE(j.IsDone("1"));
    ASSERT_TRUE(j.UndoUnfinishedPart());
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\a.dat"), "a") << "the completed part stays";
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\shared.cfg"), "the player's settings");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\maps"));
    EXPECT_EQ(j.LoggedEntries(), (std::vector<std::string>{"C:\\Games\\Brightvale\\", "a.dat"}));
    ASSERT_TRUE(journal::Parse(OnDisk(), &read));
    EXPECT_TRUE(SameRecords(read.records, j.Records())) << "the file holds what is left";

    ASSERT_TRUE(RollBack(j));
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\a.dat"));
    EXPECT_EQ(Read("C:\\Games\\Brightvale\\notes.txt"), "mine");
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale\\~setup-journal"));
}

TEST_F(Journal, AFileThatCannotBeDeletedKeepsTheJournalForTheNextStart) {
    g_journal.Begin("C:\\Games\\Brightvale");
    ASSERT_TRUE(g_journal.MakeDirs("C:\\Games\\Brightvale"));
    ASSERT_TRUE(g_journal.PrepareFile("C:\\Games\\Brightvale\\locked.dat") && g_journal.Write());
    Write("C:\\Games\\Brightvale\\locked.dat", "in use");
    D().lockedFiles.insert("c:\\games\\brightvale\\locked.dat"); // another program holds it open
    EXPECT_FALSE(RollBack(g_journal));
    EXPECT_TRUE(Exists("C:\\Games\\Brightvale\\~setup-journal")) << "the next start tries again";
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", kPendingInstallValue), "C:\\Games\\Brightvale");
    ASSERT_FALSE(D().boxes.empty());
    EXPECT_NE(D().boxes.back().text.find("could not be put back"), std::string::npos);

    D().lockedFiles.clear();
    EXPECT_TRUE(RollBack(g_journal)) << "once the file is free";
    EXPECT_FALSE(Exists("C:\\Games")) << "the folders the installation made go with it";
}

TEST_F(Journal, TheRollbackNeverFollowsALinkPutInTheWay) {
    Write("C:\\Outside\\keep.dat", "another user's");
    g_journal.Begin("C:\\Games\\Brightvale");
    ASSERT_TRUE(g_journal.MakeDirs("C:\\Games\\Brightvale"));
    ASSERT_TRUE(g_journal.PrepareFile("C:\\Games\\Brightvale\\bin\\keep.dat") && g_journal.Write());
    // A folder the installation made, swapped for a link to a folder outside before the rollback.
    fs::create_symlink(os::testdouble::HostPath("C:\\Outside"), os::testdouble::HostPath("C:\\Games\\Brightvale\\bin"));
    ASSERT_TRUE(RollBack(g_journal));
    EXPECT_EQ(Read("C:\\Outside\\keep.dat"), "another user's");
    EXPECT_FALSE(fs::is_symlink(os::testdouble::HostPath("C:\\Games\\Brightvale\\bin"))) << "the link itself went";
    EXPECT_FALSE(Exists("C:\\Games\\Brightvale"));
}
