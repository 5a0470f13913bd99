// Watching a recording inside the game, without a window: what the bar's
// input means (pause, speeds at their limits, seeking by clicks and arrows at
// both ends, the end's entries, the question before a game is dropped), the
// pace of the steps, a game in progress kept aside and brought back, and
// "Play from here" making a recording that replays. Each test works in a
// scratch directory; watching itself writes nothing there.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app.h"
#include "app/flow.h"
#include "app/watching.h"
#include "platform/settings.h"
#include "sim/gamestart.h"
#include "sim/recording.h"
#include "sim/runstats.h"
#include "sim/seeking.h"
#include "tests/recordedgame.h"
#include "tests/scratchdir.h"
#include "world/world.h"

namespace {

const float kWidth = 1000;   // the window the bar is laid out in
const float kHeight = 600;

// Copies a checked-in recording into the scratch directory.
void copyRecording(const char* name, const char* to)
{
    Bytes b = checkedInRecording(name);
    FILE* f = fopen(to, "wb");
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
}

// A pass with nothing pressed, the mouse far from the bar.
WatchInput quiet()
{
    WatchInput in = {};
    in.windowWidth = kWidth;
    in.windowHeight = kHeight;
    in.menu.pointerX = 10;
    in.menu.pointerY = 10;
    return in;
}

// A click in the middle of a place of the bar, or at x within it.
WatchInput clickOn(int32_t button, float atX = -1)
{
    WatchInput in = quiet();
    WatchRect r = watchLayout(kWidth, kHeight, 0).buttons[button];
    in.menu.pointerX = (int32_t)(atX < 0 ? (r.x0 + r.x1) * 0.5f : atX);
    in.menu.pointerY = (int32_t)((r.y0 + r.y1) * 0.5f);
    in.menu.click = true;
    return in;
}

// One pass of the logic over 100 seconds of play, `at` seconds shown.
WatchChoice pass(const WatchInput& in, float at = 50)
{
    return readWatchInput(in, at, 100);
}

// A new city recorded for `steps` steps standing still, with this best
// score at its start; the file is "lastgame.rec".
void recordStill(uint32_t steps, int32_t best)
{
    bestKillCount = best;
    seedRandom(9);
    beginGame(kStartNewCity, 0, 0, 800, 600, kTestAspect);
    playRecordedSteps(steps, [](uint32_t) { return stillInput(); });
    endRecording(killCount);
}

// The replay program's check of a file: its exit status.
int checkFile(const char* path, std::string& text)
{
    return reportOn(readFile(path), true, text);
}

struct Watching : ::testing::Test {
    void SetUp() override
    {
        enterScratchDir(scratch, "watching");
        gameState = kStateTitleMenu;
        screenWidth = 800, screenHeight = 600, aspectRatio = 800.0f / 600.0f;
        resetWorld();
        killCount = bestKillCount = 0;
        watchSpeed = kWatchNormalSpeed;
        watchPaused = watchAtEnd = watchAsking = watchGameKept = false;
        watchEndItem = 0;
    }
    void TearDown() override
    {
        if (gameState == kStateWatching)
            stopWatching(kStateTitleMenu);
        finishGame();
        leaveScratchDir(scratch);
    }
    ScratchDir scratch;
};

}  // namespace

// Space, the pause button and the pad's A pause and resume; at the end they
// play the game again instead.
TEST_F(Watching, SpaceThePauseButtonAndAPauseAndResume)
{
    WatchInput space = quiet();
    space.pause = true;
    EXPECT_EQ(pass(space).action, kWatchNothing);
    EXPECT_TRUE(watchPaused);
    pass(clickOn(kWatchPauseButton));
    EXPECT_FALSE(watchPaused);
    WatchInput a = quiet();
    a.menu.padDrives = true;
    a.menu.choose = true;
    pass(a);
    EXPECT_TRUE(watchPaused);
    watchAtEnd = true;
    EXPECT_EQ(pass(space).action, kWatchAgain);
}

// The speed goes a step at a time from a quarter to eight times, by the up
// and down arrows, the bar's buttons and the pad's up and down, and stops at
// both ends.
TEST_F(Watching, SpeedsStepFromAQuarterToEightTimesAndStopAtBothEnds)
{
    WatchInput up = quiet();
    up.speedStep = 1;
    WatchInput down = quiet();
    down.speedStep = -1;
    pass(up);
    EXPECT_EQ(kWatchSpeedFactors[watchSpeed], 2.0f);
    pass(clickOn(kWatchFasterButton));
    EXPECT_EQ(kWatchSpeedFactors[watchSpeed], 4.0f);
    WatchInput padUp = quiet();
    padUp.menu.padDrives = true;
    padUp.menu.highlightStep = -1;
    pass(padUp);
    EXPECT_EQ(kWatchSpeedFactors[watchSpeed], 8.0f);
    pass(up);
    ASSERT_EQ(watchSpeed, kWatchSpeeds - 1) << "eight times is the fastest";
    pass(clickOn(kWatchFasterButton));
    ASSERT_EQ(watchSpeed, kWatchSpeeds - 1);
    for (int i = 0; i < 4; i++)
        pass(down);
    EXPECT_EQ(kWatchSpeedFactors[watchSpeed], 0.5f);
    pass(clickOn(kWatchSlowerButton));
    EXPECT_EQ(kWatchSpeedFactors[watchSpeed], 0.25f);
    pass(down);
    ASSERT_EQ(watchSpeed, 0) << "a quarter is the slowest";
    WatchInput padDown = quiet();
    padDown.menu.padDrives = true;
    padDown.menu.highlightStep = 1;
    pass(padDown);
    EXPECT_EQ(kWatchSpeedFactors[watchSpeed], 0.25f);
}

// A click on the track seeks to its share of the game: its left end the
// start, its right end the end; the arrows seek ten seconds and stop at the
// start and the end.
TEST_F(Watching, ClicksOnTheTrackAndTheArrowsSeekWithinTheGame)
{
    WatchRect track = watchLayout(kWidth, kHeight, 0).buttons[kWatchTrack];
    WatchChoice first = pass(clickOn(kWatchTrack, track.x0));
    EXPECT_EQ(first.action, kWatchSeek);
    EXPECT_EQ(first.seekSeconds, 0.0f);
    WatchChoice last = pass(clickOn(kWatchTrack, track.x1 - 1));
    EXPECT_EQ(last.action, kWatchSeek);
    EXPECT_GT(last.seekSeconds, 99.0f);
    EXPECT_LE(last.seekSeconds, 100.0f);
    WatchChoice middle = pass(clickOn(kWatchTrack, (track.x0 + track.x1) * 0.5f));
    EXPECT_NEAR(middle.seekSeconds, 50.0f, 0.5f);
    WatchInput left = quiet();
    left.seekStep = -1;
    WatchInput right = quiet();
    right.seekStep = 1;
    EXPECT_EQ(pass(left, 50).seekSeconds, 40.0f);
    EXPECT_EQ(pass(left, 3).seekSeconds, 0.0f) << "not before the start";
    EXPECT_EQ(pass(left, 0).seekSeconds, 0.0f);
    EXPECT_EQ(pass(right, 50).seekSeconds, 60.0f);
    EXPECT_EQ(pass(right, 96).seekSeconds, 100.0f) << "not past the end";
    EXPECT_EQ(pass(right, 100).action, kWatchSeek);
    EXPECT_EQ(pass(right, 100).seekSeconds, 100.0f);
    EXPECT_EQ(pass(clickOn(kWatchPauseButton, -1)).action, kWatchNothing) << "a click beside the track seeks nothing";
}

// At the end "Watch again" and "Back" are offered: by a click, by Return on
// the highlighted one (the first at first), by the arrows or the pad's moves
// and A; Escape and B go back at any time.
TEST_F(Watching, AtTheEndWatchAgainAndBackAreChosenByMouseKeysAndPad)
{
    WatchInput enter = quiet();
    enter.enter = true;
    EXPECT_EQ(pass(enter).action, kWatchNothing) << "no panel before the end";
    EXPECT_EQ(pass(clickOn(kWatchBackButton)).action, kWatchNothing);
    watchAtEnd = true;
    EXPECT_EQ(pass(clickOn(kWatchAgainButton)).action, kWatchAgain);
    EXPECT_EQ(pass(clickOn(kWatchBackButton)).action, kWatchBack);
    EXPECT_EQ(pass(enter).action, kWatchAgain);
    WatchInput down = quiet();
    down.speedStep = -1;
    pass(down);
    EXPECT_EQ(pass(enter).action, kWatchBack);
    EXPECT_EQ(kWatchSpeedFactors[watchSpeed], 1.0f) << "at the end the arrows move the highlight only";
    WatchInput padUp = quiet();
    padUp.menu.padDrives = true;
    padUp.menu.highlightStep = -1;
    padUp.menu.choose = true;
    EXPECT_EQ(pass(padUp).action, kWatchAgain);
    EXPECT_EQ(watchHot, kWatchAgainButton);
    WatchInput escape = quiet();
    escape.escape = true;
    EXPECT_EQ(pass(escape).action, kWatchBack);
    watchAtEnd = false;
    WatchInput b = quiet();
    b.menu.back = true;
    EXPECT_EQ(pass(b).action, kWatchBack);
}

// "Play from here" by P or Start or its button; with a game in progress it
// asks first, and Escape or "Keep watching" keep both the game and watching.
TEST_F(Watching, PlayFromHereAsksFirstWhenAGameWouldBeDropped)
{
    WatchInput p = quiet();
    p.playHere = true;
    EXPECT_EQ(pass(p).action, kWatchPlayHere);
    EXPECT_EQ(pass(clickOn(kWatchPlayHereButton)).action, kWatchPlayHere);
    watchGameKept = true;
    gameState = kStateWatching;
    EXPECT_EQ(chooseWatchAction(WatchChoice{kWatchPlayHere, 0}), kWatchNothing) << "it asks first";
    EXPECT_TRUE(watchAsking);
    EXPECT_EQ(gameState, kStateWatching);
    EXPECT_EQ(pass(p).action, kWatchNothing) << "only the question is answered now";
    EXPECT_EQ(pass(clickOn(kWatchPauseButton)).action, kWatchNothing);
    EXPECT_EQ(pass(clickOn(kWatchYesButton)).action, kWatchDropGame);
    WatchInput escape = quiet();
    escape.escape = true;
    EXPECT_EQ(pass(escape).action, kWatchKeepGame);
    chooseWatchAction(pass(clickOn(kWatchNoButton)));
    EXPECT_FALSE(watchAsking);
    EXPECT_EQ(gameState, kStateWatching);
    watchGameKept = false;
}

// A recording plays at its recorded pace times the speed, stands still
// while paused, seeks, stops on its last picture at the end, starts again,
// and Escape goes back to the state given, with nothing written.
TEST_F(Watching, ARecordingPlaysAtItsPaceSeeksEndsAndGoesBack)
{
    copyRecording("fight.rec", "fight.rec");
    EXPECT_FALSE(watchRecording("missing.rec", kStateBestRuns));
    EXPECT_EQ(gameState, kStateTitleMenu);
    ASSERT_TRUE(watchRecording("fight.rec", kStateBestRuns));
    EXPECT_EQ(gameState, kStateWatching);
    EXPECT_EQ(watchBestScore, kNoBestScore) << "an older recording holds no best score";
    const float kStep = 1000.0f / 60.0f;
    watchFrame(100.0f);
    EXPECT_GE(watchSeconds * 1000.0f, 100.0f) << "at 1x the game shown keeps up with the time that passed";
    EXPECT_LT(watchSeconds * 1000.0f, 100.0f + 2.0f * kStep);
    watchSpeed = 0;
    watchFrame(200.0f);
    EXPECT_GE(watchSeconds * 1000.0f, 150.0f) << "at a quarter, a quarter of it";
    EXPECT_LT(watchSeconds * 1000.0f, 150.0f + 2.0f * kStep);
    uint32_t shown = watchStep;
    watchPaused = true;
    watchFrame(200.0f);
    EXPECT_EQ(watchStep, shown);
    watchPaused = false;
    chooseWatchAction(WatchChoice{kWatchSeek, watchTotalSeconds * 0.5f});
    while (watchStep != stepAtSeconds(watchTotalSeconds * 0.5f))
        watchFrame(16.0f);
    EXPECT_EQ(watchStep % kCheckpointSteps, 0u);
    chooseWatchAction(WatchChoice{kWatchSeek, watchTotalSeconds});
    for (int i = 0; i < 100 && !watchAtEnd; i++)
        watchFrame(16.0f);
    EXPECT_TRUE(watchAtEnd);
    EXPECT_EQ(watchStep, watchSteps);
    watchFrame(1000.0f);
    EXPECT_EQ(watchStep, watchSteps) << "the last picture stays";
    chooseWatchAction(WatchChoice{kWatchAgain, 0});
    watchFrame(16.0f);
    EXPECT_FALSE(watchAtEnd);
    EXPECT_EQ(watchStep, 0u);
    actOnWatching(chooseWatchAction(WatchChoice{kWatchBack, 0}));
    EXPECT_EQ(gameState, kStateBestRuns);
    EXPECT_EQ(filesHere(), std::set<std::string>{"fight.rec"}) << "watching writes no file";
}

// A recording made now holds the player's best score as the game began.
TEST_F(Watching, TheHudsBestScoreIsTheOneTheGameWasPlayedAgainst)
{
    recordStill(30, 17);
    bestKillCount = 40;
    ASSERT_TRUE(watchRecording("lastgame.rec", kStateTitleMenu));
    EXPECT_EQ(watchBestScore, 17);
    EXPECT_EQ(bestKillCount, 40) << "the player's own best is untouched";
}

// "Play from here" starts a game of the player's own from the moment shown:
// a loaded game holding that world, whose recording replays to the end; the
// generator stands where the watched game had it.
TEST_F(Watching, PlayFromHereStartsAGameWhoseRecordingReplays)
{
    copyRecording("death.rec", "death.rec");
    bestKillCount = 5;
    ASSERT_TRUE(watchRecording("death.rec", kStateTitleMenu));
    ASSERT_TRUE(seekWatching(watchSteps / 2));
    int32_t kills = killCount;
    float x = actors[0].x, y = actors[0].y;
    uint64_t draws = randomDraws;
    ASSERT_EQ(chooseWatchAction(pass(clickOn(kWatchPlayHereButton))), kWatchPlayHere);
    EXPECT_EQ(gameState, kStateWatching) << "the flow leaves watching and begins the game";
    actOnWatching(kWatchPlayHere);
    EXPECT_EQ(gameState, kStatePlaying);
    EXPECT_TRUE(recordingActive);
    EXPECT_EQ(killCount, kills);
    EXPECT_EQ(actors[0].x, x);
    EXPECT_EQ(actors[0].y, y);
    EXPECT_EQ(randomDraws, draws);
    playRecordedSteps(200, [](uint32_t s) {
        StepInput in = stillInput();
        in.gun = s % 20 < 5;
        in.moveAcross = s < 100 ? kAxisFull : 0;
        return in;
    });
    finishGame();
    std::string text;
    EXPECT_EQ(checkFile("lastgame.rec", text), kReplayMatched) << text;
    EXPECT_EQ(recordingHeader.start, kStartLoadedGame);
    EXPECT_EQ(recordingHeader.bestScore, 5);
    EXPECT_EQ(replayedSteps, 200u);
}

// A game in progress is kept aside while watching and comes back exactly,
// its recording whole, also when the game is quit while watching; dropping
// it for "Play from here" ends its recording with its own world, so it
// replays too.
TEST_F(Watching, AGameInProgressIsKeptAsideAndItsRecordingStaysWhole)
{
    copyRecording("fight.rec", "fight.rec");
    recordStill(0, 0);
    seedRandom(4);
    beginGame(kStartNewCity, 0, 0, 800, 600, kTestAspect);
    playRecordedSteps(90, [](uint32_t s) {
        StepInput in = stillInput();
        in.gun = s % 10 < 3;
        return in;
    });
    uint32_t before = checkpointSum(takeCheckpoint(90));
    uint64_t draws = randomDraws;
    gameState = kStateGameMenu;
    ASSERT_TRUE(watchRecording("fight.rec", kStateGameMenu));
    EXPECT_TRUE(watchGameKept);
    watchFrame(1000.0f);
    actOnWatching(chooseWatchAction(WatchChoice{kWatchBack, 0}));
    EXPECT_EQ(gameState, kStateGameMenu);
    EXPECT_EQ(checkpointSum(takeCheckpoint(90)), before) << "the game comes back as it stood";
    EXPECT_EQ(randomDraws, draws);
    playRecordedSteps(30, [](uint32_t) { return stillInput(); });
    ASSERT_TRUE(watchRecording("fight.rec", kStateGameMenu));
    watchFrame(500.0f);
    finishGame();
    EXPECT_EQ(gameState, kStateGameMenu) << "quitting while watching leaves watching first";
    std::string text;
    EXPECT_EQ(checkFile("lastgame.rec", text), kReplayMatched) << "the game quit while watching: " << text;
    EXPECT_EQ(replayedSteps, 120u);
    seedRandom(4);
    beginGame(kStartNewCity, 0, 0, 800, 600, kTestAspect);
    playRecordedSteps(120, [](uint32_t) { return stillInput(); });
    ASSERT_TRUE(watchRecording("fight.rec", kStateGameMenu));
    watchFrame(500.0f);
    chooseWatchAction(WatchChoice{kWatchPlayHere, 0});
    ASSERT_TRUE(watchAsking);
    ASSERT_EQ(chooseWatchAction(WatchChoice{kWatchDropGame, 0}), kWatchPlayHere);
    playFromHere();
    EXPECT_EQ(gameState, kStatePlaying);
    Bytes dropped = readFile("lastgame.rec");
    playRecordedSteps(10, [](uint32_t) { return stillInput(); });
    finishGame();
    EXPECT_EQ(reportOn(dropped, true, text), kReplayMatched) << "the dropped game: " << text;
    EXPECT_EQ(replayedSteps, 120u);
    EXPECT_EQ(checkFile("lastgame.rec", text), kReplayMatched) << "the game played from here: " << text;
    EXPECT_EQ(replayedSteps, 10u);
}
