// Geometry of the prompt and progress windows and drawing rules of the skinned controls, at every scale factor
// the tool meets (96 to 200 dpi).
#include "framework/Placement.h"
#include "ui/layout/ButtonStateTracker.h"
#include "ui/layout/ControlGeometry.h"
#include "ui/layout/PromptLayout.h"
#include "ui/layout/ScaleRule.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
static std::ostream& operator<<(std::ostream& out, const Size& s) {
    return out << s.width << "x" << s.height;
}
static std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << "(" << p.x << "," << p.y << ")";
}

namespace {

struct ScaleCase {
    int dpi;
    Size promptFrame;
    Rect promptFollowInsets; // left, top, right, bottom insets of the content when the frame moves
    Size progressFrame;
    Size progressContent;
};

// Worked out by hand from the design sizes with single-precision products, truncated toward zero.
const ScaleCase kScales[] = {
    {96, {336, 156}, {5, 3, 5, 7}, {232, 132}, {204, 104}},
    {120, {403, 187}, {6, 3, 6, 8}, {278, 158}, {244, 124}},
    {125, {420, 195}, {6, 3, 6, 8}, {290, 165}, {255, 130}},
    {144, {483, 224}, {7, 4, 7, 10}, {334, 190}, {293, 149}},
    {192, {645, 299}, {9, 5, 9, 13}, {445, 253}, {391, 199}},
    {200, {672, 312}, {10, 6, 10, 14}, {464, 264}, {408, 208}},
};

} // namespace

TEST(ScaleRule, DividesTheDpiBy100OnlyAbove100) {
    EXPECT_EQ(ScaleFromDpi(96), 1.0f);
    EXPECT_EQ(ScaleFromDpi(100), 1.0f);
    EXPECT_EQ(ScaleFromDpi(72), 1.0f);
    EXPECT_EQ(ScaleFromDpi(120), 1.2f);
    EXPECT_EQ(ScaleFromDpi(144), 1.44f);
    EXPECT_EQ(ScaleFromDpi(192), 1.92f); // not 2: the divisor is 100, not 96
    EXPECT_EQ(ScaleFromDpi(200), 2.0f);
}

TEST(PromptGeometry, FrameAndContentSizesAtEveryScale) {
    for (const ScaleCase& c : kScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        EXPECT_EQ(PromptFrameSize(s), c.promptFrame);
        EXPECT_EQ(ProgressFrameSize(s), c.progressFrame);

        const Rect frame = Rect::FromSize(300, 200, c.promptFrame.width, c.promptFrame.height);
        const Rect follow = PromptContentFollowRect(frame, s);
        const Rect& in = c.promptFollowInsets;
        EXPECT_EQ(follow,
                  Rect(frame.left + in.left, frame.top + in.top, frame.right - in.right, frame.bottom - in.bottom));
        // Dragging the content puts the frame back exactly where it came from.
        EXPECT_EQ(PromptFrameFollowRect(follow, s), frame);

        const Rect progress = Rect::FromSize(40, 30, c.progressFrame.width, c.progressFrame.height);
        const Rect progressContent = ProgressContentRect(progress, s);
        EXPECT_EQ(Size(progressContent.Width(), progressContent.Height()), c.progressContent);
    }
}

TEST(PromptGeometry, AtScale2TheContentSitsAt10And6AndTheProgressContentAt28And24) {
    const Rect prompt = Rect::FromSize(100, 50, 672, 312);
    EXPECT_EQ(PromptContentRect(prompt, 2.0f), Rect::FromSize(110, 56, 652, 292));
    EXPECT_EQ(PromptContentFollowRect(prompt, 2.0f), Rect::FromSize(110, 56, 652, 292));
    const Rect progress = Rect::FromSize(100, 50, 464, 264);
    EXPECT_EQ(ProgressContentRect(progress, 2.0f), Rect::FromSize(128, 74, 408, 208));
    EXPECT_EQ(ProgressContentFollowRect(progress, 2.0f), Rect::FromSize(128, 74, 408, 208));
}

TEST(PromptGeometry, AtFractionalScalesTheFirstPlacementAndTheFollowRuleTruncateDifferently) {
    // 192 dpi: the content is created 625 x 279 but the frame's first move makes it 627 x 281.
    const float s = ScaleFromDpi(192);
    const Rect frame = Rect::FromSize(0, 0, 645, 299);
    EXPECT_EQ(PromptContentRect(frame, s), Rect::FromSize(9, 5, 625, 279));
    EXPECT_EQ(PromptContentFollowRect(frame, s), Rect::FromSize(9, 5, 627, 281));
    // The creation rule truncates after adding the frame position.
    EXPECT_EQ(PromptContentRect(Rect::FromSize(100, 50, 645, 299), s), Rect::FromSize(109, 55, 625, 279));
    const Rect progress = Rect::FromSize(0, 0, 445, 253);
    EXPECT_EQ(ProgressContentRect(progress, s), Rect::FromSize(26, 23, 391, 199));
    EXPECT_EQ(ProgressContentFollowRect(progress, s), Rect(26, 23, 445 - 26, 253 - 30));
}

TEST(PromptGeometry, DragStripIsTheTop30PixelsWithoutTheRightmost26) {
    const Rect client = Rect::FromSize(200, 100, 326, 146);
    const Rect strip = PromptDragStrip(client);
    EXPECT_EQ(strip, Rect(200, 100, 500, 130));
    EXPECT_TRUE(strip.Contains({200, 100}));
    EXPECT_TRUE(strip.Contains({499, 129}));
    EXPECT_FALSE(strip.Contains({500, 110})); // the close cross corner
    EXPECT_FALSE(strip.Contains({520, 105}));
    EXPECT_FALSE(strip.Contains({300, 130})); // below the strip
    EXPECT_FALSE(strip.Contains({199, 110}));
    // The strip does not grow with the scale factor: same numbers for a content twice as big.
    EXPECT_EQ(PromptDragStrip(Rect::FromSize(0, 0, 652, 292)), Rect(0, 0, 626, 30));
}

TEST(PromptGeometry, KindsChooseImagesAndWhetherTheSecondButtonShows) {
    const PromptKindLook yes = PromptLookOfKind(1);
    EXPECT_EQ(yes.firstImages, (std::array<int, 4>{174, 175, 176, 176}));
    EXPECT_EQ(yes.secondImages, (std::array<int, 4>{168, 169, 170, 170}));
    EXPECT_FALSE(yes.secondShown);
    EXPECT_TRUE(PromptLookOfKind(2).secondShown);
    EXPECT_EQ(PromptLookOfKind(2).firstImages, yes.firstImages);
    const PromptKindLook confirm = PromptLookOfKind(3);
    EXPECT_EQ(confirm.firstImages, (std::array<int, 4>{171, 172, 173, 173}));
    EXPECT_EQ(confirm.secondImages, (std::array<int, 4>{162, 163, 164, 164}));
    EXPECT_FALSE(confirm.secondShown);
    EXPECT_TRUE(PromptLookOfKind(4).secondShown);
    EXPECT_EQ(PromptLookOfKind(4).firstImages, confirm.firstImages);
}

TEST(PromptGeometry, KindsOutside1To4BehaveAsThePlainMessage) {
    for (int kind : {0, -1, 5, 99}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(NormalizePromptKind(kind), kPromptConfirm);
        EXPECT_EQ(PromptLookOfKind(kind).firstImages, PromptLookOfKind(3).firstImages);
        EXPECT_FALSE(PromptLookOfKind(kind).secondShown);
        const PromptChildLayout layout = LayOutPromptChild(Rect::FromSize(0, 0, 326, 146), 1.0f, kind);
        EXPECT_EQ(layout.first, LayOutPromptChild(Rect::FromSize(0, 0, 326, 146), 1.0f, 3).first);
    }
    for (int kind = 1; kind <= 4; ++kind) {
        EXPECT_EQ(NormalizePromptKind(kind), kind);
    }
}

TEST(PromptGeometry, ContentLayoutAtScale1) {
    const Rect client = Rect::FromSize(0, 0, 326, 146);
    const PromptChildLayout two = LayOutPromptChild(client, 1.0f, kPromptYesNo);
    EXPECT_EQ(two.close, Rect::FromSize(300, 8, 12, 12));
    EXPECT_EQ(two.first, Rect::FromSize(96, 107, 55, 24)); // left of centre
    EXPECT_EQ(two.second, Rect::FromSize(175, 107, 55, 24));
    EXPECT_TRUE(two.secondShown);
    EXPECT_LT(two.first.right, client.Width() / 2);
    EXPECT_GT(two.second.left, client.Width() / 2);
    EXPECT_EQ(two.text, Rect(10, 50, 316, 106));

    const PromptChildLayout one = LayOutPromptChild(client, 1.0f, kPromptConfirm);
    EXPECT_FALSE(one.secondShown);
    EXPECT_EQ(one.first, Rect::FromSize(135, 107, 55, 24)); // trunc(163 - 27.5)
    EXPECT_EQ(one.close, two.close);
    EXPECT_EQ(one.text, two.text);
}

TEST(PromptGeometry, ContentLayoutAtFractionalAndDoubleScale) {
    struct Case {
        float s;
        Size client;
        Rect close, first2, second, first1, text;
    };
    const Case cases[] = {
        {1.2f,
         {391, 175},
         {360, 9, 374, 23},
         {114, 128, 180, 156},
         {209, 128, 275, 156},
         {162, 128, 228, 156},
         {12, 60, 379, 127}},
        {1.25f,
         {407, 182},
         {375, 10, 390, 25},
         {119, 133, 187, 163},
         {218, 133, 286, 163},
         {168, 133, 236, 163},
         {12, 62, 395, 132}},
        {1.44f,
         {468, 209},
         {431, 11, 448, 28},
         {137, 154, 216, 188},
         {251, 154, 330, 188},
         {194, 154, 273, 188},
         {14, 72, 454, 152}},
        {1.92f,
         {625, 279},
         {576, 15, 599, 38},
         {183, 205, 288, 251},
         {335, 205, 440, 251},
         {259, 205, 364, 251},
         {19, 96, 606, 203}},
        {2.0f,
         {652, 292},
         {600, 16, 624, 40},
         {192, 214, 302, 262},
         {350, 214, 460, 262},
         {271, 214, 381, 262},
         {20, 100, 632, 212}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        const Rect client = Rect::FromSize(0, 0, c.client.width, c.client.height);
        const PromptChildLayout two = LayOutPromptChild(client, c.s, kPromptConfirmCancel);
        EXPECT_EQ(two.close, c.close);
        EXPECT_EQ(two.first, c.first2);
        EXPECT_EQ(two.second, c.second);
        EXPECT_EQ(two.text, c.text);
        const PromptChildLayout one = LayOutPromptChild(client, c.s, kPromptYes);
        EXPECT_EQ(one.first, c.first1);
        // The label never reaches the buttons.
        EXPECT_LE(one.text.bottom, one.first.top);
    }
}

TEST(ProgressGeometry, ShortTextsShowTheStandardWaitingText) {
    const std::wstring standard = L"\u6b63\u5728\u4fee\u590d\uff0c\u8bf7\u7a0d\u7b49";
    EXPECT_EQ(ProgressLabelText(L""), standard);
    EXPECT_EQ(ProgressLabelText(L"x"), standard);
    EXPECT_EQ(ProgressLabelText(L"\u68c0"), standard);
    EXPECT_EQ(ProgressLabelText(L"ab"), L"ab");
    EXPECT_EQ(ProgressLabelText(L"\u6b63\u5728\u68c0\u6d4b"), L"\u6b63\u5728\u68c0\u6d4b");
}

TEST(ProgressGeometry, LabelRectangle) {
    // At scale 1 the label covers exactly the part of the content picture it is given as background.
    EXPECT_EQ(ProgressLabelRect(Rect::FromSize(0, 0, 204, 104), 1.0f), kProgressLabelBackSource);
    EXPECT_EQ(ProgressLabelRect(Rect::FromSize(0, 0, 244, 124), 1.2f), Rect(12, 50, 232, 98));
    EXPECT_EQ(ProgressLabelRect(Rect::FromSize(0, 0, 391, 199), 1.92f), Rect(19, 79, 371, 155));
    EXPECT_EQ(ProgressLabelRect(Rect::FromSize(0, 0, 408, 208), 2.0f), Rect(20, 84, 388, 164));
    // Odd heights halve downwards.
    EXPECT_EQ(ProgressLabelRect(Rect::FromSize(0, 0, 204, 105), 1.0f).top, 42);
}

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

TEST(ButtonStateTracker, HoverPressAndLeave) {
    ButtonStateTracker button(ButtonStateTracker::PointRule::InsideOnly);
    EXPECT_EQ(button.State(), kStateNormal);
    EXPECT_TRUE(button.OnMouseMove(true)); // asks for hover and leave notification once
    EXPECT_FALSE(button.OnMouseMove(true));
    EXPECT_TRUE(button.OnRelease(true, true));
    EXPECT_EQ(button.State(), kStateHover);
    EXPECT_FALSE(button.OnRelease(true, true)); // no repaint when nothing changed
    EXPECT_TRUE(button.OnPress(true, true));
    EXPECT_EQ(button.State(), kStatePressed);
    EXPECT_TRUE(button.OnRelease(true, true)); // release inside: hover again
    EXPECT_TRUE(button.OnMouseLeave(true));
    EXPECT_EQ(button.State(), kStateNormal);
    EXPECT_FALSE(button.Tracking());
    EXPECT_TRUE(button.OnMouseMove(true)); // a new request after the leave
}

TEST(ButtonStateTracker, AHoverArrivingAfterAQuickPressKeepsThePressedPicture) {
    ButtonStateTracker button(ButtonStateTracker::PointRule::InsideOnly);
    EXPECT_TRUE(button.OnMouseMove(true));
    EXPECT_TRUE(button.OnPress(true, true));
    EXPECT_FALSE(button.OnHover(true, true));
    EXPECT_EQ(button.State(), kStatePressed);
    EXPECT_TRUE(button.OnRelease(true, true));
    EXPECT_EQ(button.State(), kStateHover);
    // Without a press the hover shows the hover picture, inside the button only for an image button.
    ButtonStateTracker other(ButtonStateTracker::PointRule::InsideOnly);
    EXPECT_FALSE(other.OnHover(true, false));
    EXPECT_TRUE(other.OnHover(true, true));
    EXPECT_EQ(other.State(), kStateHover);
}

TEST(ButtonStateTracker, ImageButtonIgnoresPointsOutsideWhilePngButtonTakesAny) {
    ButtonStateTracker image(ButtonStateTracker::PointRule::InsideOnly);
    EXPECT_FALSE(image.OnPress(true, false));
    EXPECT_EQ(image.State(), kStateNormal);
    EXPECT_FALSE(image.OnRelease(true, false));
    EXPECT_EQ(image.State(), kStateNormal);

    ButtonStateTracker png(ButtonStateTracker::PointRule::AnyPoint);
    EXPECT_TRUE(png.OnPress(true, false));
    EXPECT_EQ(png.State(), kStatePressed);
    EXPECT_TRUE(png.OnRelease(true, false));
    EXPECT_EQ(png.State(), kStateHover);
}

TEST(ButtonStateTracker, DisabledButtonIgnoresTheMouse) {
    ButtonStateTracker button(ButtonStateTracker::PointRule::AnyPoint);
    EXPECT_FALSE(button.OnMouseMove(false));
    EXPECT_FALSE(button.Tracking());
    EXPECT_FALSE(button.OnPress(false, true));
    EXPECT_FALSE(button.OnRelease(false, true));
    EXPECT_EQ(button.State(), kStateNormal);
    // Pressed, then disabled: the leave neither repaints nor resets, but tracking ends.
    EXPECT_TRUE(button.OnMouseMove(true));
    EXPECT_TRUE(button.OnPress(true, true));
    EXPECT_FALSE(button.OnMouseLeave(false));
    EXPECT_EQ(button.State(), kStatePressed);
    EXPECT_FALSE(button.Tracking());
}

TEST(DialogPlacement, CentresOverTheGivenRectangle) {
    const Rect screen{0, 0, 1280, 1024};
    EXPECT_EQ(CentredTopLeft({336, 156}, screen, screen), Point(472, 434));
    const Rect owner = Rect::FromSize(237, 209, 806, 606);
    EXPECT_EQ(CentredTopLeft({336, 156}, owner, screen), Point(472, 434));
    EXPECT_EQ(CentredTopLeft({100, 100}, Rect::FromSize(10, 10, 50, 50), screen), Point(0, 0));
}

TEST(DialogPlacement, KeepsTheDialogInsideTheWorkArea) {
    const Rect area{0, 0, 1280, 984};
    EXPECT_EQ(CentredTopLeft({336, 156}, Rect::FromSize(1200, 900, 200, 200), area), Point(944, 828));
    EXPECT_EQ(CentredTopLeft({336, 156}, Rect::FromSize(-300, -300, 100, 100), area), Point(0, 0));
    // Bigger than the work area: the top-left corner stays visible.
    EXPECT_EQ(CentredTopLeft({1400, 1100}, area, area), Point(0, 0));
}

TEST(DialogPlacement, OnlyUnmovedHiddenDialogsWithoutAnEnabledOwnerAreCentred) {
    InitialPlacement p;
    EXPECT_TRUE(ShouldAutoCentre(p));
    p.topLeftAfter = {0, 0};
    EXPECT_TRUE(ShouldAutoCentre(p));

    InitialPlacement moved = p;
    moved.topLeftAfter = {10, 0};
    EXPECT_FALSE(ShouldAutoCentre(moved));
    InitialPlacement visible = p;
    visible.visibleBefore = true;
    EXPECT_FALSE(ShouldAutoCentre(visible));
    InitialPlacement shown = p;
    shown.visibleOrChildAfter = true;
    EXPECT_FALSE(ShouldAutoCentre(shown));
    InitialPlacement owned = p;
    owned.ownerEnabled = true;
    EXPECT_FALSE(ShouldAutoCentre(owned));
}
