#include "support/World.h"

#include "engine/InstallDescription.h"

#include <cmath>

class InstallDescription : public World {};

TEST_F(InstallDescription, EntryRules) {
    install::PackageEntry e;
    ASSERT_TRUE(install::SplitEntry("cd2:data.rar 1000", &e));
    EXPECT_EQ(e.marker, "cd2");
    EXPECT_EQ(e.package, "data.rar");
    EXPECT_EQ(install::EntrySize("cd2:data.rar 1000"), 1000u);

    EXPECT_FALSE(install::SplitEntry("data.rar 1000", &e)) << "no ':' installs nothing";
    EXPECT_EQ(install::EntrySize("data.rar 1000"), 1000u) << "but still counts";
    EXPECT_FALSE(install::SplitEntry("cd1:data.rar", &e)) << "no blank after the package";
    EXPECT_EQ(install::EntrySize("cd1:data.rar"), 0u);
    EXPECT_FALSE(install::SplitEntry("", &e));
    EXPECT_EQ(install::EntrySize(""), 0u);
    EXPECT_EQ(install::EntrySize("cd1:x.rar abc"), 0u);
    ASSERT_TRUE(install::SplitEntry("cd1:x.rar 12 trailing words", &e));
    EXPECT_EQ(e.package, "x.rar");
    EXPECT_EQ(install::EntrySize("cd1:x.rar 6442450944"), 6442450944u) << "sizes beyond 32 bits";
}

TEST_F(InstallDescription, TotalVisitsAll128IndicesWithGaps) {
    LoadStrings("SOURCE0 cd1:a.rar 100\nSOURCE4 cd1:b.rar 20\nSOURCE6 cd2:c.rar 3\n"
                "SOURCE127 cd2:d.rar 4000\nSOURCE128 cd2:e.rar 50000\nSOURCE07 cd1:f.rar 600000\n"
                "SOURCE9 nocolon.rar 7\n");
    EXPECT_EQ(install::TotalSize(), 100u + 20u + 3u + 4000u + 7u);
    EXPECT_EQ(install::EntryText(5), "");
    EXPECT_EQ(install::EntryText(4), "cd1:b.rar 20");
}

TEST_F(InstallDescription, ProgressFraction) {
    EXPECT_EQ(ProgressFraction(0, 0), 0.0f) << "no total: a defined 0";
    EXPECT_EQ(ProgressFraction(500, 0), 0.0f);
    EXPECT_FALSE(std::isnan(ProgressFraction(0, 0)));
    EXPECT_FLOAT_EQ(ProgressFraction(3ll << 30, 6ll << 30), 0.5f) << "several GiB";
    EXPECT_FLOAT_EQ(ProgressFraction(5ll << 30, 4ll << 30), 1.25f) << "the page clamps what it shows";
}
