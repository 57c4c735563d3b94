#include "support/World.h"

#include "shell/MessageBoxes.h"

class MessageBoxes : public World {};

namespace {
// A skinned box that records what it was asked and answers at once, as a click would.
class RecordingBox : public guiYesNoBox {
  public:
    int answer = 3;
    std::string shown, caption;
    void SetTexts(const char* m, const char* c) override {
        guiYesNoBox::SetTexts(m, c);
        shown = m;
        caption = c;
        result = answer;
    }
};
} // namespace

TEST_F(MessageBoxes, TableTextsAreShownAsTheyStand) {
    LoadStrings("APP_TITLE Brightvale %s\nTRAP 100%% sure? %s%n%d\n");
    ShowInfo("%s", g_strings.GetText("TRAP"));
    AskYesNo("%s", g_strings.GetText("TRAP"));
    ReportError("%s", g_strings.GetText("TRAP"));
    ASSERT_EQ(D().boxes.size(), 3u);
    for (const auto& box : D().boxes)
        EXPECT_EQ(box.text, "100%% sure? %s%n%d\n");
    EXPECT_EQ(D().boxes[0].caption, "Brightvale %s");
    EXPECT_EQ(D().boxes[0].flags, os::kMbIconInformation);
    EXPECT_EQ(D().boxes[0].owner, nullptr) << "ShowInfo's system box has no owner";
    EXPECT_EQ(D().boxes[1].flags, os::kMbIconQuestion | os::kMbYesNo);
    EXPECT_TRUE(D().boxes[2].wide);
    EXPECT_EQ(D().boxes[2].caption, "Installation");
    // What the player was told also reaches the debug output, one line a message.
    ASSERT_EQ(D().debugTexts.size(), 3u);
    for (const auto& line : D().debugTexts)
        EXPECT_EQ(line, "message: 100%% sure? %s%n%d\n");
}

TEST_F(MessageBoxes, LongTextsAreCutToTheBuffer) {
    std::string big(5000, 'x');
    ShowInfo("%s", big.c_str());
    ReportError("%s", big.c_str());
    ASSERT_EQ(D().boxes.size(), 2u);
    EXPECT_EQ(D().boxes[0].text.size(), 1023u);
    EXPECT_EQ(D().boxes[0].text.back(), '\n');
    EXPECT_EQ(D().boxes[1].text.size(), 1023u);
    EXPECT_EQ(D().boxes[1].text.back(), '\n');
    // Cyrillic letters are two bytes in UTF-8 but one wide character: the wide cut counts characters.
    std::string cyrillic(3000, '\xE0');
    ReportError("%s", cyrillic.c_str());
    EXPECT_EQ(os::testdouble::FromUtf8(D().boxes[2].text).size(), 1023u);
}

TEST_F(MessageBoxes, AskYesNoAnswers) {
    D().answers = {os::kIdYes, os::kIdNo};
    EXPECT_TRUE(AskYesNo("Continue?"));
    EXPECT_FALSE(AskYesNo("Continue?"));
}

TEST_F(MessageBoxes, SkinnedBoxesOnceTheWindowExists) {
    LoadStrings("APP_TITLE Brightvale\n");
    auto box = std::make_unique<RecordingBox>();
    RecordingBox* b = box.get();
    g_installer.yesNoBox = std::move(box);
    D().answers = {os::kIdYes};
    EXPECT_TRUE(AskYesNo("Q?")) << "no window yet: the system box";
    EXPECT_FALSE(AskYesNo("Q?")) << "the system box, answered No";
    EXPECT_EQ(D().boxes.size(), 2u);
    int window = 0;
    g_installer.hwnd = &window;
    EXPECT_TRUE(AskYesNo("Insert %s", "CD2"));
    EXPECT_EQ(b->shown, "Insert CD2\n");
    EXPECT_EQ(b->caption, "Brightvale");
    b->answer = 4;
    EXPECT_FALSE(AskYesNo("Insert %s", "CD2"));
    EXPECT_EQ(D().boxes.size(), 2u) << "no further system box";
    g_installer.hwnd = nullptr;
}

TEST_F(MessageBoxes, ShowLastErrorShowsNothingWithoutText) {
    ShowLastError();
    EXPECT_TRUE(D().boxes.empty());
    D().lastErrorText = "Access is denied.";
    ShowLastError();
    ASSERT_EQ(D().boxes.size(), 1u);
    EXPECT_EQ(D().boxes[0].caption, "Error");
}
