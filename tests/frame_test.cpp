// Frame pacing and the speed factor, driven through the clock seam with made-up
// tick counts, so no test ever sleeps.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app.h"

namespace {

// Puts the pacing globals back to their start-of-program values.
struct Frame : ::testing::Test {
    void SetUp() override
    {
        framesPerSecond = 0;
        lastFrameTicks = 0;
        frameMilliseconds = 0;
    }
};

TEST_F(Frame, FirstPassRunsAtTheHighestFactor)
{
    EXPECT_EQ(speedFactorFor(framesPerSecond), 2.0f);
}

TEST_F(Frame, SpeedFactorIsSixtyOverTheFrameRateWithinLimits)
{
    EXPECT_EQ(speedFactorFor(60.0f), 1.0f);
    EXPECT_EQ(speedFactorFor(30.0f), 2.0f);
    EXPECT_EQ(speedFactorFor(20.0f), 2.0f);
    EXPECT_EQ(speedFactorFor(1.0f), 2.0f);
    EXPECT_EQ(speedFactorFor(120.0f), 0.5f);
    EXPECT_EQ(speedFactorFor(300.0f), 0.2f);
    EXPECT_EQ(speedFactorFor(10000.0f), 0.2f);
}

TEST_F(Frame, FirstMeasurementSpansTheWholeStartUp)
{
    EXPECT_EQ(advanceFrameClock(700), 0);
    EXPECT_EQ(frameMilliseconds, 700);
    EXPECT_EQ(lastFrameTicks, 700u);
    EXPECT_EQ(speedFactorFor(framesPerSecond), 2.0f);
}

TEST_F(Frame, AShortPassSleepsUpTo16Milliseconds)
{
    lastFrameTicks = 1000;
    EXPECT_EQ(advanceFrameClock(1005), 11);
    EXPECT_EQ(frameMilliseconds, 16);
    EXPECT_EQ(lastFrameTicks, 1016u);
    EXPECT_EQ(framesPerSecond, 62.5f);
    EXPECT_FLOAT_EQ(speedFactorFor(framesPerSecond), 0.96f);
}

TEST_F(Frame, ASlowPassIsRecordedAsItIsAndTheFactorClamps)
{
    lastFrameTicks = 1000;
    EXPECT_EQ(advanceFrameClock(1050), 0);
    EXPECT_EQ(frameMilliseconds, 50);
    EXPECT_EQ(framesPerSecond, 20.0f);
    EXPECT_EQ(speedFactorFor(framesPerSecond), 2.0f);
}

TEST_F(Frame, SteadyRunningNeverGoesBelowTheCappedFactor)
{
    uint32_t now = 0;
    for (int pass = 0; pass < 50; pass++) {
        now += 3 + advanceFrameClock(now);
        EXPECT_GE(speedFactorFor(framesPerSecond), 0.96f);
    }
    EXPECT_EQ(framesPerSecond, 62.5f);
}

TEST_F(Frame, OversleepIsChargedToTheNextFrame)
{
    lastFrameTicks = 1000;
    EXPECT_EQ(advanceFrameClock(1010), 6);
    EXPECT_EQ(lastFrameTicks, 1016u) << "advances by the counted length, not a fresh reading";
    // The sleep overran to 1020: the next pass ends at 1030, 14 ms after the
    // counted end, so it sleeps 2 ms more instead of 6.
    EXPECT_EQ(advanceFrameClock(1030), 2);
    EXPECT_EQ(lastFrameTicks, 1032u);
}

TEST_F(Frame, AClockReadingJustBehindTheCountedEndStillPaces)
{
    lastFrameTicks = 1016;
    EXPECT_EQ(advanceFrameClock(1015), 17);
    EXPECT_EQ(frameMilliseconds, 16);
    EXPECT_EQ(lastFrameTicks, 1032u);
}

TEST_F(Frame, TheTickCounterWrappingAroundDoesNotBreakPacing)
{
    lastFrameTicks = 0xFFFFFFF0u;
    EXPECT_EQ(advanceFrameClock(0x00000004u), 0);
    EXPECT_EQ(frameMilliseconds, 20);
    EXPECT_EQ(lastFrameTicks, 4u);
}

}  // namespace
