// Skinned scroll bars without windows: bar geometry, hit testing, thumb drags, the pictures a bar is painted
// from, and where the skinned bars replace a control's own bars.
#include "ui/layout/ScrollBarLayout.h"
#include "ui/layout/ScaleRule.h"

#include "GeometryPrinting.h"
#include "ScrollBarSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

BarMetrics Metrics(int length, float scale = 1.0f, int capSize = 0) {
    return {length, kCell, scale, capSize};
}

} // namespace

TEST(ScrollBarGeometry, ShippedSkinGivesBarsAndArrowsOfOneCellAtEveryScale) {
    EXPECT_EQ(kCell, 13);
    struct Case {
        int dpi;
        int thickness; // trunc(c * s): bar, arrows, track tiles
        int track;     // L - trunc(2 * c * s) on a 300-pixel bar
    };
    const Case cases[] = {{96, 13, 274}, {120, 15, 269}, {144, 18, 263}, {192, 24, 251}, {200, 26, 248}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const float s = ScaleFromDpi(c.dpi);
        EXPECT_EQ(BarThickness(kCell, s), c.thickness);
        const BarLayout layout = LayOutBar(Metrics(300, s), Values(0, 99, 10, 0));
        EXPECT_EQ(layout.arrow, c.thickness);
        EXPECT_EQ(layout.track, c.track);
        // A thumb at the end stops where the track ends; the down arrow is where it is drawn. Where the cut of
        // twice the cell differs from twice the cut cell, one pixel of track lies between them.
        const BarLayout atEnd = LayOutBar(Metrics(300, s), Values(0, 99, 10, 90));
        EXPECT_EQ(atEnd.ThumbEnd(), c.thickness + c.track);
        EXPECT_EQ(atEnd.TrackEnd(), 300 - c.thickness);
        EXPECT_EQ(HitTestBar(atEnd, atEnd.ThumbEnd()),
                  atEnd.ThumbEnd() < atEnd.TrackEnd() ? kPartPageDown : kPartLineDown);
    }
}

TEST(ScrollBarGeometry, ThumbOfTheWorkedExample) {
    // Range 0-99, page 10, a 200-pixel bar at s = 1.
    const ScrollValues v = Values(0, 99, 10, 90);
    const BarLayout layout = LayOutBar(Metrics(200), v);
    EXPECT_EQ(layout.track, 174);
    EXPECT_EQ(layout.thumbLength, 17);
    EXPECT_EQ(layout.thumbStart, 13 + 90 * 157 / 90);
    EXPECT_EQ(layout.thumbStart, 170);
    EXPECT_EQ(LayOutBar(Metrics(200), Values(0, 99, 10, 0)).thumbStart, 13);
    EXPECT_EQ(LayOutBar(Metrics(200), Values(0, 99, 10, 45)).thumbStart, 13 + 45 * 157 / 90);
    // While a drag runs the thumb shows the drag position.
    ScrollValues dragged = v;
    dragged.trackPos = 0;
    EXPECT_EQ(LayOutBar(Metrics(200), dragged).thumbStart, 13);
}

TEST(ScrollBarGeometry, ThumbLengthRules) {
    const ScrollValues tiny = Values(0, 999, 1, 0);
    // Plain thumb: none on a track of 5 pixels or less, else the page's share but at least 6.
    EXPECT_EQ(ThumbLength(5, tiny, 0), 0);
    EXPECT_EQ(ThumbLength(6, tiny, 0), 6);
    EXPECT_EQ(ThumbLength(174, Values(0, 99, 3, 0), 0), 6);   // 3 * 174 / 100 = 5 -> 6
    EXPECT_EQ(ThumbLength(174, Values(0, 99, 4, 0), 0), 6);   // 6.96 -> 6
    EXPECT_EQ(ThumbLength(174, Values(0, 99, 50, 0), 0), 87); // half the track
    // With end caps: at least 2 * cap + 6, none when the track is shorter than that.
    EXPECT_EQ(ThumbLength(15, tiny, 5), 0);
    EXPECT_EQ(ThumbLength(16, tiny, 5), 16);
    EXPECT_EQ(ThumbLength(174, Values(0, 99, 50, 0), 5), 87);
    EXPECT_EQ(ThumbLength(174, Values(0, 99, 5, 0), 5), 16);
    // A page larger than the range never makes the thumb longer than its track.
    EXPECT_EQ(ThumbLength(100, Values(0, 9, 500, 0), 0), 100);
}

TEST(ScrollBarGeometry, ShortBarsHaveNoThumbAndShareTheirLengthBetweenTheArrows) {
    // A 30-pixel bar at s = 1 has a 4-pixel track: no thumb.
    const BarLayout layout = LayOutBar(Metrics(30), Values(0, 99, 10, 50));
    EXPECT_EQ(layout.track, 4);
    EXPECT_EQ(layout.arrow, 13);
    EXPECT_EQ(layout.thumbLength, 0);
    // No track at all: the arrows take half the bar each.
    const BarLayout crowded = LayOutBar(Metrics(21), Values(0, 99, 10, 50));
    EXPECT_EQ(crowded.track, 0);
    EXPECT_EQ(crowded.arrow, 10);
    EXPECT_EQ(HitTestBar(crowded, 9), kPartLineUp);
    EXPECT_EQ(HitTestBar(crowded, 11), kPartLineDown);
    EXPECT_EQ(LayOutBar(Metrics(0), Values(0, 99, 10, 50)), BarLayout{});
}

TEST(ScrollBarGeometry, NothingToScrollShowsNoThumbAndNothingHitsOne) {
    // The page shows the whole range (a disabled bar): the thumb is neither drawn nor hit.
    for (const ScrollValues& v : {Values(0, 99, 100, 0), Values(0, 0, 0, 0), Values(5, 5, 1, 5)}) {
        const BarLayout layout = LayOutBar(Metrics(200), v);
        EXPECT_EQ(layout.thumbLength, 0);
        for (int along = 0; along < 200; ++along) {
            EXPECT_NE(HitTestBar(layout, along), kPartThumbTrack) << along;
        }
    }
    // The track is still split where the thumb would be centred.
    const BarLayout empty = LayOutBar(Metrics(200), Values(0, 0, 0, 0));
    EXPECT_EQ(empty.thumbStart, 13 + (174 - 6) / 2);
    EXPECT_EQ(HitTestBar(empty, 96), kPartPageUp);
    EXPECT_EQ(HitTestBar(empty, 97), kPartPageDown);
}

TEST(ScrollBarGeometry, HitTestFollowsThePartsAlongTheBar) {
    const BarLayout layout = LayOutBar(Metrics(200), Values(0, 99, 10, 45)); // thumb [91, 108)
    ASSERT_EQ(layout.thumbStart, 91);
    const std::pair<int, ScrollPart> cases[] = {
        {-1, kPartNone},      {0, kPartLineUp},      {12, kPartLineUp},      {13, kPartPageUp},
        {90, kPartPageUp},    {91, kPartThumbTrack}, {107, kPartThumbTrack}, {108, kPartPageDown},
        {186, kPartPageDown}, {187, kPartLineDown},  {199, kPartLineDown},   {200, kPartNone},
    };
    for (const auto& [along, part] : cases) {
        EXPECT_EQ(HitTestBar(layout, along), part) << along;
        if (part != kPartNone) {
            EXPECT_TRUE(PartSpan(layout, part).Contains(along)) << along;
        }
    }
    // The parts tile the bar without gaps.
    EXPECT_EQ(PartSpan(layout, kPartLineUp).end, PartSpan(layout, kPartPageUp).start);
    EXPECT_EQ(PartSpan(layout, kPartPageUp).end, PartSpan(layout, kPartThumbTrack).start);
    EXPECT_EQ(PartSpan(layout, kPartThumbTrack).end, PartSpan(layout, kPartPageDown).start);
    EXPECT_EQ(PartSpan(layout, kPartPageDown).end, PartSpan(layout, kPartLineDown).start);
    EXPECT_EQ(PartSpan(layout, kPartLineDown).end, 200);
}

TEST(ScrollBarGeometry, RangesThatDoNotStartAtZero) {
    // Positions 100-190 of a range 100-199 with page 10: the thumb runs the whole track.
    const ScrollValues first = Values(100, 199, 10, 100);
    const ScrollValues last = Values(100, 199, 10, 190);
    EXPECT_EQ(LargestScrollPosition(last), 190);
    EXPECT_EQ(ScrollSpan(last), 90);
    EXPECT_EQ(LayOutBar(Metrics(200), first).thumbStart, 13);
    EXPECT_EQ(LayOutBar(Metrics(200), last).thumbStart, 170);
    // Negative ranges too.
    EXPECT_EQ(LayOutBar(Metrics(200), Values(-50, 49, 10, -50)).thumbStart, 13);
    EXPECT_EQ(LayOutBar(Metrics(200), Values(-50, 49, 10, 40)).thumbStart, 170);
}

TEST(ScrollBarGeometry, LongDocumentsDoNotOverflow) {
    const ScrollValues v = Values(0, 2'000'000'000, 1'000'000'000, 1'000'000'001);
    const BarLayout layout = LayOutBar(Metrics(1000), v);
    EXPECT_EQ(layout.thumbLength, 486); // 10^9 * 974 / (2 * 10^9 + 1): half the 974-pixel track, cut
    EXPECT_EQ(layout.ThumbEnd(), layout.TrackEnd());
    EXPECT_EQ(DragPosition(Metrics(1000), v, 0, 10'000), LargestScrollPosition(v));
    EXPECT_EQ(DragPosition(Metrics(1000), v, 1'000'000'001, -10'000), 0);
}

TEST(ScrollBarValues, NormalisedAsASystemScrollBarKeepsThem) {
    // The page is cut to the range, the position held inside it.
    EXPECT_EQ(NormalizeScrollValues(Values(0, 9, 50, 3)), Values(0, 9, 10, 0));
    EXPECT_EQ(NormalizeScrollValues(Values(0, 99, 10, 95)), Values(0, 99, 10, 90));
    EXPECT_EQ(NormalizeScrollValues(Values(0, 99, 10, -5)), Values(0, 99, 10, 0));
    // An inverted range becomes 0-0.
    EXPECT_EQ(NormalizeScrollValues(Values(10, 5, 1, 7)), Values(0, 0, 1, 0));
    // Page 0 can reach the maximum itself.
    EXPECT_EQ(LargestScrollPosition(Values(0, 99, 0, 0)), 99);
    EXPECT_EQ(NormalizeScrollValues(Values(0, 99, 0, 150)).pos, 99);
}

TEST(ScrollBarDrag, ThumbFollowsThePointerAndStopsAtBothEnds) {
    const ScrollValues v = Values(0, 99, 10, 45);
    const BarLayout layout = LayOutBar(Metrics(200), v);
    const int free = layout.track - layout.thumbLength; // 157 pixels for 90 positions
    EXPECT_EQ(free, 157);
    EXPECT_EQ(DragPosition(Metrics(200), v, 45, 0), 45);
    EXPECT_EQ(DragPosition(Metrics(200), v, 45, 10), 45 + 90 * 10 / 157);
    EXPECT_EQ(DragPosition(Metrics(200), v, 45, -10), 45 - 90 * 10 / 157);
    // Past either end: held at the minimum and at maximum - minimum - page + 1.
    EXPECT_EQ(DragPosition(Metrics(200), v, 45, -500), 0);
    EXPECT_EQ(DragPosition(Metrics(200), v, 45, 500), 90);
    // ... measured from the minimum when the range does not start at 0.
    const ScrollValues shifted = Values(100, 199, 10, 145);
    EXPECT_EQ(DragPosition(Metrics(200), shifted, 145, -500), 100);
    EXPECT_EQ(DragPosition(Metrics(200), shifted, 145, 500), 190);
}

TEST(ScrollBarDrag, TheDragMeasuresThePointerAgainstTheUnscaledTrack) {
    // A 260-pixel bar, range 0-999, page 100: the unscaled track is 260 - 26 = 234 pixels with a thumb of
    // 100 * 234 / 1000 = 23, so 211 pixels of pointer travel take the thumb from one end to the other at
    // every scale.
    const ScrollValues v = Values(0, 999, 100, 0);
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const BarMetrics metrics = Metrics(260, ScaleFromDpi(dpi));
        EXPECT_EQ(DragPosition(metrics, v, 0, 211), 900);
        EXPECT_EQ(DragPosition(metrics, v, 0, 210), 900 * 210 / 211);
        EXPECT_EQ(DragPosition(metrics, v, 900, -211), 0);
    }
    // At s = 1 that is the drawn thumb's free travel: the thumb stays under the pointer.
    const BarLayout drawn = LayOutBar(Metrics(260), v);
    EXPECT_EQ(drawn.track - drawn.thumbLength, 211);
    // Above it the drawn track is shorter (260 - 31 at s = 1.2, thumb 22): the thumb's free travel of 207
    // pixels already brings it most of the way, not to the end.
    const BarLayout scaled = LayOutBar(Metrics(260, ScaleFromDpi(120)), v);
    EXPECT_EQ(scaled.track - scaled.thumbLength, 207);
    EXPECT_EQ(DragPosition(Metrics(260, ScaleFromDpi(120)), v, 0, 207), 900 * 207 / 211);
}

TEST(ScrollBarPaint, PartsComeFromTheirCellsInTheRowOfTheirState) {
    EXPECT_EQ(SkinCell(13, 2, 1), Rect::FromSize(26, 13, 13, 13));
    EXPECT_EQ(SkinColumn(kPartLineUp, true), 0);
    EXPECT_EQ(SkinColumn(kPartLineDown, true), 1);
    EXPECT_EQ(SkinColumn(kPartThumbTrack, true), 2);
    EXPECT_EQ(SkinColumn(kPartPageUp, true), 3);
    EXPECT_EQ(SkinColumn(kPartPageDown, false), 7);
    EXPECT_EQ(SkinColumn(kPartLineUp, false), 4);
    EXPECT_EQ(SkinColumn(kPartLineDown, false), 5);
    EXPECT_EQ(SkinColumn(kPartThumbTrack, false), 6);

    BarLook look;
    EXPECT_EQ(PartRow(kPartLineUp, look), kRowNormal);
    look.hover = kPartLineUp;
    EXPECT_EQ(PartRow(kPartLineUp, look), kRowHover);
    EXPECT_EQ(PartRow(kPartLineDown, look), kRowNormal);
    look.hover = kPartPageUp; // the track has no hover picture
    EXPECT_EQ(PartRow(kPartPageUp, look), kRowNormal);
    look.hover = kPartThumbTrack;
    EXPECT_EQ(PartRow(kPartThumbTrack, look), kRowHover);
    // A held arrow shows pressed while the pointer is on it, normal while it is off.
    look = {};
    look.pressed = kPartLineDown;
    look.pressedInside = true;
    EXPECT_EQ(PartRow(kPartLineDown, look), kRowPressed);
    EXPECT_EQ(PartRow(kPartLineUp, look), kRowNormal);
    look.pressedInside = false;
    EXPECT_EQ(PartRow(kPartLineDown, look), kRowNormal);
    // A dragged thumb shows pressed.
    look = {};
    look.dragging = true;
    look.hover = kPartLineUp;
    EXPECT_EQ(PartRow(kPartThumbTrack, look), kRowPressed);
    EXPECT_EQ(PartRow(kPartLineUp, look), kRowNormal);
}

TEST(ScrollBarPaint, EveryPixelOfTheBarIsPaintedFromTheRightPart) {
    for (int dpi : {96, 144}) {
        for (bool vertical : {true, false}) {
            SCOPED_TRACE(testing::Message() << dpi << (vertical ? " vertical" : " horizontal"));
            const float s = ScaleFromDpi(dpi);
            const int t = BarThickness(kCell, s);
            const int length = 203;
            const Size client = vertical ? Size{t, length} : Size{length, t};
            const ScrollValues v = Values(0, 99, 10, 33);
            BarLook look;
            look.hover = kPartLineDown;
            const auto pieces = PaintBar(Metrics(length, s), v, vertical, client, look);
            const BarLayout layout = LayOutBar(Metrics(length, s), v);

            // The column (and row) a pixel is painted from, last piece winning, for every pixel of the bar.
            for (int along = 0; along < length; ++along) {
                for (int across = 0; across < t; ++across) {
                    const Point p = vertical ? Point{across, along} : Point{along, across};
                    const SkinPiece* top = nullptr;
                    for (const SkinPiece& piece : pieces) {
                        if (piece.clip.Contains(p) && piece.target.Contains(p)) {
                            top = &piece;
                        }
                    }
                    ASSERT_NE(top, nullptr) << "unpainted pixel at " << along << "," << across;
                    const ScrollPart part = HitTestBar(layout, along);
                    const int column = top->source.left / kCell;
                    const int row = top->source.top / kCell;
                    ASSERT_EQ(column, SkinColumn(part, vertical)) << along;
                    ASSERT_EQ(row, part == kPartLineDown ? kRowHover : kRowNormal) << along;
                }
            }
            // Nothing is painted outside the bar, and clips stay inside their targets' parts.
            for (const SkinPiece& piece : pieces) {
                EXPECT_GE(piece.clip.left, 0);
                EXPECT_GE(piece.clip.top, 0);
                EXPECT_LE(piece.clip.right, client.width);
                EXPECT_LE(piece.clip.bottom, client.height);
            }
        }
    }
}

TEST(ScrollBarPaint, TrackTilesAreOneScaledCellApartAndTheLastIsCut) {
    // Range 0-99 page 10 at position 0 on a 200-pixel bar: the track after the thumb runs [30, 187).
    const auto pieces = PaintBar(Metrics(200), Values(0, 99, 10, 0), true, {13, 200}, {});
    std::vector<SkinPiece> after;
    for (const SkinPiece& piece : pieces) {
        if (piece.clip == Rect{0, 30, 13, 187}) {
            after.push_back(piece);
        }
    }
    ASSERT_EQ(after.size(), 13u); // ceil(157 / 13)
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].target, Rect::FromSize(0, 30 + 13 * static_cast<int>(i), 13, 13));
        EXPECT_EQ(after[i].source, SkinCell(13, 3, 0)); // the whole track cell into each tile
    }
    EXPECT_GT(after.back().target.bottom, 187); // cut by the clip
}

TEST(ScrollBarPaint, ThumbCapsAreStretchedAndItsMiddleTiled) {
    // Thumb [13, 30) of a plain thumb: 3-pixel caps from the first and last 3 rows of the thumb cell.
    const auto pieces = PaintBar(Metrics(200), Values(0, 99, 10, 0), true, {13, 200}, {});
    const Rect cell = SkinCell(13, 2, 0);
    const SkinPiece top{{0, 13, 13, 16}, {cell.left, 0, cell.right, 3}, {0, 13, 13, 16}};
    const SkinPiece bottom{{0, 27, 13, 30}, {cell.left, 10, cell.right, 13}, {0, 27, 13, 30}};
    EXPECT_NE(std::find(pieces.begin(), pieces.end(), top), pieces.end());
    EXPECT_NE(std::find(pieces.begin(), pieces.end(), bottom), pieces.end());
    int middle = 0;
    for (const SkinPiece& piece : pieces) {
        if (piece.clip == Rect{0, 16, 13, 27}) {
            EXPECT_EQ(piece.source, (Rect{cell.left, 3, cell.right, 10}));
            ++middle;
        }
    }
    EXPECT_EQ(middle, 2); // 11 pixels in 7-pixel tiles
    // With a cap size the caps are cap size + 3 long.
    const auto capped = PaintBar(Metrics(200, 1.0f, 2), Values(0, 99, 10, 0), true, {13, 200}, {});
    const SkinPiece longTop{{0, 13, 13, 18}, {cell.left, 0, cell.right, 5}, {0, 13, 13, 18}};
    EXPECT_NE(std::find(capped.begin(), capped.end(), longTop), capped.end());
    // A bar without a skin paints nothing.
    BarMetrics none = Metrics(200);
    none.cell = 0;
    EXPECT_TRUE(PaintBar(none, Values(0, 99, 10, 0), true, {13, 200}, {}).empty());
}

TEST(ScrollBarPaint, DisabledBarShowsTrackWhereTheThumbWouldBe) {
    BarLook look;
    look.disabled = true;
    const auto pieces = PaintBar(Metrics(200), Values(0, 99, 10, 45), true, {13, 200}, look);
    for (const SkinPiece& piece : pieces) {
        EXPECT_NE(piece.source.left / kCell, SkinColumn(kPartThumbTrack, true)) << piece.target;
    }
    const Point onThumb{6, LayOutBar(Metrics(200), Values(0, 99, 10, 45)).thumbStart + 3};
    const auto covering = std::count_if(pieces.begin(), pieces.end(), [&](const SkinPiece& piece) {
        return piece.clip.Contains(onThumb) && piece.target.Contains(onThumb) &&
               piece.source == SkinCell(kCell, SkinColumn(kPartPageUp, true), kRowNormal);
    });
    EXPECT_EQ(covering, 1);
}

TEST(SkinnedBarsPlacement, OwnBarsArePushedOutAndSkinnedOnesTakeTheirStrips) {
    const int own = 17; // the system's scroll-bar width
    const int t = 13;
    // A 300 x 200 control with a vertical bar: its client area was 283 wide.
    auto right = PlaceSkinnedBars({0, 0, 283, 200}, {300, 200}, true, false, false, t, own, own);
    EXPECT_EQ(right.client, (Rect{0, 0, 287, 200}));
    EXPECT_EQ(right.vertical, (Rect{287, 0, 300, 200}));
    EXPECT_EQ(right.horizontal, Rect{});
    EXPECT_EQ(right.cornerKind, 0);
    // Left scroll bars.
    auto left = PlaceSkinnedBars({17, 0, 300, 200}, {300, 200}, true, false, true, t, own, own);
    EXPECT_EQ(left.client, (Rect{13, 0, 300, 200}));
    EXPECT_EQ(left.vertical, (Rect{0, 0, 13, 200}));
    // Both bars: the corner square is left between them.
    auto both = PlaceSkinnedBars({0, 0, 283, 183}, {300, 200}, true, true, false, t, own, own);
    EXPECT_EQ(both.client, (Rect{0, 0, 287, 187}));
    EXPECT_EQ(both.vertical, (Rect{287, 0, 300, 187}));
    EXPECT_EQ(both.horizontal, (Rect{0, 187, 287, 200}));
    EXPECT_EQ(both.cornerKind, 2);
    EXPECT_EQ(PlaceSkinnedBars({17, 0, 300, 183}, {300, 200}, true, true, true, t, own, own).cornerKind, 1);
    // Skinned bars thicker than the system's (high dpi): the client area shrinks instead.
    auto thick = PlaceSkinnedBars({0, 0, 283, 200}, {300, 200}, true, false, false, 24, own, own);
    EXPECT_EQ(thick.vertical, (Rect{276, 0, 300, 200}));
    // A control too narrow for its own bar: no client area is left, the bar starts at the left edge.
    auto narrow = PlaceSkinnedBars({0, 0, 10, 50}, {10, 50}, true, false, false, t, own, own);
    EXPECT_EQ(narrow.client, (Rect{0, 0, 0, 50}));
    EXPECT_EQ(narrow.vertical, (Rect{0, 0, 13, 50}));
}

TEST(SkinnedBarsPlacement, ClippingWindowHidesTheOwnBarsAndLeavesTheCorner) {
    EXPECT_EQ(ClipRect({300, 200}, true, false, false, 13), (Rect{0, 0, 287, 200}));
    EXPECT_EQ(ClipRect({300, 200}, true, true, false, 13), (Rect{0, 0, 287, 187}));
    EXPECT_EQ(ClipRect({300, 200}, true, false, true, 13), (Rect{13, 0, 300, 200}));
    EXPECT_EQ(ClipRect({300, 200}, false, false, true, 13), (Rect{0, 0, 300, 200}));
    EXPECT_EQ(ClipRect({10, 10}, true, true, false, 13), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(CornerRect({300, 200}, 2, 13), (Rect{287, 187, 300, 200}));
    EXPECT_EQ(CornerRect({300, 200}, 1, 13), (Rect{0, 187, 13, 200}));
    EXPECT_EQ(CornerRect({300, 200}, 0, 13), Rect{});
}
