// Geometry of the prompt and progress windows at every scale factor the tool meets (96 to 200 dpi).
#include "ui/layout/PromptLayout.h"
#include "ui/layout/ScaleRule.h"

#include "GeometryPrinting.h"

#include <gtest/gtest.h>

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
