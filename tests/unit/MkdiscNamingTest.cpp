// mkdisc: package names the installer can find, links, the tables it completes, capacity and I/O
// failures.
#include "MkdiscWorld.h"

#include <set>
#include <sys/stat.h>

using namespace mkdisc_test;

using MkdiscNames = MkdiscWorld;
using MkdiscTables = MkdiscWorld;
using MkdiscCapacity = MkdiscWorld;
using MkdiscFailures = MkdiscWorld;

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::uint64_t FolderBytes(const fs::path& at) {
    std::uint64_t total = 0;
    for (auto& e : fs::recursive_directory_iterator(at))
        if (e.is_regular_file()) total += e.file_size();
    return total;
}

std::string Utf16(const std::string& utf8) {
    return "\xFF\xFE" + Iconv(utf8, "UTF-8", "UTF-16LE");
}

} // namespace

TEST_F(MkdiscNames, FoldersWithBlanksGiveNamesTheEntriesCarry) {
    fs::create_directories(game / "My Mods");
    std::ofstream(game / "My Mods" / "mod.txt") << "a mod";
    std::string out;
    ASSERT_EQ(Run("", &out), 0) << out;
    for (const std::string& name : Packages()) {
        EXPECT_EQ(name.find(' '), std::string::npos) << name;
        for (char c : name)
            EXPECT_LT(static_cast<unsigned char>(c), 0x80) << name;
    }
    EXPECT_TRUE(fs::exists(discs / "disc1" / "my_mods.rar"));
    Unpack(BV_STANDIN_SO, root / "installed");
    EXPECT_EQ(TreeDifference(Tree(root / "installed", FromCp437), GameTree()), "")
        << "the installer finds every package";
}

TEST_F(MkdiscNames, RefusesNamesWithoutAnAsciiForm) {
    fs::create_directories(game / "Карты");
    std::ofstream(game / "Карты" / "map.txt") << "a map";
    std::string out;
    EXPECT_NE(Run("", &out), 0);
    EXPECT_NE(out.find("Карты"), std::string::npos) << out;
    EXPECT_NE(out.find("\"package\" line"), std::string::npos) << out;
    ExpectNoDiscs();

    EXPECT_NE(Run("package карты.rar Карты\n", &out), 0);
    EXPECT_NE(out.find("карты.rar"), std::string::npos) << out;
    EXPECT_NE(out.find("ASCII"), std::string::npos) << out;
    ExpectNoDiscs();

    fs::remove_all(game / "maps");
    EXPECT_EQ(Run("oem-codepage CP866\npackage maps2.rar Карты\n", &out), 0)
        << "a package line names it: " << out;
    EXPECT_TRUE(fs::exists(discs / "disc1" / "maps2.rar"));
}

// A folder named like the loose files' package, a folder named like a split part, folders that differ
// only in case: every package keeps its own name and nothing is overwritten.
TEST_F(MkdiscNames, NoTwoPackagesShareAName) {
    fs::create_directories(game / "base");
    std::ofstream(game / "base" / "in-base-folder.txt") << "folder base";
    fs::create_directories(game / "data2");
    std::ofstream(game / "data2" / "in-data2.txt") << "folder data2";
    fs::create_directories(game / "Maps");
    std::ofstream(game / "Maps" / "upper.map") << "upper-case Maps";
    std::string out;
    ASSERT_EQ(Run("capacity 3M\nmain Brightvale.exe\n", &out), 0) << out;
    ASSERT_TRUE(fs::exists(discs / "disc2")) << "data is split over the discs: " << out;
    std::vector<std::string> names = Packages();
    std::set<std::string> unique;
    for (auto& n : names)
        EXPECT_TRUE(unique.insert(Lower(n)).second) << "two entries name " << n << "\n" << out;
    EXPECT_GE(names.size(), 7u);
    Unpack(BV_STANDIN_SO, root / "installed");
    EXPECT_EQ(TreeDifference(Tree(root / "installed", FromCp437), GameTree()), "");
}

TEST_F(MkdiscNames, RefusesClashingPublisherNames) {
    std::string out;
    EXPECT_NE(Run("package data.rar data\npackage DATA.rar maps\n", &out), 0);
    EXPECT_NE(out.find("two packages are named"), std::string::npos) << out;
    ExpectNoDiscs();
    EXPECT_NE(Run("package extras.exe data\nadditional extras.exe\n", &out), 0);
    EXPECT_NE(out.find("extras.exe"), std::string::npos) << out;
    ExpectNoDiscs();
    EXPECT_NE(Run("package setup.exe data\n", &out), 0);
    EXPECT_NE(out.find("setup.exe"), std::string::npos) << out;
    ExpectNoDiscs();
}

TEST_F(MkdiscNames, LinkedFilesAreStoredUnderTheLinkName) {
    std::ofstream(root / "outside.txt") << "kept outside the game folder";
    fs::create_symlink(root / "outside.txt", game / "data" / "linked.txt");
    std::string out;
    ASSERT_EQ(Run("", &out), 0) << out;
    Unpack(BV_STANDIN_SO, root / "installed");
    auto tree = Tree(root / "installed", FromCp437);
    EXPECT_EQ(tree["data/linked.txt"], "kept outside the game folder");
    EXPECT_EQ(tree.size(), GameTree().size()) << "nothing else: no name leaving the folder";

    fs::create_directory_symlink(root / "presets", game / "data" / "linked-folder");
    EXPECT_NE(Run("", &out), 0);
    EXPECT_NE(out.find("linked-folder"), std::string::npos) << out;
    EXPECT_NE(out.find("link to a folder"), std::string::npos) << out;
    fs::remove(game / "data" / "linked-folder");
    fs::create_symlink(root / "nothing-here", game / "data" / "dangling");
    EXPECT_NE(Run("", &out), 0);
    EXPECT_NE(out.find("dangling"), std::string::npos) << out;
}

// Names the installer refuses to unpack or that leave the target folder never reach a disc: a
// device name in the game folder, a package or main executable reaching out of it.
TEST_F(MkdiscNames, RefusesNamesTheInstallerWouldRefuse) {
    std::string out;
    fs::create_directories(game / "aux");
    std::ofstream(game / "aux" / "a.txt") << "a device folder";
    EXPECT_NE(Run("", &out), 0) << out;
    EXPECT_NE(out.find("\"aux\""), std::string::npos) << out;
    ExpectNoDiscs();
    fs::remove_all(game / "aux");

    std::ofstream(game / "data" / "con.txt") << "a device file";
    EXPECT_NE(Run("", &out), 0) << out;
    EXPECT_NE(out.find("con.txt"), std::string::npos) << out;
    ExpectNoDiscs();
    fs::remove(game / "data" / "con.txt");

    std::ofstream(root / "outside.txt") << "beside the game folder";
    for (const char* description : {"package x.rar ../outside.txt\n", "package x.rar data/units.cfg\n",
                                    "main ../outside.txt\n", "main /bin/sh\n"}) {
        EXPECT_NE(Run(description, &out), 0) << description << out;
        EXPECT_NE(out.find("error"), std::string::npos) << description << out;
        ExpectNoDiscs();
    }
    ASSERT_EQ(Run("", &out), 0) << "the game folder itself is sound: " << out;
}

// The installer keeps a table's texts in a pool of fixed size and reads what does not fit as empty:
// entries appended past it would install nothing, so mkdisc refuses such a table.
TEST_F(MkdiscTables, RefusesATableTheInstallerCannotHoldWhole) {
    std::string english = Slurp(media / "Media" / "strings.txt");
    // Short lines fill the pool to its last few characters (each takes four: "F", "x" and two ends).
    std::string filler;
    for (std::size_t i = 0; i < CStringTable::kPoolChars / 4 + 100; ++i)
        filler += "F\tx\r\n";
    std::ofstream(media / "Media" / "strings.txt", std::ios::binary) << english << filler;
    std::string out;
    EXPECT_NE(Run("", &out), 0) << "the entries would read as empty: " << out;
    EXPECT_NE(out.find("Media/strings.txt"), std::string::npos) << out;
    ExpectNoDiscs();

    // Short of the pool it is made, and the installer reads every entry.
    filler.resize(filler.size() - 5 * 700);
    std::ofstream(media / "Media" / "strings.txt", std::ios::binary) << english << filler;
    ASSERT_EQ(Run("", &out), 0) << out;
    std::string table = Slurp(discs / "disc1" / "Media" / "strings.txt");
    LoadTable();
    std::size_t n = Packages().size();
    ASSERT_GT(n, 0u);
    for (const std::string& key :
         {std::string("SOURCE0"), "SOURCE" + std::to_string(n - 1), std::string("SPACE_NEED")}) {
        EXPECT_NE(std::string(g_strings.GetText(key.c_str())), "") << key;
        EXPECT_EQ(g_strings.GetText(key.c_str()), TableValue(table, key)) << key;
    }
}

// The question and the names mkdisc appends are in each table's own encoding: UTF-16 after the mark,
// else the language's ANSI code page.
TEST_F(MkdiscTables, AppendedTextIsInTheTablesEncoding) {
    std::string english = Slurp(media / "Media" / "strings.txt");
    std::ofstream(media / "Media" / "strings.txt", std::ios::binary) << Utf16(english);
    fs::create_directories(media / "MediaRus");
    std::ofstream(media / "MediaRus" / "strings.txt", std::ios::binary)
        << Iconv("APP_TITLE\tБрайтвейл\r\nLNG_CHARSET\tRUSSIAN_CHARSET\r\n", "UTF-8", "CP1251");
    std::string out;
    ASSERT_EQ(Run("additional extras.exe Установить дополнения?\n", &out), 0) << out;
    std::string wide = Slurp(discs / "disc1" / "Media" / "strings.txt");
    EXPECT_EQ(TableValue(wide, "CONFIRM_ADD_INSTALL_0"), "Установить дополнения?");
    EXPECT_EQ(TableValue(wide, "APP_TITLE"), "Brightvale Setup") << "the table's own lines are kept";
    EXPECT_EQ(TableValue(wide, "ADD_INSTALL_0"), "extras.exe");
    std::string russian = Slurp(discs / "disc2" / "MediaRus" / "strings.txt");
    if (!fs::exists(discs / "disc2")) russian = Slurp(discs / "disc1" / "MediaRus" / "strings.txt");
    EXPECT_EQ(TableValue(russian, "CONFIRM_ADD_INSTALL_0", nullptr, "CP1251"), "Установить дополнения?");
    EXPECT_EQ(TableValue(russian, "APP_TITLE", nullptr, "CP1251"), "Брайтвейл");

    // Text the table's code page cannot hold is refused, naming the table.
    std::ofstream(media / "Media" / "strings.txt", std::ios::binary) << english;
    EXPECT_NE(Run("additional extras.exe Установить дополнения?\n", &out), 0);
    EXPECT_NE(out.find("Media/strings.txt"), std::string::npos) << out;
    EXPECT_NE(out.find("CP1252"), std::string::npos) << out;
}

TEST_F(MkdiscTables, EarlierEntriesAreReplaced) {
    std::ofstream(media / "Media" / "strings.txt", std::ios::app | std::ios::binary)
        << "SOURCE0\tcd1:old.rar 5\r\nSOURCE9\tcd2:gone.rar 7\r\nSPACE_NEED\t999\r\n"
           "ADD_INSTALL_3\tgone.exe\r\nSOURCE_NOTE\tkept\r\n";
    std::string out;
    ASSERT_EQ(Run("", &out), 0) << out;
    std::string table = Slurp(discs / "disc1" / "Media" / "strings.txt");
    int count = 0;
    EXPECT_EQ(TableValue(table, "SOURCE9", &count), "<none>");
    EXPECT_NE(TableValue(table, "SOURCE0", &count), "cd1:old.rar 5");
    EXPECT_EQ(count, 1);
    EXPECT_NE(TableValue(table, "SPACE_NEED", &count), "999");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(TableValue(table, "ADD_INSTALL_3"), "<none>");
    EXPECT_EQ(TableValue(table, "SOURCE_NOTE"), "kept") << "only the keys mkdisc writes go";
    EXPECT_EQ(Packages().size(), 3u);
}

// Everything on a disc counts: a set that fits exactly is one disc of exactly the capacity; one byte
// less and no disc is over it.
TEST_F(MkdiscCapacity, ExactFitAndOneByteOver) {
    const std::string rest = "main Brightvale.exe\npreset low presets/low\npreset high presets/high\n"
                             "additional extras.exe Install the extras?\n";
    std::string out;
    ASSERT_EQ(Run("capacity 100M\n" + rest, &out), 0) << out;
    ASSERT_FALSE(fs::exists(discs / "disc2"));
    std::uint64_t exact = FolderBytes(discs / "disc1");

    ASSERT_EQ(Run("capacity " + std::to_string(exact) + "\n" + rest, &out), 0) << out;
    EXPECT_FALSE(fs::exists(discs / "disc2")) << "an exact fit is one disc: " << out;
    EXPECT_EQ(FolderBytes(discs / "disc1"), exact);

    ASSERT_EQ(Run("capacity " + std::to_string(exact - 1) + "\n" + rest, &out), 0) << out;
    ASSERT_TRUE(fs::exists(discs / "disc2")) << out;
    for (const char* d : {"disc1", "disc2", "disc3"})
        if (fs::exists(discs / d)) {
            EXPECT_LE(FolderBytes(discs / d), exact - 1) << d << "\n" << out;
        }
    Unpack(BV_STANDIN_SO, root / "installed");
    EXPECT_EQ(TreeDifference(Tree(root / "installed", FromCp437), GameTree()), "");

    // The set-up files alone one byte over: refused, and the earlier discs stay.
    fs::remove_all(discs);
    ASSERT_EQ(Run("capacity 100M\n", &out), 0) << out;
    std::string marker = Slurp(discs / "disc1" / "cd1");
    EXPECT_NE(Run("capacity 2K\n", &out), 0);
    EXPECT_NE(out.find("fill a disc"), std::string::npos) << out;
    EXPECT_EQ(Slurp(discs / "disc1" / "cd1"), marker);
}

TEST_F(MkdiscFailures, UninstallerOfTheCurrentFolderIsNotCounted) {
    std::string out;
    ASSERT_EQ(Run("", &out), 0) << out;
    std::string need = TableValue(Slurp(discs / "disc1" / "Media" / "strings.txt"), "SPACE_NEED");
    fs::create_directories(root / "elsewhere");
    fs::resize_file(
        (std::ofstream(root / "elsewhere" / "uninstall.exe"), root / "elsewhere" / "uninstall.exe"),
        50 << 20);
    ASSERT_EQ(Run("", &out, "", "cd '" + (root / "elsewhere").string() + "' &&"), 0) << out;
    EXPECT_EQ(TableValue(Slurp(discs / "disc1" / "Media" / "strings.txt"), "SPACE_NEED"), need);
}

// Failures the superuser never meets run as the unprivileged user "nobody".
class MkdiscAsNobody : public MkdiscWorld {
  protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to run mkdisc as another user";
        MkdiscWorld::SetUp();
        fs::permissions(root, fs::perms::all, fs::perm_options::replace);
        fs::create_directories(discs);
    }
    int RunAsNobody(std::string* out) {
        fs::permissions(discs, fs::perms::all | fs::perms::sticky_bit, fs::perm_options::replace);
        return Run("", out, "", "setpriv --reuid=65534 --regid=65534 --clear-groups");
    }
    void MakeEarlierSet() {
        std::string out;
        ASSERT_EQ(Run("", &out), 0) << out;
        fs::create_directories(discs / "disc2");
        std::ofstream(discs / "disc2" / "cd2") << "earlier disc 2";
        // disc1 belongs to nobody, disc2 stays root's in the sticky folder: nobody cannot move it.
        ASSERT_EQ(std::system(("chown -R 65534:65534 '" + (discs / "disc1").string() + "'").c_str()), 0);
    }
};

TEST_F(MkdiscAsNobody, UnreadableFolderIsRefusedAndTheEarlierDiscsStay) {
    MakeEarlierSet();
    auto before = Tree(discs);
    fs::create_directories(game / "data" / "locked");
    std::ofstream(game / "data" / "locked" / "secret.dat") << "unreadable";
    fs::permissions(game / "data" / "locked", fs::perms::none, fs::perm_options::replace);
    std::string out;
    EXPECT_NE(RunAsNobody(&out), 0) << out;
    EXPECT_NE(out.find("locked"), std::string::npos) << out;
    EXPECT_EQ(TreeDifference(Tree(discs), before), "");
    fs::permissions(game / "data" / "locked", fs::perms::owner_all, fs::perm_options::replace);
}

TEST_F(MkdiscAsNobody, EarlierDiscsStayWhenTheyCannotBeReplaced) {
    MakeEarlierSet();
    auto before = Tree(discs);
    std::string out;
    EXPECT_NE(RunAsNobody(&out), 0) << out;
    EXPECT_NE(out.find("disc2"), std::string::npos) << out;
    EXPECT_EQ(TreeDifference(Tree(discs), before), "") << "the earlier set, whole: " << out;
}
