// Watching drawn for real: a recording made in a wider window is shown
// letterboxed in its own shape, the bar along the bottom with its track
// filled to the time shown, and the end's panel over the last picture.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "app/flow.h"
#include "app/watching.h"
#include "render/view.h"
#include "render/watchbar.h"
#include "sim/seeking.h"
#include "tests/glwindow.h"
#include "world/world.h"

namespace {

const int kWidth = 1000;   // 5:3; wide.rec was played at 1000 x 450
const int kHeight = 600;
const Pixel kBackground = {255, 0, 255};

const std::string kWide = std::string(VG_SOURCE_DIR) + "/tests/recordings/wide.rec";

// The watched world and the bar, as a pass of watching draws them.
void drawWatching()
{
    WatchLayout l = watchLayout(screenWidth, screenHeight, watchedAspect());
    renderWatchedWorld(l.picture, watchBestScore, screenWidth, screenHeight);
    drawWatchBar(watchBarPicture(screenWidth, screenHeight, watchSeconds, watchTotalSeconds));
}

// How many pixels of the row differ from the background, over its width.
int drawnInRow(int y)
{
    int drawn = 0;
    for (int x = 0; x < kWidth; x += 4)
        drawn += same(pixelAt(x, y), kBackground) ? 0 : 1;
    return drawn;
}

class WatchingPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openGameWindow(kWidth, kHeight);
        loadTextures();
    }
    void TearDown() override
    {
        if (gameState == kStateWatching)
            stopWatching(kStateTitleMenu);
    }
};

}  // namespace

// wide.rec (aspect 2.22) in a 5:3 window: the picture is 1000 x 450 in the
// middle of the 552 rows above the bar, the bands around it untouched, the bar's track bright to the left
// of the time shown and dark to its right.
TEST_F(WatchingPicture, AWiderRecordingIsLetterboxedUnderTheBar)
{
    ASSERT_TRUE(watchRecording(kWide.c_str(), kStateTitleMenu));
    for (int pass = 0; pass < 8; pass++)
        watchFrame(250.0f);
    EXPECT_GE(watchStep, 50u);
    drawFrame(drawWatching);
    EXPECT_EQ(drawnInRow(50), 0) << "the band above the picture is left alone";
    EXPECT_EQ(drawnInRow(51), kWidth / 4) << "the picture starts at row 51";
    EXPECT_EQ(drawnInRow(500), kWidth / 4) << "and ends at row 500";
    EXPECT_EQ(drawnInRow(501), 0) << "the band below the picture is left alone";
    EXPECT_EQ(drawnInRow(kHeight - 24), kWidth / 4) << "the bar spans the bottom";
    WatchLayout l = watchLayout(kWidth, kHeight, watchedAspect());
    const WatchRect& track = l.buttons[kWatchTrack];
    float share = watchSeconds / watchTotalSeconds;
    int filledX = (int)(track.x0 + (track.x1 - track.x0) * share * 0.5f);
    int emptyX = (int)(track.x0 + (track.x1 - track.x0) * (share + 1.0f) * 0.5f);
    int row = (int)((track.y0 + track.y1) * 0.5f);
    EXPECT_FALSE(same(pixelAt(filledX, row), pixelAt(emptyX, row))) << "filled and empty parts differ";
    EXPECT_FALSE(same(pixelAt(filledX, row), Pixel{0, 0, 0}));
    EXPECT_EQ(screenWidth, (float)kWidth) << "the window's size comes back after the letterboxed picture";
    EXPECT_EQ(aspectRatio, (float)kWidth / kHeight);
}

// At the end the panel's two entries stand over the last picture, the one
// under the pointer highlighted.
TEST_F(WatchingPicture, TheEndShowsWatchAgainAndBackOverTheLastPicture)
{
    ASSERT_TRUE(watchRecording(kWide.c_str(), kStateTitleMenu));
    ASSERT_TRUE(seekWatching(watchSteps));
    watchFrame(16.0f);
    ASSERT_TRUE(watchAtEnd);
    WatchLayout l = watchLayout(kWidth, kHeight, watchedAspect());
    const WatchRect& again = l.buttons[kWatchAgainButton];
    const WatchRect& back = l.buttons[kWatchBackButton];
    WatchInput in = {};
    in.windowWidth = kWidth;
    in.windowHeight = kHeight;
    in.menu.pointerX = (int32_t)(again.x0 + 4);
    in.menu.pointerY = (int32_t)(again.y0 + 4);
    readWatchInput(in, watchSeconds, watchTotalSeconds);
    drawFrame(drawWatching);
    Pixel hot = pixelAt((int)again.x1 - 4, (int)again.y1 - 4);
    Pixel cold = pixelAt((int)back.x1 - 4, (int)back.y1 - 4);
    EXPECT_FALSE(same(hot, cold)) << "the hot entry is drawn apart from the other";
}
