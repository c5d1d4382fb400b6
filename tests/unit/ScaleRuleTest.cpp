// The scale factor the tool takes from the screen's DPI.
#include "ui/layout/ScaleRule.h"

#include <gtest/gtest.h>

TEST(ScaleRule, DividesTheDpiBy100OnlyAbove100) {
    EXPECT_EQ(ScaleFromDpi(96), 1.0f);
    EXPECT_EQ(ScaleFromDpi(100), 1.0f);
    EXPECT_EQ(ScaleFromDpi(72), 1.0f);
    EXPECT_EQ(ScaleFromDpi(120), 1.2f);
    EXPECT_EQ(ScaleFromDpi(144), 1.44f);
    EXPECT_EQ(ScaleFromDpi(192), 1.92f); // not 2: the divisor is 100, not 96
    EXPECT_EQ(ScaleFromDpi(200), 2.0f);
}
