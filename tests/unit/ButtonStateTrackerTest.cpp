// The skinned buttons' hover, press and leave.
#include "ui/layout/ButtonStateTracker.h"

#include <gtest/gtest.h>

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
