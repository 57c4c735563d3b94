#include "support/World.h"

#include "shell/Text.h"

#include <atomic>
#include <cstring>
#include <thread>

class StringTable : public World {
  protected:
    // The same lines as a UTF-16LE file with the mark FF FE.
    void LoadWide(const std::u16string& lines) {
        std::string bytes = "\xFF\xFE";
        for (char16_t c : lines) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        Write("C:\\Temp\\wide.txt", bytes);
        ASSERT_TRUE(g_strings.Load("C:\\Temp\\wide.txt"));
    }
};

TEST_F(StringTable, AnsiAndUtf16FilesGiveTheSameEntries) {
    // "Установка" in code page 1251, and the same word in UTF-16.
    std::string ansi =
        "APP_TITLE\t\t\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0\r\nGAME_DIR Orelwick\\Brightvale\r\n";
    LoadStrings(ansi);
    std::u16string title1 = g_strings.GetWideText("APP_TITLE");
    std::string dir1 = g_strings.GetText("GAME_DIR");
    LoadWide(u"APP_TITLE\t\tУстановка\r\nGAME_DIR Orelwick\\Brightvale\r\n");
    EXPECT_EQ(title1, u"Установка");
    EXPECT_EQ(std::u16string(g_strings.GetWideText("APP_TITLE")), title1);
    EXPECT_EQ(dir1, "Orelwick\\Brightvale");
    EXPECT_STREQ(g_strings.GetText("GAME_DIR"), dir1.c_str());
    EXPECT_STREQ(g_strings.GetText("APP_TITLE"), "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0");
}

TEST_F(StringTable, KeyAndValueSplit) {
    LoadStrings("TRAIL\t\tsome text  \r\n"
                "ALONE\n"
                "ONE word\n"
                "MIXED \t \r value with  inner blanks\r\n"
                " LEADING blank gives the empty key\n"
                "LAST no newline");
    EXPECT_STREQ(g_strings.GetText("TRAIL"), "some text  ");
    EXPECT_STREQ(g_strings.GetText("ALONE"), "");
    EXPECT_STREQ(g_strings.GetText("ONE"), "word");
    EXPECT_STREQ(g_strings.GetText("MIXED"), "value with  inner blanks");
    EXPECT_STREQ(g_strings.GetText(""), "LEADING blank gives the empty key");
    EXPECT_STREQ(g_strings.GetText("LEADING"), "");
    EXPECT_STREQ(g_strings.GetText("LAST"), "no newline");
    EXPECT_STREQ(g_strings.GetText("trail"), "") << "keys are case-sensitive";
}

TEST_F(StringTable, LastOccurrenceWinsAndMissingKeysAreEmpty) {
    LoadStrings("KEY first\nKEY second\n\n");
    EXPECT_STREQ(g_strings.GetText("KEY"), "second");
    EXPECT_STREQ(g_strings.GetText("NOPE"), "");
    EXPECT_EQ(g_strings.GetWideText("NOPE")[0], u'\0');
}

TEST_F(StringTable, AMissingFileLeavesTheTableUnchanged) {
    LoadStrings("KEY kept\n");
    EXPECT_FALSE(g_strings.Load("C:\\Temp\\missing.txt"));
    EXPECT_STREQ(g_strings.GetText("KEY"), "kept");
}

TEST_F(StringTable, NumbersReadAsAtoiDoes) {
    LoadStrings("A 42\nB   -17px\nC abc\nD +8\nE 99999999999999\nF\n");
    EXPECT_EQ(g_strings.GetNumber("A"), 42);
    EXPECT_EQ(g_strings.GetNumber("B"), -17);
    EXPECT_EQ(g_strings.GetNumber("C"), 0);
    EXPECT_EQ(g_strings.GetNumber("D"), 8);
    EXPECT_EQ(g_strings.GetNumber("E"), 2147483647) << "saturates instead of overflowing";
    EXPECT_EQ(g_strings.GetNumber("F"), 0);
    EXPECT_EQ(g_strings.GetNumber("MISSING"), 0);
    EXPECT_EQ(text::Atoi(" \t 12"), 12);
}

TEST_F(StringTable, PoolExhaustionStoresTheEmptyString) {
    // 16383 usable characters: ten lines of a 2000-character value fill it after eight.
    std::string lines;
    std::string value(2000, 'v');
    for (int i = 0; i < 10; ++i)
        lines += "K" + std::to_string(i) + " " + value + "\n";
    LoadStrings(lines);
    EXPECT_EQ(std::string(g_strings.GetText("K0")).size(), 255u) << "narrow form cut to the 256-byte buffer";
    EXPECT_EQ(std::u16string(g_strings.GetWideText("K7")).size(), 2000u);
    EXPECT_EQ(g_strings.GetWideText("K8")[0], u'\0');
    EXPECT_EQ(g_strings.GetWideText("K9")[0], u'\0');
    EXPECT_LE(g_strings.PoolUsed(), CStringTable::kPoolChars);
}

TEST_F(StringTable, KeysThatNoLongerFitBecomeTheEmptyKey) {
    // Eight 2000-character values and one of 340 leave exactly 6 characters of the pool free.
    std::string lines;
    for (int i = 0; i < 8; ++i)
        lines += "K" + std::to_string(i) + " " + std::string(2000, 'v') + "\n";
    lines += "MID " + std::string(340, 'm') + "\nLATEKEY late\n";
    LoadStrings(lines);
    EXPECT_EQ(g_strings.PoolUsed(), CStringTable::kPoolChars - 6 + 5);
    EXPECT_EQ(std::u16string(g_strings.GetWideText("MID")).size(), 340u);
    EXPECT_STREQ(g_strings.GetText("LATEKEY"), "") << "its key did not fit";
    EXPECT_STREQ(g_strings.GetText(""), "late") << "its value did, under the empty key";
}

TEST_F(StringTable, LongLinesAreReadInPiecesOf2047) {
    std::string line = "LONG " + std::string(2042, 'a') + "TAILKEY tail\n";
    ASSERT_EQ(line.size(), 2047u + 13u);
    LoadStrings(line);
    EXPECT_EQ(std::u16string(g_strings.GetWideText("LONG")).size(), 2042u);
    EXPECT_STREQ(g_strings.GetText("TAILKEY"), "tail") << "the rest of the line is a line of its own";
    LoadWide(u"LONG " + std::u16string(2042, u'b') + u"WKEY wide\n");
    EXPECT_EQ(std::u16string(g_strings.GetWideText("LONG")).size(), 2042u);
    EXPECT_STREQ(g_strings.GetText("WKEY"), "wide");
}

TEST_F(StringTable, NarrowLookupIsCutAtTheBuffer) {
    LoadStrings("K " + std::string(300, 'z') + "\n");
    EXPECT_EQ(std::strlen(g_strings.GetText("K")), 255u);
}

TEST_F(StringTable, NarrowLookupsFromTwoThreads) {
    // The worker reads captions while the main thread reads page texts: each gets its own value,
    // whole, and it stays put until that thread's next narrow lookup.
    LoadStrings("CAPTION " + std::string(250, 'c') + "\nPAGE " + std::string(120, 'p') + "\n");
    std::atomic<int> wrong{0};
    auto look = [&](const char* key, char c, std::size_t length) {
        for (int i = 0; i < 20000; ++i) {
            const char* value = g_strings.GetText(key);
            for (int k = 0; k < 3; ++k)
                if (std::strlen(value) != length || value[0] != c || value[length - 1] != c) ++wrong;
        }
    };
    std::thread worker(look, "CAPTION", 'c', 250);
    look("PAGE", 'p', 120);
    worker.join();
    EXPECT_EQ(wrong.load(), 0);
    const char* first = g_strings.GetText("PAGE");
    std::string kept = first;
    std::thread([] { g_strings.GetText("CAPTION"); }).join();
    EXPECT_EQ(std::string(first), kept) << "another thread's lookup leaves this thread's text alone";
}
