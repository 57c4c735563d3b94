#include "support/World.h"

#include "shell/Text.h"

class Text : public World {};

TEST_F(Text, CutAnsiKeepsDoubleByteCharactersWhole) {
    // Code page 932: 0x82 0xA0 is one character; 0xB1 is a single-byte katakana.
    os::testdouble::UseLeadBytesOf(932);
    auto cut = [](std::string s, std::size_t n) {
        text::CutAnsi(s, n);
        return s;
    };
    const std::string kana = "\x82\xA0";
    EXPECT_EQ(cut("ab" + kana, 3), "ab") << "the lead byte does not stay alone";
    EXPECT_EQ(cut("ab" + kana, 4), "ab" + kana);
    EXPECT_EQ(cut("a" + kana + "b", 3), "a" + kana);
    EXPECT_EQ(cut(kana + kana + kana, 5), kana + kana);
    // A trail byte may have a lead byte's value: the walk from the start tells them apart.
    const std::string tricky = "\x81\x81\x81\x81";
    EXPECT_EQ(cut("x" + tricky, 4), "x\x81\x81");
    EXPECT_EQ(cut("\xB1\xB1" + kana, 3), "\xB1\xB1") << "single-byte characters above 0x80";
    EXPECT_EQ(cut("ab", 0), "");
    EXPECT_EQ(text::Fit("ab" + kana, 4), "ab") << "a buffer of 4 holds 3 bytes and the zero";
    EXPECT_EQ(text::Format(4, "%s", ("a" + kana + "z").c_str()), "a" + kana);

    os::testdouble::UseLeadBytesOf(1251);
    EXPECT_EQ(cut("ab" + kana, 3), "ab\x82") << "a single-byte code page cuts anywhere";
}

TEST_F(Text, CutWideKeepsSurrogatePairsWhole) {
    auto cut = [](std::u16string s, std::size_t n) {
        text::CutWide(s, n);
        return s;
    };
    const std::u16string clef = u"\U0001D11E"; // a pair: D834 DD1E
    ASSERT_EQ(clef.size(), 2u);
    EXPECT_EQ(cut(u"ab" + clef, 3), u"ab") << "a high surrogate without its pair goes";
    EXPECT_EQ(cut(u"ab" + clef, 4), u"ab" + clef);
    EXPECT_EQ(cut(u"a" + clef + u"b", 3), u"a" + clef) << "a cut after the low surrogate keeps the pair";
    EXPECT_EQ(cut(clef + clef, 3), clef);
    EXPECT_EQ(cut(u"\u0416\u0416\u0416", 2), u"\u0416\u0416");
    EXPECT_EQ(cut(u"abc", 5), u"abc");
    EXPECT_EQ(cut(clef, 1), u"");
    EXPECT_EQ(cut(clef, 0), u"");
}
