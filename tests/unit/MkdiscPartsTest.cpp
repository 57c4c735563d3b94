// The parts of mkdisc on their own: package names, the completion of a table, the plan.
#include "DiscPlan.h"
#include "PackageNames.h"
#include "Progress.h"
#include "StringsFile.h"

#include <gtest/gtest.h>

using namespace mkdisc;

TEST(MkdiscParts, DerivedNamesAreAsciiWithoutBlanks) {
    std::string name, error;
    ASSERT_TRUE(DerivedArchiveName("My Mods", &name, &error));
    EXPECT_EQ(name, "my_mods.rar");
    ASSERT_TRUE(DerivedArchiveName("Sound & Music (HD)", &name, &error));
    EXPECT_EQ(name, "sound_music_hd_.rar");
    EXPECT_FALSE(DerivedArchiveName("Données", &name, &error));
    EXPECT_NE(error.find("Données"), std::string::npos);
    EXPECT_FALSE(DerivedArchiveName("+++", &name, &error));
}

TEST(MkdiscParts, PublisherNamesWindowsAccepts) {
    std::string why;
    EXPECT_TRUE(ArchiveNameIsUsable("Data-1.rar", &why));
    for (const char* bad : {"my mods.rar", "a:b.rar", "dir\\x.rar", "CON.rar", "com1", "x.rar.", "..",
                            "карты.rar", "what?.rar", ""})
        EXPECT_FALSE(ArchiveNameIsUsable(bad, &why)) << bad;
    EXPECT_FALSE(ArchiveNameIsUsable(std::string(65, 'a'), &why));
}

TEST(MkdiscParts, NameBookIgnoresCase) {
    NameBook book;
    std::string owner;
    EXPECT_TRUE(book.Take("Data.rar", "the data", &owner));
    EXPECT_FALSE(book.Take("DATA.RAR", "more data", &owner));
    EXPECT_EQ(owner, "the data");
    EXPECT_FALSE(book.IsFree("data.rar"));
    EXPECT_TRUE(book.IsFree("data2.rar"));
    EXPECT_EQ(PartName("data.rar", 1), "data.rar");
    EXPECT_EQ(PartName("data.rar", 3), "data3.rar");
}

TEST(MkdiscParts, CompletedTablesKeepTheirEncoding) {
    std::string bytes, error;
    StringsFile ansi("APP_TITLE\tT\r\nSOURCE0\tcd1:old.rar 1\r\nSOURCE01\tkept\r\nSPACE_NEED 9\r\nLAST\tx",
                     "CP1251");
    EXPECT_FALSE(ansi.wide());
    ASSERT_TRUE(ansi.Complete("Q\t\xD0\x94\r\n", &bytes, &error)) << error; // "Д"
    EXPECT_EQ(bytes, "APP_TITLE\tT\r\nSOURCE01\tkept\r\nLAST\tx\r\nQ\t\xC4\r\n");
    EXPECT_FALSE(ansi.Complete("Q\t\xE2\x82\xAC\xE4\xB8\xAD\r\n", &bytes, &error))
        << "a CJK character in CP1251";
    EXPECT_NE(error.find("CP1251"), std::string::npos);

    std::string wideFile("\xFF\xFE"
                         "A\0\t\0b\0\r\0\n\0S\0O\0U\0R\0C\0E\0"
                         "2\0\t\0x\0\r\0\n\0",
                         26);
    StringsFile wide(wideFile, "CP1252");
    EXPECT_TRUE(wide.wide());
    EXPECT_EQ(wide.Value("A"), "b");
    ASSERT_TRUE(wide.Complete("K\t\xD0\x94\r\n", &bytes, &error));
    EXPECT_EQ(bytes, std::string("\xFF\xFE"
                                 "A\0\t\0b\0\r\0\n\0K\0\t\0\x14\x04\r\0\n\0",
                                 22));
}

TEST(MkdiscParts, PlanCountsWholeBlocks) {
    std::vector<PackageInput> packages = {
        {"a.rar", {{"f1", "/f1", 1000, false}, {"f2", "/f2", 1000, false}}, false}};
    std::uint64_t one = ArchiveBytes({packages[0].members[0]});
    PlanRules rules{3 * 2048, 2048, [](std::size_t) { return std::uint64_t(2048); }};
    std::vector<Disc> discs;
    std::string error;
    ASSERT_TRUE(PlanDiscs(packages, rules, &discs, &error)) << error;
    ASSERT_EQ(discs.size(), 1u) << "the archive of 2095 bytes takes two blocks of 2048";
    rules.capacity = 2 * 2048;
    ASSERT_TRUE(PlanDiscs(packages, rules, &discs, &error)) << error;
    ASSERT_EQ(discs.size(), 2u) << "one block left: the package is split";
    EXPECT_EQ(discs[0].archives[0].bytes, one);
    EXPECT_EQ(discs[1].archives[0].name, "a2.rar");
    EXPECT_EQ(discs[1].archives[0].part, 2);
    rules.capacity = 2048 + 1024;
    EXPECT_FALSE(PlanDiscs(packages, rules, &discs, &error));
}

TEST(MkdiscParts, ProgressLine) {
    EXPECT_EQ(Progress::Line("disc 2 of 2", 150ull << 20, 300ull << 20, 2.0),
              "disc 2 of 2: 150 of 300 MiB (50%), 75 MiB/s");
    EXPECT_EQ(Progress::Line("image 1 of 1", 0, 0, 0.1), "image 1 of 1: 0 of 0 MiB (100%)")
        << "no rate before it means something";
}
