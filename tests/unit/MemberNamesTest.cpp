#include "engine/MemberNames.h"

#include <gtest/gtest.h>

TEST(MemberNames, NamesInsideTheTargetPass) {
    for (const char* name : {"readme.txt", "data\\maps\\valley.map", "data/maps", "a.b.c", ".hidden", "com",
                             "COM10", "LPT", "console.txt", "CONx.txt", "nul_file", "COMA",
                             "\x84\xAE\xAA\xE3\xAC\xA5\xAD\xE2\xEB\\file.txt", "sub\\.\\x"})
        EXPECT_TRUE(MemberNameIsSafe(name)) << name;
}

TEST(MemberNames, NamesLeavingTheTargetAreRefused) {
    for (const char* name : {"", "..\\up", "a\\..\\..\\up", "\\root", "/root", "C:\\x", "a:stream", "...",
                             ".. ", "sub\\... \\x"})
        EXPECT_FALSE(MemberNameIsSafe(name)) << name;
}

TEST(MemberNames, DeviceNamesInAnyComponentAreRefused) {
    for (const char* name : {"CON", "con.txt", "sub\\aux.log", "NUL", "PRN.", "COM1", "lpt9.doc", "CONIN$",
                             "clock$", "CON ", "CON .txt", "con  .log", "sub\\NUL .x\\y", "COM1 .a.b"})
        EXPECT_FALSE(MemberNameIsSafe(name)) << name;
}

TEST(MemberNames, SuperscriptDigitsNameDevicesToo) {
    // Windows counts COM and LPT with a superscript one, two or three as devices: in UTF-8 (the
    // names of RAR 5) and in the OEM code pages that hold them (850: FB FD FC, 437: FD), and in the
    // ANSI code page the recorded names are in (B9 B2 B3).
    for (const char* name : {"COM\xC2\xB9", "com\xC2\xB2.txt", "sub\\LPT\xC2\xB3", "COM\xFB", "LPT\xFC.log",
                             "com\xFD", "COM\xB9", "lpt\xB2", "LPT\xB3.x", "COM\xC2\xB9 .txt"})
        EXPECT_FALSE(MemberNameIsSafe(name)) << name;
    // Other characters after the three letters are plain names.
    for (const char* name : {"COM\xC2\xBA", "COM\xC2\xB9x", "LPT\xFE", "COM\xFBx", "COM\xC2"})
        EXPECT_TRUE(MemberNameIsSafe(name)) << name;
}
