// Geometry of the agreement text window at every scale factor the tool meets.
#include "ui/layout/TooltipLayout.h"
#include "ui/layout/ScaleRule.h"

#include "GeometryPrinting.h"

#include <gtest/gtest.h>

namespace {

Size SizeOf(const Rect& r) {
    return {r.Width(), r.Height()};
}

struct TooltipCase {
    int dpi;
    Size frame;
    Rect contentInsets; // left, top, right, bottom of the content inside the frame
    Size content;
    int boxInset;
    Size box;
};

// Worked out by hand from the design sizes with single-precision products, truncated toward zero.
const TooltipCase kTooltipScales[] = {
    {96, {541, 402}, {1, 1, 2, 18}, {538, 383}, 8, {522, 367}},
    {120, {649, 482}, {1, 1, 2, 21}, {646, 460}, 9, {628, 442}},
    {144, {779, 578}, {1, 1, 2, 25}, {776, 552}, 11, {754, 530}},
    {192, {1038, 771}, {1, 1, 3, 34}, {1034, 736}, 15, {1004, 706}},
    {200, {1082, 804}, {2, 2, 4, 36}, {1076, 766}, 16, {1044, 734}},
};

TEST(AgreementWindowGeometry, FrameContentAndTextBoxAtEveryScale) {
    for (const TooltipCase& c : kTooltipScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        // The frame keeps its top-left corner, wherever the template put it.
        const Rect frame = TooltipFrameRect({37, -12, 100, 100}, s);
        EXPECT_EQ(frame, (Rect{37, -12, 37 + c.frame.width, -12 + c.frame.height}));

        const Rect content = TooltipContentRect(frame, s);
        EXPECT_EQ(content, (Rect{frame.left + c.contentInsets.left, frame.top + c.contentInsets.top,
                                 frame.right - c.contentInsets.right, frame.bottom - c.contentInsets.bottom}));
        EXPECT_EQ(SizeOf(content), c.content);

        const Rect client = {0, 0, content.Width(), content.Height()};
        const Rect box = TooltipTextBoxRect(client, s);
        EXPECT_EQ(box, (Rect{c.boxInset, c.boxInset, c.boxInset + c.box.width, c.boxInset + c.box.height}));
    }
}

TEST(AgreementWindowGeometry, ContentFollowsEveryMoveOfTheFrameAndLeavesThePointerOutside) {
    const float s = 1.0f;
    const Rect placed = TooltipContentRect(Rect::FromSize(130, 170, 541, 402), s);
    const Rect moved = TooltipContentRect(Rect::FromSize(-40, 900, 541, 402), s);
    EXPECT_EQ(moved, placed.Offset(-170, 730));
    // The balloon's pointer rows lie below the content.
    EXPECT_EQ(placed.bottom, 170 + 402 - 18);
}

TEST(AgreementWindowGeometry, BackgroundIsThePictureWithoutItsLastColumnAndPointer) {
    EXPECT_EQ(TooltipBackgroundSource({541, 402}), (Rect{0, 0, 540, 384}));
    EXPECT_EQ(TooltipBackgroundSource({2, 19}), (Rect{0, 0, 1, 1}));
    // A picture that has no such part (a broken resource) gives nothing to draw.
    EXPECT_EQ(TooltipBackgroundSource({1, 402}), Rect{});
    EXPECT_EQ(TooltipBackgroundSource({541, 18}), Rect{});
    EXPECT_EQ(TooltipBackgroundSource({0, 0}), Rect{});
}

TEST(AgreementWindowGeometry, OpensAboveTheAgreementLinkOfTheMainWindow) {
    // At s = 1 over an 800 x 600 main window: 130 right of its left edge, 170 below its top.
    EXPECT_EQ(AgreementWindowRect({0, 0, 800, 600}, 1.0f), (Rect{130, 170, 671, 572}));
    EXPECT_EQ(AgreementWindowRect({200, 100, 1000, 700}, 1.0f), (Rect{330, 270, 871, 672}));
    // The main window's half width is an integer division.
    EXPECT_EQ(AgreementWindowRect({0, 0, 801, 600}, 1.0f).left, 130);
    // Scaled main windows (800 x 600 design pixels).
    EXPECT_EQ(AgreementWindowRect({0, 0, 960, 720}, 1.2f), (Rect{156, 204, 156 + 649, 204 + 482}));
    EXPECT_EQ(AgreementWindowRect({10, 20, 1162, 884}, 1.44f), (Rect{197, 264, 197 + 779, 264 + 578}));
    EXPECT_EQ(AgreementWindowRect({0, 0, 1536, 1152}, 1.92f), (Rect{249, 326, 249 + 1038, 326 + 771}));
}

TEST(AgreementWindowGeometry, OffsetsLeftOfOrAboveASmallMainWindowAreTruncatedTowardZero) {
    // 250 - 337.5 = -87.5 and 300 - 537.5 = -237.5: cut toward zero, not down.
    const Rect r = AgreementWindowRect({1000, 1000, 1501, 1300}, 1.25f);
    EXPECT_EQ(r.left, 1000 - 87);
    EXPECT_EQ(r.top, 1000 - 237);
    EXPECT_EQ(SizeOf(r), (Size{676, 502}));
}

} // namespace
