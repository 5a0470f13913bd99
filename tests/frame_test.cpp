// Frame pacing and the speed factor, driven through the clock seam with made-up
// tick counts, so no test ever sleeps.
#include <gtest/gtest.h>

#include "app/app.h"

namespace {

// Puts the pacing globals back to their start-of-program values.
struct Frame : ::testing::Test {
    void SetUp() override { framesPerSecond = 0, lastFrameTicks = 0, frameMilliseconds = 0; }
};

TEST_F(Frame, SpeedFactorIsSixtyOverTheFrameRateWithinLimits)
{
    const float fps[] = {0, 1, 20, 30, 60, 62.5f, 120, 200, 300, 10000};   // 0: the first pass, not yet measured
    const float factor[] = {2, 2, 2, 2, 1, 0.96f, 0.5f, 0.3f, 0.2f, 0.2f};
    for (int i = 0; i < 10; i++)
        EXPECT_FLOAT_EQ(speedFactorFor(fps[i]), factor[i]) << fps[i] << " frames per second";
}

// One pass: the counted end before it, the clock at its end, and what it gives.
struct Pass {
    uint32_t lastTicks, nowTicks;
    int sleep, milliseconds;
    uint32_t countedEnd;
};

TEST_F(Frame, EachPassCountsAtLeast16MillisecondsAndSleepsTheRest)
{
    const Pass passes[] = {
        {0, 700, 0, 700, 700},                   // the first measurement spans the whole start-up
        {1000, 1005, 11, 16, 1016},              // a short pass sleeps up to 16 ms
        {1000, 1050, 0, 50, 1050},               // a slow pass is counted as it is
        {1016, 1015, 17, 16, 1032},              // a clock just behind the counted end still paces
        {0xFFFFFFF0u, 0x00000004u, 0, 20, 4},    // the tick counter wrapping around
    };
    for (const Pass& p : passes) {
        lastFrameTicks = p.lastTicks;
        EXPECT_EQ(advanceFrameClock(p.nowTicks), p.sleep) << "at " << p.nowTicks;
        EXPECT_EQ(frameMilliseconds, p.milliseconds) << "at " << p.nowTicks;
        EXPECT_EQ(lastFrameTicks, p.countedEnd) << "at " << p.nowTicks;
        EXPECT_EQ(framesPerSecond, 1000.0f / p.milliseconds) << "at " << p.nowTicks;
    }
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

}  // namespace
