// The game flow driven the way the main loop drives it, without a window:
// menu choices, steps from the live keys, deaths and best scores, the pause
// overlay's state and buttons. Each test works in a scratch directory, where
// the saves, best scores and recordings land.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "app/sound.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "sim/bestruns.h"
#include "sim/recordingfile.h"
#include "sim/runstats.h"
#include "tests/scratchdir.h"
#include "world/savefile.h"
#include "world/world.h"

namespace {

// The title menu, no game, nothing held, a closed overlay, an 800 x 600 window.
struct Flow : ::testing::Test {
    void SetUp() override
    {
        enterScratchDir(scratch, "flow");
        memset(keyState, 0, sizeof keyState);
        memset(mouseButtonState, 0, sizeof mouseButtonState);
        memset(padActionState, 0, sizeof padActionState);
        screenWidth = 800, screenHeight = 600, aspectRatio = 800.0f / 600.0f;
        mouseX = 400, mouseY = 300;
        gameState = kStateTitleMenu;
        quitRequested = pauseMenuOpen = showFrameRate = screenshotWanted = false;
        pauseFade = 0;
        resetWorld();
        killCount = bestKillCount = 0;
        srand(3);
    }
    void TearDown() override
    {
        finishGame();
        leaveScratchDir(scratch);
    }
    ScratchDir scratch;
};

// A menu pass that chose this action.
void choose(int32_t action)
{
    chooseMenuEntry(MenuChoice{action, 0});
}

// One step of play with the menu key going down in it.
void playWithMenuKey()
{
    keyState[keyBindings[kKeyMenu]] = kInputPressed;
    playStep(1);
    keyState[keyBindings[kKeyMenu]] = kInputUp;
}

// The steps and score that "lastgame.rec" holds; false when there is no whole one.
bool lastGame(uint32_t& steps, int32_t& score)
{
    FILE* f = fopen("lastgame.rec", "rb");
    if (!f)
        return false;
    bool whole = openRecording(f, "lastgame.rec") && scanRecording(steps, score);
    fclose(f);
    return whole;
}

bool exists(const char* path)
{
    return access(path, F_OK) == 0;
}

// A new game from the title, played; the menu key opens the menu over it,
// "Save game" saves and plays on, and a new game from the menu ends the
// recording of the first with its steps and score before it starts afresh.
TEST_F(Flow, TheMenuKeyOpensTheMenuSavingPlaysOnAndANewGameEndsTheRecordingInProgress)
{
    choose(kMenuNewGame);
    EXPECT_EQ(gameState, kStatePlaying);
    EXPECT_EQ(playerCount, 1);
    EXPECT_EQ(actors[0].type, kActorPlayer);
    EXPECT_TRUE(recordingActive);
    for (int s = 0; s < 5; s++)
        playStep(1);
    killCount = 4;
    playWithMenuKey();
    EXPECT_EQ(gameState, kStateGameMenu) << "the menu opens over the game";
    EXPECT_TRUE(recordingActive) << "the game goes on under the menu";
    EXPECT_FALSE(exists("lastgame.rec"));
    choose(kMenuSaveGame);
    EXPECT_EQ(gameState, kStatePlaying) << "saving closes the menu";
    EXPECT_TRUE(exists("save.dat"));
    EXPECT_TRUE(recordingActive);
    playStep(1);
    playWithMenuKey();
    choose(kMenuNewGame);
    uint32_t steps = 0;
    int32_t score = 0;
    ASSERT_TRUE(lastGame(steps, score)) << "the new game ended the last one's recording";
    EXPECT_EQ(steps, 8u);
    EXPECT_EQ(score, 4);
    EXPECT_TRUE(recordingActive) << "and the new game is recorded";
    EXPECT_EQ(gameState, kStatePlaying);
}

// "Load game" without a save keeps the menu and the game (still recorded);
// with one it ends the recording in progress and plays the loaded game.
TEST_F(Flow, LoadingEndsTheRecordingInProgressOnlyWhenThereIsASaveToLoad)
{
    choose(kMenuNewGame);
    for (int s = 0; s < 3; s++)
        playStep(1);
    playWithMenuKey();
    choose(kMenuLoadGame);
    EXPECT_EQ(gameState, kStateGameMenu);
    EXPECT_TRUE(recordingActive);
    EXPECT_FALSE(exists("lastgame.rec"));
    ASSERT_TRUE(saveGame());
    choose(kMenuLoadGame);
    EXPECT_EQ(gameState, kStatePlaying);
    EXPECT_TRUE(recordingActive);
    uint32_t steps = 0;
    int32_t score = -1;
    ASSERT_TRUE(lastGame(steps, score));
    EXPECT_EQ(steps, 4u);
    finishGame();
    ASSERT_TRUE(lastGame(steps, score));
    EXPECT_EQ(recordingHeader.start, kStartLoadedGame);
}

// A death outranks the menu key: back to the title, the recording written
// with the game's score, and stats.dat written only for a beaten best.
TEST_F(Flow, ADeathEndsTheGameWithItsScoreAndKeepsOnlyABeatenBest)
{
    bestKillCount = 7;
    choose(kMenuNewGame);
    playStep(1);
    killCount = 5;
    actors[0].health = 0;
    playWithMenuKey();
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_FALSE(recordingActive);
    uint32_t steps = 0;
    int32_t score = 0;
    ASSERT_TRUE(lastGame(steps, score));
    EXPECT_EQ(steps, 2u);
    EXPECT_EQ(score, 5) << "the game's own score, not the best";
    EXPECT_EQ(bestKillCount, 7);
    choose(kMenuNewGame);
    killCount = 7;
    actors[0].health = 0;
    playStep(1);
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_FALSE(exists("stats.dat")) << "an equal score is not a new best";
    choose(kMenuNewGame);
    killCount = 9;
    actors[0].health = -1;
    playStep(1);
    EXPECT_EQ(bestKillCount, 9);
    bestKillCount = 0;
    readBestScore();
    EXPECT_EQ(bestKillCount, 9) << "kept in stats.dat";
    ASSERT_TRUE(lastGame(steps, score));
    EXPECT_EQ(score, 9);
    EXPECT_EQ(steps, 1u);
}

// Each run counts its figures from its own start or load, and a death offers
// it to the best runs with its recording: two deaths keep two runs, best
// first. A game given up for a new one is no run.
TEST_F(Flow, EveryDeathEndsARunThatIsCountedFromItsStartAndOfferedToTheBestRuns)
{
    bestKillCount = 2;
    choose(kMenuNewGame);
    EXPECT_TRUE(runCounting);
    for (int s = 0; s < 3; s++)
        playStep(1);
    killCount = 3;
    actors[0].health = 0;
    playStep(0.5f);
    EXPECT_FALSE(runCounting);
    EXPECT_EQ(runStats.score, 3);
    EXPECT_TRUE(isNewBest(runStats));
    EXPECT_NEAR(runStats.timeSurvived, 3.5f / 60, 1e-6f);
    ASSERT_EQ(bestRunCount, 1);
    EXPECT_EQ(bestRuns[0].steps, 4u);
    choose(kMenuNewGame);
    playStep(1);
    ASSERT_TRUE(saveGame());
    playWithMenuKey();
    choose(kMenuNewGame);
    choose(kMenuLoadGame);
    EXPECT_EQ(runStats.timeSurvived, 0.0f) << "a loaded game counts from the load";
    killCount = 8;
    actors[0].health = 0;
    playStep(1);
    EXPECT_EQ(runStats.score, 8);
    EXPECT_EQ(runStats.bestAtStart, 3);
    loadBestRuns();
    ASSERT_EQ(bestRunCount, 2) << "the games given up are no runs";
    EXPECT_EQ(bestRuns[0].score, 8);
    EXPECT_EQ(bestRuns[0].steps, 1u);
    EXPECT_EQ(bestRuns[1].score, 3);
}

// The title menu starts or loads a game and B does nothing there; over a
// game B resumes it as it was. Every pass is heard: the hot entry is noted.
TEST_F(Flow, TheTitleMenuHasNoGameToGoBackToAndOverAGameBResumesIt)
{
    const MenuList& title = mainMenu();
    ASSERT_EQ(title.count, 2);
    EXPECT_EQ(std::string(title.entries[0].label), "Start a new game");
    EXPECT_EQ(title.entries[1].action, kMenuLoadGame);
    chooseMenuEntry(MenuChoice{title.backAction, 1});
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_EQ(menuHotSeen, 1);
    EXPECT_FALSE(recordingActive);
    gameState = kStateGameMenu;
    const MenuList& game = mainMenu();
    ASSERT_EQ(game.count, 4);
    EXPECT_EQ(game.entries[0].action, kMenuResume);
    EXPECT_EQ(std::string(game.entries[2].label), "Save game");
    addActor(kActorPlayer, 10, 10, 0, 0, 0);
    chooseMenuEntry(MenuChoice{game.backAction, 3});
    EXPECT_EQ(gameState, kStatePlaying);
    EXPECT_EQ(actorCount, 1) << "the game as it was";
    EXPECT_EQ(menuHotSeen, 3);
}

// The pause key opens the overlay, capturing the frame once from closed; it
// slides in 5 a pass to 100 with the world's sounds paused. Its buttons: the
// frame-rate line on and off (the label says what it would do), a screenshot
// asked of the main loop, resume sliding it out, and exit.
TEST_F(Flow, ThePauseKeyOpensTheOverlayAndItsButtonsAct)
{
    keyState[keyBindings[kKeyPause]] = kInputPressed;
    PausePass p = updatePause(pauseKeyPressed(), false);
    EXPECT_TRUE(p.capture);
    EXPECT_TRUE(p.opened);
    EXPECT_FALSE(p.frozenShown) << "this pass's own picture is still there";
    EXPECT_EQ(pauseFade, 5.0f);
    EXPECT_TRUE(gameSoundsPaused);
    keyState[keyBindings[kKeyPause]] = kInputHeld;
    for (int i = 0; i < 20; i++)
        p = updatePause(pauseKeyPressed(), false);
    EXPECT_FALSE(p.capture);
    EXPECT_TRUE(p.frozenShown);
    EXPECT_EQ(pauseFade, 100.0f);
    EXPECT_EQ(std::string(pauseButtons().entries[3].label), "Display frame rate");
    choosePauseEntry(pauseButtons().entries[3].action);
    EXPECT_TRUE(showFrameRate);
    EXPECT_EQ(std::string(pauseButtons().entries[3].label), "Don't display frame rate");
    choosePauseEntry(kPauseFrameRate);
    EXPECT_FALSE(showFrameRate);
    choosePauseEntry(kMenuNothing);
    EXPECT_FALSE(screenshotWanted);
    choosePauseEntry(pauseButtons().entries[2].action);
    EXPECT_TRUE(screenshotWanted);
    finishScreenshot(false);
    EXPECT_FALSE(screenshotWanted);
    choosePauseEntry(pauseButtons().entries[0].action);
    EXPECT_FALSE(pauseMenuOpen);
    for (int i = 0; i < 19; i++)
        updatePause(false, false);
    EXPECT_EQ(pauseFade, 5.0f);
    EXPECT_TRUE(gameSoundsPaused) << "frozen until fully closed";
    updatePause(false, false);
    EXPECT_EQ(pauseFade, 0.0f);
    EXPECT_FALSE(gameSoundsPaused);
    EXPECT_FALSE(quitRequested);
    choosePauseEntry(pauseButtons().entries[1].action);
    EXPECT_TRUE(quitRequested);
}

// The pad's pause switch toggles too, and B closes an open overlay; a toggle
// while the overlay slides out reopens it without a new capture; two toggles
// in a row open to 5 and close again.
TEST_F(Flow, BClosesTheOverlayAndReopeningWhileItSlidesOutCapturesNothing)
{
    padActionState[kPadPause] = kInputPressed;
    EXPECT_TRUE(updatePause(pauseKeyPressed(), false).capture);
    padActionState[kPadPause] = kInputHeld;
    EXPECT_FALSE(pauseKeyPressed());
    for (int i = 0; i < 8; i++)
        updatePause(false, false);
    padActionState[kPadBack] = kInputPressed;
    updatePause(false, liveMenuInput().back);
    EXPECT_FALSE(pauseMenuOpen) << "B closes it";
    EXPECT_EQ(pauseFade, 40.0f);
    choosePauseEntry(kPauseResume);
    updatePause(false, false);
    EXPECT_EQ(pauseFade, 35.0f) << "resume while closing changes nothing";
    PausePass p = updatePause(true, true);
    EXPECT_TRUE(pauseMenuOpen) << "a toggle with B in one pass is a toggle";
    EXPECT_FALSE(p.capture) << "the picture stays the first opening's";
    EXPECT_TRUE(p.opened);
    EXPECT_EQ(pauseFade, 40.0f);
    updatePause(false, true);
    pauseFade = 0;
    updatePause(false, true);
    EXPECT_FALSE(pauseMenuOpen) << "B does not open a closed overlay";
    EXPECT_TRUE(updatePause(true, false).capture);
    EXPECT_FALSE(updatePause(true, false).capture);
    EXPECT_EQ(pauseFade, 0.0f);
    EXPECT_FALSE(pauseMenuOpen);
}

}  // namespace
