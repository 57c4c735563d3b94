// Listing a package through the real libraries (the vendor's and our stand-in), as the journal does
// before the package is unpacked.
#include "support/World.h"

#include "Rar4Writer.h"
#include "engine/PackageListing.h"

#include <algorithm>

class Listing : public World, public ::testing::WithParamInterface<const char*> {};

TEST_P(Listing, MembersInArchiveOrderWithTheirFolders) {
    fs::create_symlink(GetParam(), root / "c" / "Temp" / "unrar.dll");
    Rar4Writer w;
    std::uint32_t t = Rar4Writer::DosTime(1700000000);
    std::string package = (root / "game.rar").string();
    ASSERT_TRUE(w.Open(package));
    w.AddFolder("data", t);
    w.AddBytes("data\\valley.map", std::string(70000, 'v'), t);
    w.AddBytes("readme.txt", "hello", t);
    ASSERT_TRUE(w.Close());
    std::vector<PackageMember> members;
    ASSERT_TRUE(ListPackage(package.c_str(), &members));
    ASSERT_EQ(members.size(), 3u);
    for (PackageMember& m : members) // the libraries give the host's separator
        std::replace(m.name.begin(), m.name.end(), '/', '\\');
    EXPECT_EQ(members[0].name, "data");
    EXPECT_TRUE(members[0].isFolder);
    EXPECT_EQ(members[1].name, "data\\valley.map");
    EXPECT_FALSE(members[1].isFolder);
    EXPECT_EQ(members[2].name, "readme.txt");

    EXPECT_FALSE(ListPackage((root / "missing.rar").string().c_str(), &members));
    EXPECT_TRUE(members.empty());
}

INSTANTIATE_TEST_SUITE_P(Libraries, Listing, ::testing::Values(BV_STANDIN_SO, BV_VENDOR_SO));

TEST_F(World, ListingWithoutTheLibraryFails) {
    std::vector<PackageMember> members;
    EXPECT_FALSE(ListPackage("game.rar", &members));
}
