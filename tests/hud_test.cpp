// Where the HUD puts its bars and how large the blood vignette grows, as
// numbers: no window needed.
#include <gtest/gtest.h>

#include "platform/settings.h"
#include "render/view.h"

namespace {

const float kTolerance = 0.01f;   // HUD units

// One player at 4:3 spans all but the margins; two players at 16:9 get one
// half each with a gap between.
TEST(HudLayout, BarsSpanTheScreenOrOneHalfEachWithAGapBetween)
{
    float left, right;
    hudBarSpan(0, 1, 4.0f / 3.0f, left, right);
    EXPECT_NEAR(left, -466.67f, kTolerance);
    EXPECT_NEAR(right, 466.67f, kTolerance);
    hudBarSpan(0, 2, 16.0f / 9.0f, left, right);
    EXPECT_NEAR(left, -666.67f, kTolerance);
    EXPECT_NEAR(right, -44.44f, kTolerance);
    hudBarSpan(1, 2, 16.0f / 9.0f, left, right);
    EXPECT_NEAR(left, 44.44f, kTolerance);
    EXPECT_NEAR(right, 666.67f, kTolerance);
}

TEST(HudLayout, BloodVignetteShrinksToTheScreenAsHealthRunsOut)
{
    EXPECT_FLOAT_EQ(bloodOverlayScale(100), 2.48f);
    EXPECT_FLOAT_EQ(bloodOverlayScale(50), 1.74f);
    EXPECT_FLOAT_EQ(bloodOverlayScale(0), 1.0f);
    EXPECT_FLOAT_EQ(bloodOverlayScale(-30), 1.0f);   // overdrawn health never shrinks it further
}

// 800 x 600 window: 0.75 pixels per HUD unit. Edges falling inside a pixel
// leave that pixel out, so only pixels wholly inside the rectangle count.
TEST(HudLayout, ClearPixelsAreThoseWhollyInsideTheRectangle)
{
    screenWidth = 800, screenHeight = 600;
    int x0, x1, y0, y1;
    hudClearPixels(100, 100, x0, x1, y0, y1);
    EXPECT_EQ(x0, 325);
    EXPECT_EQ(x1, 475);
    EXPECT_EQ(y0, 225);
    EXPECT_EQ(y1, 375);
    hudClearPixels(101, 0.5f, x0, x1, y0, y1);
    EXPECT_EQ(x0, 325);   // 324.25 rounds inwards
    EXPECT_EQ(x1, 475);   // 475.75 rounds inwards
    EXPECT_GE(y0, y1);    // less than a pixel tall: nothing is clear
}

}  // namespace
