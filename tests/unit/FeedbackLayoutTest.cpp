// Geometry of the problem-solved feedback window at every scale factor the tool meets.
#include "ui/layout/FeedbackLayout.h"
#include "ui/layout/ControlGeometry.h"
#include "ui/layout/ScaleRule.h"

#include "GeometryPrinting.h"

#include <gtest/gtest.h>

namespace {

Size SizeOf(const Rect& r) {
    return {r.Width(), r.Height()};
}

struct FeedbackCase {
    int dpi;
    Size frame;
    Size content;  // as the frame creates it
    Size followed; // once the frame has moved (its centring on the screen): 3 scaled pixels below the frame's top
    Rect close;
    int firstLeft; // "解决"
    int otherLeft; // "未解决" and "更多方案"
    int tops[3];   // 解决, 未解决, 更多方案
    Size button;
    int hotMargin;
};

const FeedbackCase kFeedbackScales[] = {
    {96, {410, 479}, {400, 468}, {400, 469}, {382, 6, 394, 18}, 67, 67, {154, 234, 314}, {266, 60}, 9},
    {120, {492, 574}, {480, 560}, {480, 563}, {458, 7, 472, 21}, 80, 81, {184, 280, 376}, {319, 72}, 10},
    {144, {590, 689}, {575, 673}, {576, 675}, {550, 8, 567, 25}, 96, 97, {221, 336, 451}, {383, 86}, 12},
    {192, {787, 919}, {767, 897}, {769, 901}, {734, 11, 757, 34}, 128, 129, {296, 449, 602}, {510, 115}, 17},
    {200, {820, 958}, {800, 936}, {800, 938}, {764, 12, 788, 36}, 134, 134, {308, 468, 628}, {532, 120}, 18},
};

TEST(FeedbackWindowGeometry, FrameContentAndButtonsAtEveryScale) {
    for (const FeedbackCase& c : kFeedbackScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        const Size frameSize = FeedbackFrameSize(s);
        EXPECT_EQ(frameSize, c.frame);
        const Rect frame = Rect::FromSize(300, 200, frameSize.width, frameSize.height);
        const Rect content = FeedbackContentRect(frame, s);
        EXPECT_EQ(SizeOf(content), c.content);
        EXPECT_EQ(content.left - frame.left, static_cast<int>(5 * s));
        EXPECT_EQ(content.top - frame.top, static_cast<int>(4 * s));
        // Every move of the frame puts the content one scaled pixel higher, with the same bottom edge.
        const Rect followed = FeedbackContentFollowRect(frame, s);
        EXPECT_EQ(SizeOf(followed), c.followed);
        EXPECT_EQ(followed.left - frame.left, static_cast<int>(5 * s));
        EXPECT_EQ(followed.top - frame.top, static_cast<int>(3 * s));
        EXPECT_EQ(frame.bottom - followed.bottom, static_cast<int>(7 * s));

        const FeedbackChildLayout layout = LayOutFeedbackChild({0, 0, c.followed.width, c.followed.height}, s);
        EXPECT_EQ(layout.close, c.close);
        EXPECT_EQ(layout.solved.rect, Rect::FromSize(c.firstLeft, c.tops[0], c.button.width, c.button.height));
        EXPECT_EQ(layout.notSolved.rect, Rect::FromSize(c.otherLeft, c.tops[1], c.button.width, c.button.height));
        EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(c.otherLeft, c.tops[2], c.button.width, c.button.height));
        for (const FeedbackButtonPlace* place : {&layout.solved, &layout.notSolved, &layout.moreSolutions}) {
            EXPECT_EQ(place->hot.left, c.hotMargin);
            EXPECT_EQ(place->hot.top, c.hotMargin);
            EXPECT_EQ(place->hot.right, c.hotMargin);
            EXPECT_EQ(place->hot.bottom, c.hotMargin);
        }
    }
}

TEST(FeedbackWindowGeometry, AtTheDesignSizeTheButtonsStandOnTheirPlacesInThePicture) {
    const FeedbackChildLayout layout = LayOutFeedbackChild({0, 0, 400, 468}, 1.0f);
    EXPECT_EQ(layout.solved.rect, kSolvedBackSource);
    EXPECT_EQ(layout.notSolved.rect, kNotSolvedBackSource);
    EXPECT_EQ(layout.moreSolutions.rect, kMoreSolutionsBackSource);
}

TEST(FeedbackWindowGeometry, ANarrowOrShiftedContentCentresTheUnscaledButtons) {
    // The client rectangle need not start at 0, 0.
    FeedbackChildLayout layout = LayOutFeedbackChild({10, 20, 410, 488}, 1.0f);
    EXPECT_EQ(layout.solved.rect, Rect::FromSize(77, 174, 266, 60));
    EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(77, 334, 266, 60));
    EXPECT_EQ(layout.close, (Rect{392, 26, 404, 38}));
    // Narrower and lower than the design (odd sizes halve downwards).
    layout = LayOutFeedbackChild({0, 0, 301, 401}, 1.0f);
    EXPECT_EQ(layout.solved.rect, Rect::FromSize(17, 120, 266, 60));
    EXPECT_EQ(layout.notSolved.rect, Rect::FromSize(17, 200, 266, 60));
    EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(17, 280, 266, 60));
    // Exactly 400 wide is still the unscaled case, even with a scale factor above 1.
    layout = LayOutFeedbackChild({0, 0, 400, 500}, 1.2f);
    EXPECT_EQ(layout.notSolved.rect, Rect::FromSize(67, 250, 266, 60));
    EXPECT_EQ(layout.notSolved.hot.left, 9);
    // One pixel wider switches to the scaled places, at s = 1 too.
    layout = LayOutFeedbackChild({0, 0, 401, 468}, 1.0f);
    EXPECT_EQ(layout.solved.rect, Rect::FromSize(67, 154, 266, 60));
    EXPECT_EQ(layout.moreSolutions.rect, Rect::FromSize(67, 314, 266, 60));
}

TEST(FeedbackWindowGeometry, DraggingTheContentTakesTheFrameAlongOneScaledPixelHigher) {
    for (const FeedbackCase& c : kFeedbackScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        const Rect frame = Rect::FromSize(123, 45, c.frame.width, c.frame.height);
        // The content as the frame's moves left it: once the user drags it, the frame keeps its left, right and
        // bottom edges against it and moves one scaled pixel up at the top, and the content keeps its size.
        const Rect content = FeedbackContentFollowRect(frame, s);
        const Rect moved = Rect{frame.left, frame.top - (Trunc(4 * s) - Trunc(3 * s)), frame.right, frame.bottom};
        EXPECT_EQ(FeedbackFrameFollowRect(content, s), moved);
        EXPECT_EQ(FeedbackFrameFollowRect(content.Offset(-200, 310), s), moved.Offset(-200, 310));
    }
}

TEST(FeedbackWindowGeometry, DragStripIsTheTop30PixelsWithoutTheCloseCorner) {
    const Rect strip = FeedbackDragStrip({100, 200, 500, 668});
    EXPECT_EQ(strip, (Rect{100, 200, 474, 230}));
    EXPECT_TRUE(strip.Contains({100, 200}));
    EXPECT_TRUE(strip.Contains({473, 229}));
    EXPECT_FALSE(strip.Contains({474, 210})) << "the close cross's corner does not drag";
    EXPECT_FALSE(strip.Contains({300, 230})) << "below the strip";
    // Not scaled: the same 30 and 26 pixels on a large content.
    EXPECT_EQ(FeedbackDragStrip({0, 0, 800, 934}), (Rect{0, 0, 774, 30}));
}

TEST(FeedbackWindowGeometry, ClicksOnTheRimOfALargeButtonMissItsHotArea) {
    for (const FeedbackCase& c : kFeedbackScales) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        const FeedbackChildLayout layout = LayOutFeedbackChild({0, 0, c.content.width, c.content.height}, s);
        const Rect client = {0, 0, layout.solved.rect.Width(), layout.solved.rect.Height()};
        const Rect hot = HotArea(client, layout.solved.hot);
        const int m = c.hotMargin;
        EXPECT_FALSE(hot.Contains({m - 1, client.Height() / 2}));
        EXPECT_TRUE(hot.Contains({m, client.Height() / 2}));
        EXPECT_FALSE(hot.Contains({client.right - m, client.Height() / 2}));
        EXPECT_TRUE(hot.Contains({client.right - m - 1, client.Height() / 2}));
        EXPECT_FALSE(hot.Contains({client.Width() / 2, m - 1}));
        EXPECT_FALSE(hot.Contains({client.Width() / 2, client.bottom - m}));
    }
}

} // namespace
