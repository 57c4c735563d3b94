// Buttons, check boxes, sliders, scroll bars and the progress bar, drawn through a recording painter
// and measured with the double's exact font.
#include "unit/ControlsWorld.h"

#include "gui/guiButton.h"
#include "gui/guiCheckBox.h"
#include "gui/guiProgress.h"
#include "gui/guiScrollbar.h"
#include "gui/guiSlider.h"

using os::testdouble::DoubleGlyphWidth;

namespace {

int g_fired = 0;
int g_checkedWhenFired = -1;

int Count(guiWidget* w) {
    ++g_fired;
    if (auto* box = dynamic_cast<guiCheckBox*>(w)) g_checkedWhenFired = box->checked;
    return 0;
}

} // namespace

class Controls : public ControlsWorld {
  protected:
    void SetUp() override {
        ControlsWorld::SetUp();
        g_fired = 0;
        g_checkedWhenFired = -1;
        font.Build("Arial", 9, guiColor::FromBytes(18, 40, 49, 255), false);
    }
    guiFont font;
};

TEST_F(Controls, ButtonClicksOnAReleaseOverItWhereverThePressWas) {
    guiDialog page;
    auto* button = new guiButton;
    button->rect = {100, 50, 40, 20};
    page.AddChild(button);
    page.RegisterCallback(button, Count);
    Mouse(page, kLeftDown, 10, 10); // pressed outside
    Mouse(page, kMouseMove, 120, 60);
    EXPECT_EQ(g_fired, 0);
    EXPECT_TRUE(Mouse(page, kLeftUp, 120, 60));
    EXPECT_EQ(g_fired, 1);
    EXPECT_FALSE(Mouse(page, kLeftDouble, 120, 60)) << "a double-click is not a click";
    EXPECT_FALSE(Mouse(page, kRightUp, 120, 60));
    EXPECT_FALSE(Mouse(page, kLeftUp, 141, 60)) << "one pixel right of the hit area";
    EXPECT_EQ(g_fired, 1);
    // A bare hot zone draws nothing but clicks.
    EXPECT_TRUE(button->Draw());
    EXPECT_TRUE(painter.calls.empty());
}

TEST_F(Controls, ButtonHoverOnTheRightEdgeColumnAndItsImages) {
    guiImage normal, over;
    guiButton button;
    button.rect = {100, 50, 40, 20};
    button.SetNormalImage(&normal);
    button.SetHoverImage(&over);
    Mouse(button, kMouseMove, 139, 69); // the last column and row it covers
    EXPECT_TRUE(button.hovered);
    button.Update();
    button.Draw();
    EXPECT_TRUE(button.hovered);
    ASSERT_EQ(painter.calls.size(), 1u);
    EXPECT_EQ(painter.calls[0].image, &over);
    EXPECT_EQ(painter.calls[0].x, 100);
    EXPECT_EQ(painter.calls[0].y, 50);
    g_mouseX = 140;
    button.Update();
    EXPECT_FALSE(button.hovered) << "seen outside: the hover ends";
    button.hovered = 1;
    painter.calls.clear();
    button.Draw();
    EXPECT_FALSE(button.hovered) << "drawing sees it too";
    ASSERT_EQ(painter.calls.size(), 1u);
    EXPECT_EQ(painter.calls[0].image, &normal);
}

TEST_F(Controls, ACaptionWiderThanTheButtonIsCentredAndCut) {
    guiButton button;
    button.rect = {100, 50, 20, 14};
    button.font = &font;
    button.SetCaption("Cancel");
    // C 6, a 6, n 4, c 8, e 5, l 7: 36 pixels in a 20-pixel button, so the caption starts 8 left of it.
    ASSERT_EQ(font.TextWidth("Cancel", 6), 36);
    button.Draw();
    EXPECT_EQ(painter.Text(font), "Cancel");
    auto glyphs = painter.Of(&font.atlas);
    ASSERT_EQ(glyphs.size(), 6u);
    EXPECT_EQ(glyphs[0].x, 92);
    EXPECT_EQ(glyphs[0].y, 50);
    EXPECT_EQ(glyphs[5].x, 92 + 36 - DoubleGlyphWidth('l'));
    for (const auto& g : glyphs)
        EXPECT_EQ(g.clip, button.rect) << "cut at the button's edges";
    EXPECT_EQ(painter.clip, RecordingPainter::kWhole) << "the clip is reset afterwards";
    // A narrow caption in a wide button: (60 - 36) / 2.
    button.rect.w = 60;
    painter.calls.clear();
    button.Draw();
    EXPECT_EQ(painter.Of(&font.atlas)[0].x, 112);
}

TEST_F(Controls, CheckBoxTogglesOnThePressOnly) {
    Skin("text_icon_on.tga", 20, 20);
    guiDialog page;
    auto* box = new guiCheckBox;
    box->rect = {10, 10, 20, 20};
    page.AddChild(box);
    page.RegisterCallback(box, Count);
    page.Create();
    EXPECT_TRUE(Mouse(page, kLeftDown, 15, 15));
    EXPECT_TRUE(box->checked);
    EXPECT_EQ(g_checkedWhenFired, 1) << "the callback sees the new state";
    EXPECT_FALSE(Mouse(page, kLeftUp, 15, 15));
    EXPECT_FALSE(Mouse(page, kLeftDouble, 15, 15));
    EXPECT_FALSE(Mouse(page, kRightDown, 15, 15));
    EXPECT_TRUE(box->checked);
    EXPECT_EQ(g_fired, 1);
    box->Draw();
    ASSERT_EQ(painter.calls.size(), 1u);
    EXPECT_EQ(painter.calls[0].image, guiCheckBox::tickImage.get());
    EXPECT_EQ(painter.calls[0].x, 10);
    EXPECT_EQ(guiCheckBox::tickImage->width, 20);
    Mouse(page, kLeftDown, 15, 15);
    EXPECT_FALSE(box->checked);
    EXPECT_EQ(g_checkedWhenFired, 0);
    painter.calls.clear();
    box->Draw();
    EXPECT_TRUE(painter.calls.empty()) << "unchecked draws nothing";
}

TEST_F(Controls, CheckBoxesShareOneTickReadOnce) {
    Skin("text_icon_on.tga", 20, 20, 200);
    guiCheckBox a, b;
    a.Create();
    guiImage* tick = guiCheckBox::tickImage.get();
    ASSERT_NE(tick, nullptr);
    Skin("text_icon_on.tga", 10, 10, 50); // changed on disc: not read again
    b.Create();
    EXPECT_EQ(guiCheckBox::tickImage.get(), tick);
    EXPECT_EQ(tick->width, 20);
    a.checked = b.checked = 1;
    a.Draw();
    b.Draw();
    ASSERT_EQ(painter.calls.size(), 2u);
    EXPECT_EQ(painter.calls[0].image, painter.calls[1].image);
}

TEST_F(Controls, SliderDragIsRelativeAndLimited) {
    guiSlider slider;
    slider.rect = {500, 100, 20, 200};
    EXPECT_TRUE(Mouse(slider, kLeftDown, 505, 150));
    EXPECT_EQ(slider.dragY, 150);
    EXPECT_FALSE(Mouse(slider, kMouseMove, 505, 200)) << "no drag without the left button held";
    EXPECT_EQ(slider.position, 0.0f);
    D().leftButtonHeld = true;
    EXPECT_TRUE(Mouse(slider, kMouseMove, 505, 200));
    EXPECT_FLOAT_EQ(slider.position, 0.25f) << "50 of 200 pixels";
    Mouse(slider, kMouseMove, 505, 190);
    EXPECT_FLOAT_EQ(slider.position, 0.2f);
    Mouse(slider, kMouseMove, 505, 100);
    EXPECT_EQ(slider.position, 0.0f) << "not above the top";
    Mouse(slider, kMouseMove, 505, 400);
    EXPECT_FLOAT_EQ(slider.position, 0.51f) << "thumb 0.5: at most 1.01 - 0.5";
    slider.thumbSize = 1.2f;
    Mouse(slider, kMouseMove, 505, 401);
    EXPECT_FLOAT_EQ(slider.position, -0.19f) << "the upper limit applies after the lower one";
    EXPECT_FALSE(Mouse(slider, kLeftUp, 505, 401));
}

TEST_F(Controls, SliderDrawsItsThumbInTiles) {
    Skin("scroller.tga", 14, 24);
    guiSlider slider;
    slider.rect = {500, 100, 14, 200};
    slider.Create();
    slider.Draw();
    // Height 200, thumb 0.5 at 0: tiles from row 100 while below 100 + 100.
    auto tiles = painter.Of(guiSlider::thumbTile.get());
    ASSERT_EQ(tiles.size(), 5u);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        EXPECT_EQ(tiles[i].x, 500);
        EXPECT_EQ(tiles[i].y, 100 + 24 * static_cast<int>(i));
        EXPECT_EQ(tiles[i].clip, (guiRect{500, 100, 14, 200}));
    }
    slider.position = 0.25f;
    painter.calls.clear();
    slider.Draw();
    EXPECT_EQ(painter.calls.front().y, 150);
    EXPECT_EQ(painter.calls.front().clip, (guiRect{500, 150, 14, 200}));
    // thumbSize 3 on height 100 at y 50: 300 > 50 + 100 - 20, no thumb.
    slider.rect = {500, 50, 14, 100};
    slider.position = 0;
    slider.thumbSize = 3;
    painter.calls.clear();
    slider.Draw();
    EXPECT_TRUE(painter.Of(guiSlider::thumbTile.get()).empty());
}

TEST_F(Controls, ScrollbarOwnsItsSliderAndPublishesThePosition) {
    guiScrollbar bar;
    bar.rect = {500, 100, 22, 200};
    bar.pageSize = 0.25f;
    EXPECT_TRUE(bar.Create());
    ASSERT_NE(bar.slider, nullptr);
    ASSERT_EQ(bar.children.size(), 1u);
    EXPECT_EQ(bar.slider->rect, bar.rect);
    EXPECT_EQ(bar.slider->thumbSize, 0.25f);
    D().leftButtonHeld = true;
    Mouse(bar, kLeftDown, 510, 120);
    Mouse(bar, kMouseMove, 510, 170);
    EXPECT_FLOAT_EQ(bar.position, 0.25f);
    Mouse(bar, kMouseMove, 510, 400); // outside: the slider sees nothing
    EXPECT_FLOAT_EQ(bar.position, 0.25f);
    EXPECT_FALSE(bar.Draw());
}

TEST_F(Controls, ProgressFillAndText) {
    Skin("progress_bar.tga", 441, 20);
    guiProgress bar;
    EXPECT_STREQ(bar.text, "(1.1%)");
    bar.rect = {80, 250, 395, 20};
    bar.Create();
    ASSERT_FALSE(D().fonts.empty());
    EXPECT_EQ(D().fonts.back().face, "Arial");
    EXPECT_EQ(D().fonts.back().pointSize, 8);
    EXPECT_FALSE(D().fonts.back().bold);
    bar.SetProgress(0.1f);
    EXPECT_EQ(bar.fillWidth, 39);
    EXPECT_STREQ(bar.text, "(11.0%)");
    EXPECT_FALSE(bar.Draw());
    auto image = painter.Of(&bar.barImage);
    ASSERT_EQ(image.size(), 1u);
    EXPECT_EQ(image[0].clip, (guiRect{80, 250, 32, 20})) << "revealed in steps of 8";
    EXPECT_EQ(painter.Text(bar.font), "(11.0%)");
    EXPECT_EQ(painter.Of(&bar.font.atlas)[0].x, 308);
    EXPECT_EQ(painter.Of(&bar.font.atlas)[0].y, 282);
    EXPECT_EQ(painter.Of(&bar.font.atlas)[0].clip, RecordingPainter::kWhole);
    bar.SetProgress(0.5f);
    EXPECT_STREQ(bar.text, "(50.6%)");
    bar.SetProgress(1.0f);
    EXPECT_STREQ(bar.text, "(100.0%)");
    EXPECT_EQ(bar.fillWidth, 395);
    // Moved after the last SetProgress: the image stays at the old row.
    bar.rect.y = 300;
    painter.calls.clear();
    bar.Draw();
    EXPECT_EQ(painter.Of(&bar.barImage)[0].y, 250);
}

TEST_F(Controls, ProgressOutsideItsRangeStaysInIt) {
    guiProgress bar;
    bar.rect = {0, 0, 400, 20};
    bar.SetProgress(2.5f);
    EXPECT_EQ(bar.fillWidth, 400);
    EXPECT_STREQ(bar.text, "(100.0%)");
    bar.SetProgress(-1.0f);
    EXPECT_EQ(bar.fillWidth, 0);
    EXPECT_STREQ(bar.text, "(1.1%)");
    bar.SetProgress(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(bar.fillWidth, 0);
}

TEST_F(Controls, AMissingThumbTileIsTriedOncePerFrame) {
    guiSlider slider;
    slider.rect = {500, 100, 14, 200};
    slider.Create();
    int opens = D().fileOpens;
    slider.Draw();
    slider.Draw();
    EXPECT_EQ(D().fileOpens - opens, 2);
    EXPECT_TRUE(painter.calls.empty());
    Skin("scroller.tga", 14, 24); // the file appears: the next frame shows it
    slider.Draw();
    EXPECT_EQ(painter.calls.size(), 5u);
}
