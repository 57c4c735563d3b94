#include "UninstallPlan.h"

#include <gtest/gtest.h>

using namespace uninstall;

namespace {

Environment TypicalMachine() {
    Environment env;
    env.systemFolders = {"C:\\Windows", "C:\\Windows\\system32", "C:\\Program Files", "C:\\Users\\ann",
                         "C:\\Users\\ann\\Desktop"};
    env.profilesFolders = {"C:\\Users"};
    env.shortcutFolders = {"C:\\Users\\ann\\Desktop", "C:\\Users\\ann\\Start Menu\\Programs",
                           "C:\\Users\\ann\\START~1\\Programs"};
    env.groupFolders = {"C:\\Users\\ann\\Start Menu\\Programs", "C:\\Users\\ann\\START~1\\Programs"};
    env.gameFolderForms = {"C:\\PROGRA~1\\Orelwick\\BRIGHT~1"};
    return env;
}

const std::string kGame = "C:\\Program Files\\Orelwick\\Brightvale";

} // namespace

TEST(UninstallPlan, NormalizeAndWithin) {
    EXPECT_EQ(Normalize("C:\\Games\\\\B\\"), "C:\\Games\\B");
    EXPECT_EQ(Normalize("C:/Games/./B//x.txt"), "C:\\Games\\B\\x.txt");
    EXPECT_EQ(Normalize("D:\\"), "D:\\");
    EXPECT_TRUE(IsWithin("c:\\games\\b\\X.TXT", "C:\\Games\\B"));
    EXPECT_TRUE(IsWithin("C:\\Games\\B", "C:\\Games\\B\\"));
    EXPECT_FALSE(IsWithin("C:\\Games\\Brightvale2\\x", "C:\\Games\\Brightvale"))
        << "a name prefix is not a folder";
    EXPECT_TRUE(IsWithin("D:\\x", "D:\\")) << "a root holds everything on its drive";
}

TEST(UninstallPlan, TypicalLogInReverseOrderEachPathOnce) {
    std::vector<std::string> log = {
        kGame + "\\",
        "readme.txt",
        kGame + "\\",
        "maps",
        "maps\\north.map",
        "C:\\Users\\ann\\Desktop\\PLAYBR~1.LNK",
        "C:\\Users\\ann\\START~1\\Programs\\Orelwick\\BRIGHT~1\\",
        kGame + "\\uninstall.exe",
        "strings.txt",
        "C:\\Users\\ann\\START~1\\Programs\\Orelwick\\BRIGHT~1\\PLAYBR~1.LNK",
        "addinstf.bin",
        "uninstall.exe",
        "Media\\strings.txt",
        "Media",
    };
    Plan plan = MakePlan(kGame, log, TypicalMachine());
    ASSERT_EQ(plan.refusal, Refusal::None);
    std::vector<std::string> expected = {
        kGame + "\\Media",
        kGame + "\\Media\\strings.txt",
        kGame + "\\addinstf.bin",
        "C:\\Users\\ann\\START~1\\Programs\\Orelwick\\BRIGHT~1\\PLAYBR~1.LNK",
        kGame + "\\strings.txt",
        kGame + "\\uninstall.exe", // logged twice, removed at its first line's place
        "C:\\Users\\ann\\START~1\\Programs\\Orelwick\\BRIGHT~1",
        "C:\\Users\\ann\\Desktop\\PLAYBR~1.LNK",
        kGame + "\\maps\\north.map",
        kGame + "\\maps",
        kGame + "\\readme.txt",
    };
    EXPECT_EQ(plan.remove, expected) << "the game folder itself is not in the list: it goes last, when empty";
    EXPECT_TRUE(plan.skipped.empty());
}

TEST(UninstallPlan, ShortFormOfTheGameFolderAndOutsideEntries) {
    Plan plan =
        MakePlan(kGame,
                 {"C:\\PROGRA~1\\Orelwick\\BRIGHT~1\\data\\a.dat", "E:\\Other\\", "C:\\Windows\\win.ini",
                  "C:\\Windows\\evil.lnk", "C:\\Users\\ann\\Desktop\\", "C:\\Users\\ann\\Desktop\\notes.txt",
                  "C:\\Users\\ann\\Start Menu\\Programs\\", "D:\\Data"},
                 TypicalMachine());
    ASSERT_EQ(plan.refusal, Refusal::None);
    EXPECT_EQ(plan.remove, std::vector<std::string>{"C:\\PROGRA~1\\Orelwick\\BRIGHT~1\\data\\a.dat"});
    // Another drive, a system file, a shortcut outside the shortcut folders, the desktop itself, a plain
    // file on the desktop, the Programs folder itself and a root: all left alone.
    EXPECT_EQ(plan.skipped.size(), 7u);
}

TEST(UninstallPlan, HostileEntriesRefuseTheWholeLog) {
    for (const std::string& bad :
         {std::string("..\\..\\Windows\\win.ini"), std::string("maps\\..\\..\\x"), std::string("C:\\"),
          std::string("\\Windows\\win.ini"), std::string("\\\\server\\share\\x"), std::string("D:x.txt"),
          std::string(kGame + "\\..\\..\\Windows\\win.ini"), std::string("*.*"),
          // Windows ends a name at its NUL: this would remove the folder behind a shortcut's name.
          std::string("C:\\Users\\ann\\Desktop\\Documents\0.lnk", 35), std::string("maps\tx")}) {
        Plan plan = MakePlan(kGame, {"readme.txt", bad, "maps"}, TypicalMachine());
        EXPECT_EQ(plan.refusal, Refusal::BadEntry) << bad;
        EXPECT_EQ(plan.offending, bad);
        EXPECT_TRUE(plan.remove.empty()) << bad;
    }
}

TEST(UninstallPlan, UnsafeGameFolders) {
    Environment env = TypicalMachine();
    for (const std::string& folder :
         {std::string("C:\\"), std::string("D:\\"), std::string("C:\\Windows"),
          std::string("c:\\windows\\System32\\"), std::string("C:\\Program Files"), std::string("C:\\Users"),
          std::string("C:\\Users\\ann"), std::string("C:\\Users\\bob"),
          std::string("C:\\Users\\ann\\Desktop"), std::string("Games\\Brightvale"),
          std::string("\\\\server\\share\\Brightvale"), std::string("C:\\Games\\..")}) {
        Plan plan = MakePlan(folder, {"readme.txt"}, env);
        EXPECT_EQ(plan.refusal, Refusal::UnsafeFolder) << folder;
        EXPECT_TRUE(plan.remove.empty());
    }
    EXPECT_FALSE(IsUnsafeGameFolder("C:\\Users\\ann\\Games\\Brightvale", env)) << "inside a profile is fine";
    EXPECT_FALSE(IsUnsafeGameFolder("D:\\Games\\Brightvale", env));
    EXPECT_FALSE(IsUnsafeGameFolder(kGame, env));
}

TEST(UninstallPlan, EmptyLog) {
    EXPECT_EQ(MakePlan(kGame, {}, TypicalMachine()).refusal, Refusal::EmptyLog);
}
