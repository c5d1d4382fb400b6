// Drawing rules of the skinned controls: state pictures, strips, hot areas, check boxes and label formats.
#include "ui/layout/ControlGeometry.h"

#include "GeometryPrinting.h"

#include <gtest/gtest.h>

TEST(ControlGeometry, StateImagesFollowStateAndEnabling) {
    EXPECT_EQ(StateImageIndex(kStateNormal, true), 0);
    EXPECT_EQ(StateImageIndex(kStateHover, true), 1);
    EXPECT_EQ(StateImageIndex(kStatePressed, true), 2);
    for (int state : {kStateNormal, kStateHover, kStatePressed}) {
        EXPECT_EQ(StateImageIndex(state, false), 3);
    }
}

TEST(ControlGeometry, PngButtonCutsTheLastRowAndColumnOnlyAboveScale1) {
    EXPECT_EQ(PngButtonSourceRect({55, 24}, 1.0f), Rect(0, 0, 55, 24));
    EXPECT_EQ(PngButtonSourceRect({55, 24}, 1.5f), Rect(0, 0, 54, 23));
    EXPECT_EQ(PngButtonSourceRect({12, 12}, 1.92f), Rect(0, 0, 11, 11));
    EXPECT_EQ(PngButtonSourceRect({12, 12}, 0.5f), Rect(0, 0, 12, 12));
}

TEST(ControlGeometry, StripFramesAreAQuarterOfTheStrip) {
    const Size strip{1036, 85};
    EXPECT_EQ(StripFrameRect(strip, kStateNormal, true), Rect(0, 0, 259, 85));
    EXPECT_EQ(StripFrameRect(strip, kStateHover, true), Rect(259, 0, 518, 85));
    EXPECT_EQ(StripFrameRect(strip, kStatePressed, true), Rect(518, 0, 777, 85));
    EXPECT_EQ(StripFrameRect(strip, kStatePressed, false), Rect(777, 0, 1036, 85));
    // A strip whose width is not a multiple of 4 drops the remainder.
    EXPECT_EQ(StripFrameRect({1038, 85}, kStateNormal, false), Rect(777, 0, 1036, 85));
}

TEST(ControlGeometry, HotAreaShrinksByTheMargins) {
    const Rect hot = HotArea(Rect::FromSize(0, 0, 266, 60), {9, 9, 9, 9});
    EXPECT_EQ(hot, Rect(9, 9, 257, 51));
    EXPECT_FALSE(hot.Contains({8, 30}));
    EXPECT_TRUE(hot.Contains({9, 30}));
    EXPECT_FALSE(hot.Contains({257, 30}));
    EXPECT_FALSE(hot.Contains({100, 51}));
    EXPECT_EQ(HotArea(Rect::FromSize(0, 0, 20, 20), {}), Rect(0, 0, 20, 20));
    // Margins bigger than the button leave no hot area at all.
    EXPECT_FALSE(HotArea(Rect::FromSize(0, 0, 20, 20), {15, 0, 15, 0}).Contains({10, 10}));
}

TEST(ControlGeometry, CheckBoxBoxAndText) {
    const CheckBoxLayout unchecked = LayOutCheckBox(Rect::FromSize(0, 0, 60, 20), 1.0f, 0);
    EXPECT_EQ(unchecked.box, Rect(0, 2, 16, 18));
    EXPECT_EQ(unchecked.text, Rect(18, 0, 60, 20));
    EXPECT_EQ(unchecked.sourceX, 0);
    EXPECT_EQ(LayOutCheckBox(Rect::FromSize(0, 0, 60, 20), 1.0f, 1).sourceX, 16);
    EXPECT_EQ(LayOutCheckBox(Rect::FromSize(0, 0, 60, 20), 1.0f, 2).sourceX, 0); // indeterminate shows empty
    const CheckBoxLayout big = LayOutCheckBox(Rect::FromSize(0, 0, 120, 40), 2.0f, 1);
    EXPECT_EQ(big.box, Rect(0, 4, 32, 36));
    EXPECT_EQ(big.text.left, 34);
    const CheckBoxLayout odd = LayOutCheckBox(Rect::FromSize(0, 0, 80, 24), 1.25f, 0);
    EXPECT_EQ(odd.box, Rect(0, 2, 20, 22));
    EXPECT_EQ(odd.text.left, 22);
}

TEST(ControlGeometry, TextFormatsOfTheLabels) {
    EXPECT_EQ(DrawTextStaticFormat(0), 0x14u);
    EXPECT_EQ(DrawTextStaticFormat(1), 0x24u);
    EXPECT_EQ(DrawTextStaticFormat(2), 0x25u);
    EXPECT_EQ(DrawTextStaticFormat(3), 0x16u);
    EXPECT_EQ(DrawTextStaticFormat(4), 0x24u);
    EXPECT_FALSE(DrawTextStaticFormat(5).has_value());
    EXPECT_FALSE(DrawTextStaticFormat(-1).has_value());

    const unsigned expected[] = {0x24, 0x24, 0x25, 0x26, 0x14, 0x15, 0x16, 0x24};
    for (int mode = 0; mode <= 7; ++mode) {
        EXPECT_EQ(StateInfoFormat(mode), expected[mode]) << mode;
    }
    EXPECT_EQ(StateInfoFormat(-3), 0x24u);
}

TEST(ControlGeometry, DotsCycleThroughFourSteps) {
    int dots = 0;
    std::wstring seen;
    for (int tick = 0; tick < 8; ++tick) {
        seen += std::to_wstring(dots);
        dots = NextDotCount(dots);
    }
    EXPECT_EQ(seen, L"01230123");
    EXPECT_EQ(NextDotCount(7), 0);
    EXPECT_EQ(NextDotCount(-2), 0);
    const std::wstring text = L"\u6b63\u5728\u4fee\u590d\uff0c\u8bf7\u7a0d\u7b49";
    EXPECT_EQ(TextWithDots(text, 0), text);
    EXPECT_EQ(TextWithDots(text, 1), text + L".");
    EXPECT_EQ(TextWithDots(text, 3), text + L"...");
    EXPECT_EQ(TextWithDots(L"", 2), L"..");
}
