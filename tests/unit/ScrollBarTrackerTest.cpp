// A skinned scroll bar's pointer handling with its repeat timer, against a control that scrolls as an edit box
// does.
#include "ui/layout/ScrollBarTracker.h"
#include "ui/layout/ScrollBarLayout.h"

#include "ScrollBarSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Stands in for the wrapped control: carries out a scroll code on its own values, as an edit box does, and the
// frame then copies the result back into the bar.
struct FakeControl {
    ScrollValues values;
    void Scroll(ScrollPart code, int position) {
        const int largest = LargestScrollPosition(values);
        int pos = values.pos;
        switch (code) {
        case kPartLineUp:
            pos -= 1;
            break;
        case kPartLineDown:
            pos += 1;
            break;
        case kPartPageUp:
            pos -= std::max(values.page, 1);
            break;
        case kPartPageDown:
            pos += std::max(values.page, 1);
            break;
        case kPartThumbTrack:
        case kPartThumbPosition:
            pos = position;
            break;
        default:
            return;
        }
        values.pos = std::clamp(pos, values.min, largest);
    }
};

// A vertical bar 13 x length tracking a fake control; every notification reaches the control and its state is
// copied back, as the frame does.
struct Rig {
    explicit Rig(ScrollValues start, int length = 200, float scale = 1.0f) : bar(true) {
        control.values = start;
        bar.SetSkin(kCell, scale, 0);
        bar.SetClientSize({BarThickness(kCell, scale), length});
        bar.SetValues(kScrollMaskRange | kScrollMaskPage | kScrollMaskPos, start);
    }
    BarActions Run(const BarActions& actions) {
        if (actions.notify != kPartNone) {
            notifications.push_back({actions.notify, actions.notifyPosition});
            control.Scroll(actions.notify, actions.notifyPosition);
            if (actions.notify != kPartThumbTrack) {
                bar.SetValues(kScrollMaskPos, control.values);
            }
        }
        return actions;
    }
    Point At(int along) const { return {6, along}; }

    ScrollBarTracker bar;
    FakeControl control;
    std::vector<std::pair<ScrollPart, int>> notifications;
};

} // namespace

TEST(ScrollBarTracker, ArrowRepeatsAfterADelayWhileHeldAndOnTheArrow) {
    Rig rig(Values(0, 99, 10, 50));
    const BarActions press = rig.Run(rig.bar.Press(rig.At(195)));
    EXPECT_EQ(press.notify, kPartLineDown);
    EXPECT_EQ(press.timer, BarActions::Timer::StartDelay);
    EXPECT_TRUE(press.repaint);
    EXPECT_EQ(rig.bar.Values().pos, 51);
    EXPECT_EQ(PartRow(kPartLineDown, rig.bar.Look()), kRowPressed);

    // The delay timer switches to the fast one and scrolls; later ticks keep it.
    const BarActions first = rig.Run(rig.bar.RepeatTimer());
    EXPECT_EQ(first.timer, BarActions::Timer::StartRepeat);
    EXPECT_EQ(first.notify, kPartLineDown);
    const BarActions second = rig.Run(rig.bar.RepeatTimer());
    EXPECT_EQ(second.timer, BarActions::Timer::Keep);
    EXPECT_EQ(rig.bar.Values().pos, 53);

    // Off the arrow nothing scrolls and the arrow looks normal; back on it, scrolling goes on.
    EXPECT_TRUE(rig.bar.Move(rig.At(100)).repaint);
    EXPECT_EQ(PartRow(kPartLineDown, rig.bar.Look()), kRowNormal);
    EXPECT_EQ(rig.Run(rig.bar.RepeatTimer()).notify, kPartNone);
    EXPECT_EQ(rig.bar.Move({6, 250}).notify, kPartNone); // the capture reports points beyond the bar
    EXPECT_EQ(rig.Run(rig.bar.RepeatTimer()).notify, kPartNone);
    rig.bar.Move(rig.At(190));
    EXPECT_EQ(rig.Run(rig.bar.RepeatTimer()).notify, kPartLineDown);
    EXPECT_EQ(rig.bar.Values().pos, 54);

    const BarActions release = rig.Run(rig.bar.Release(rig.At(190)));
    EXPECT_EQ(release.timer, BarActions::Timer::Stop);
    EXPECT_EQ(release.notify, kPartNone);
    EXPECT_FALSE(rig.bar.Active());
    // Released over the arrow, it shows its hover picture.
    EXPECT_EQ(PartRow(kPartLineDown, rig.bar.Look()), kRowHover);
}

TEST(ScrollBarTracker, HeldArrowsStopRepeatingAtTheEndsOfTheRange) {
    Rig down(Values(0, 99, 10, 85));
    down.Run(down.bar.Press(down.At(195)));
    int ticks = 0;
    while (down.Run(down.bar.RepeatTimer()).timer != BarActions::Timer::Stop) {
        ASSERT_LT(++ticks, 50);
    }
    EXPECT_EQ(down.bar.Values().pos, 90); // maximum - page + 1
    EXPECT_EQ(down.control.values.pos, 90);
    EXPECT_EQ(down.notifications.size(), 5u);

    Rig up(Values(0, 99, 10, 3));
    up.Run(up.bar.Press(up.At(2)));
    ticks = 0;
    while (up.Run(up.bar.RepeatTimer()).timer != BarActions::Timer::Stop) {
        ASSERT_LT(++ticks, 50);
    }
    EXPECT_EQ(up.bar.Values().pos, 0);
    EXPECT_EQ(up.notifications.size(), 3u);
}

TEST(ScrollBarTracker, HeldTrackPagesUntilTheThumbReachesThePointer) {
    Rig rig(Values(0, 999, 100, 0));
    // Press the track near the bottom: page after page until the thumb is under the pointer.
    const int target = 160;
    EXPECT_EQ(rig.Run(rig.bar.Press(rig.At(target))).notify, kPartPageDown);
    int ticks = 0;
    while (rig.Run(rig.bar.RepeatTimer()).timer != BarActions::Timer::Stop) {
        ASSERT_LT(++ticks, 50);
    }
    const BarLayout layout = rig.bar.Layout();
    EXPECT_LE(layout.thumbStart, target);
    EXPECT_GT(layout.ThumbEnd(), target);
    EXPECT_EQ(HitTestBar(layout, target), kPartThumbTrack);
    for (const auto& [code, position] : rig.notifications) {
        EXPECT_EQ(code, kPartPageDown);
    }
}

TEST(ScrollBarTracker, DraggingTheThumbPastBothEndsScrollsTheWholeRange) {
    Rig rig(Values(0, 99, 10, 45));
    const BarLayout layout = rig.bar.Layout();
    const int grab = layout.thumbStart + 5;
    EXPECT_EQ(rig.Run(rig.bar.Press(rig.At(grab))).notify, kPartNone);
    EXPECT_TRUE(rig.bar.Dragging());
    EXPECT_EQ(rig.bar.Values().trackPos, 45);
    EXPECT_EQ(PartRow(kPartThumbTrack, rig.bar.Look()), kRowPressed);

    // Up past the top: held at the minimum; the bar reports each new position once.
    rig.Run(rig.bar.Move(rig.At(grab - 30)));
    rig.Run(rig.bar.Move({60, -400})); // far off the bar, still captured
    EXPECT_EQ(rig.bar.Values().trackPos, 0);
    EXPECT_EQ(rig.bar.Move({60, -500}).notify, kPartNone);
    EXPECT_EQ(rig.control.values.pos, 0);
    // The pointer leaving the bar during a drag leaves the thumb where the pointer put it.
    EXPECT_FALSE(rig.bar.Leave().repaint);
    EXPECT_EQ(rig.bar.Values().trackPos, 0);
    // Down past the bottom: held at maximum - page + 1.
    rig.Run(rig.bar.Move(rig.At(900)));
    EXPECT_EQ(rig.bar.Values().trackPos, 90);
    EXPECT_EQ(rig.control.values.pos, 90);
    // The bar's own position only changes when the control confirms it.
    EXPECT_EQ(rig.bar.Values().pos, 45);
    for (const auto& [code, position] : rig.notifications) {
        EXPECT_EQ(code, kPartThumbTrack);
    }

    const BarActions release = rig.Run(rig.bar.Release(rig.At(900)));
    EXPECT_EQ(release.notify, kPartThumbPosition);
    EXPECT_EQ(release.notifyPosition, 90);
    EXPECT_FALSE(rig.bar.Dragging());
    EXPECT_EQ(rig.bar.Values().trackPos, -1);
    EXPECT_EQ(rig.bar.Values().pos, 90);
    EXPECT_EQ(rig.bar.Layout().thumbStart, 170);
}

TEST(ScrollBarTracker, ALostCaptureEndsTheDragWhereThePointerWas) {
    Rig rig(Values(0, 99, 10, 0));
    rig.Run(rig.bar.Press(rig.At(20)));
    rig.Run(rig.bar.Move(rig.At(100)));
    const int reached = rig.bar.Values().trackPos;
    EXPECT_GT(reached, 0);
    const BarActions lost = rig.Run(rig.bar.CaptureLost());
    EXPECT_EQ(lost.notify, kPartThumbPosition);
    EXPECT_EQ(lost.notifyPosition, reached);
    EXPECT_FALSE(rig.bar.Active());
    EXPECT_EQ(rig.bar.CaptureLost().notify, kPartNone);
    // A held arrow just stops.
    rig.Run(rig.bar.Press(rig.At(2)));
    EXPECT_EQ(rig.bar.CaptureLost().timer, BarActions::Timer::Stop);
    EXPECT_FALSE(rig.bar.Active());
}

TEST(ScrollBarTracker, HoverPicturesFollowTheFreePointer) {
    Rig rig(Values(0, 99, 10, 45));
    EXPECT_TRUE(rig.bar.Move(rig.At(5)).repaint);
    EXPECT_EQ(rig.bar.Hover(), kPartLineUp);
    EXPECT_FALSE(rig.bar.Move(rig.At(6)).repaint);  // same part
    EXPECT_TRUE(rig.bar.Move(rig.At(50)).repaint);  // to the track: the arrow goes back to normal
    EXPECT_FALSE(rig.bar.Move(rig.At(60)).repaint); // along the track: no picture changes
    EXPECT_TRUE(rig.bar.Move(rig.At(95)).repaint);  // onto the thumb
    EXPECT_EQ(PartRow(kPartThumbTrack, rig.bar.Look()), kRowHover);
    EXPECT_TRUE(rig.bar.Leave().repaint);
    EXPECT_EQ(rig.bar.Hover(), kPartNone);
    EXPECT_FALSE(rig.bar.Leave().repaint);
    EXPECT_TRUE(rig.notifications.empty());
}

TEST(ScrollBarTracker, ScrollInformationCopiesOnlyWhatTheMaskNames) {
    ScrollBarTracker bar(false);
    EXPECT_TRUE(bar.SetValues(kScrollMaskRange | kScrollMaskPage | kScrollMaskPos, Values(0, 99, 10, 20)));
    EXPECT_FALSE(bar.SetValues(kScrollMaskPos, Values(7, 7, 7, 20)));
    EXPECT_TRUE(bar.SetValues(kScrollMaskPos, Values(7, 7, 7, 30)));
    EXPECT_EQ(bar.Values(), Values(0, 99, 10, 30));
    EXPECT_TRUE(bar.SetValues(kScrollMaskPage, Values(0, 0, 20, 0)));
    EXPECT_EQ(bar.Values(), Values(0, 99, 20, 30));
    EXPECT_TRUE(bar.SetValues(kScrollMaskRange, Values(0, 39, 0, 0)));
    EXPECT_EQ(bar.Values(), Values(0, 39, 20, 20)); // the position follows the smaller range
    EXPECT_EQ(bar.TrackPosition(), 20);             // no drag: the track position is the position
    // A horizontal bar measures along x.
    bar.SetSkin(kCell, 1.0f, 0);
    bar.SetClientSize({200, 13});
    EXPECT_EQ(bar.Press({195, 6}).notify, kPartLineDown);
}
