#include "support/World.h"

#include "shell/Registry.h"

class Language : public World {
  protected:
    void SetUp() override {
        World::SetUp();
        D().currentDir = "D:\\";
        reg::WriteString(os::kHkeyLocalMachine, reg::kWindowsKey, "ProgramFilesDir", "C:\\Program Files");
    }
};

TEST_F(Language, SelectLanguageAppliesTheTable) {
    Write("D:\\MediaRus\\strings.txt",
          "APP_TITLE \xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0\nLNG_CHARSET RUSSIAN_CHARSET\n"
          "GAME_DIR Orelwick\\Brightvale\nURL_HOMEPAGE https://b.example/ru\n"
          "URL_SUPPORT https://b.example/help\n");
    EXPECT_TRUE(SelectLanguage(1));
    EXPECT_EQ(g_installer.mediaDir, "MediaRus");
    EXPECT_EQ(RegValue("HKCU\\SOFTWARE\\Orelwick\\Brightvale", "MediaDir"), "MediaRus");
    EXPECT_EQ(g_fontCharset, 204);
    EXPECT_EQ(g_wideTitle, u"Установка");
    EXPECT_EQ(D().windowTitle, u"Установка");
    EXPECT_EQ(g_installer.gameDir, "C:\\Program Files\\Orelwick\\Brightvale");
    EXPECT_EQ(g_installer.homepageUrl, "https://b.example/ru");
    EXPECT_EQ(g_installer.supportUrl, "https://b.example/help");
}

TEST_F(Language, UnknownOrEmptyCharsetKeepsThePreviousOne) {
    Write("D:\\Media\\strings.txt", "LNG_CHARSET KLINGON_CHARSET\n");
    SelectLanguage(0);
    EXPECT_EQ(g_fontCharset, 238);
    Write("D:\\MediaGerm\\strings.txt", "LNG_CHARSET ANSI_CHARSET\n");
    SelectLanguage(3);
    EXPECT_EQ(g_fontCharset, 0);
    Write("D:\\MediaItal\\strings.txt", "LNG_CHARSET \n");
    SelectLanguage(4);
    EXPECT_EQ(g_fontCharset, 0);
    std::int32_t v = -1;
    EXPECT_TRUE(CharsetByName("THAI_CHARSET", &v));
    EXPECT_EQ(v, 222);
    EXPECT_FALSE(CharsetByName("thai_charset", &v)) << "names compare exactly";
}

TEST_F(Language, SetMediaDirAsksForTheDiscUntilTheTableLoads) {
    int asked = 0;
    D().onBox = [&](const os::testdouble::MessageBoxCall& call) {
        ++asked;
        EXPECT_EQ(call.text, "Please, place Peregrine install disk to the drive.\n");
        EXPECT_EQ(call.caption, "Installation");
        EXPECT_EQ(call.flags, os::kMbIconError);
        EXPECT_TRUE(call.wide);
        if (asked == 3) Write("D:\\MediaSpan\\strings.txt", "APP_TITLE Instalaci\xF3n\n");
    };
    EXPECT_TRUE(g_installer.SetMediaDir("MediaSpan"));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(g_installer.mediaDir, "MediaSpan");
}
