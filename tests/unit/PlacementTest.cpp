// Where the framework centres a modal dialog.
#include "framework/Placement.h"

#include "GeometryPrinting.h"

#include <gtest/gtest.h>

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
