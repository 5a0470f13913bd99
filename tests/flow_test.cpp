// The game flow driven the way the main loop drives it, without a window:
// menu choices, steps from the live keys, deaths and best scores, the pause
// overlay's state and buttons. Each test works in a scratch directory, where
// the saves, best scores and recordings land.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "app/sound.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "sim/recordingfile.h"
#include "tests/scratchdir.h"
#include "world/savefile.h"
#include "world/world.h"

namespace {

// The title menu, no game, nothing held, a closed overlay, an 800 x 600 window.
struct Flow : ::testing::Test {
    // Key names come from SDL's video layer (the dummy driver here).
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        buildKeyNames();
    }
    static void TearDownTestSuite() { SDL_Quit(); }
    void SetUp() override
    {
        enterScratchDir(scratch, "flow");
        memset(keyState, 0, sizeof keyState);
        memset(mouseButtonState, 0, sizeof mouseButtonState);
        memset(padActionState, 0, sizeof padActionState);
        screenWidth = 800, screenHeight = 600, aspectRatio = 800.0f / 600.0f;
        mouseX = 400, mouseY = 300;
        gameState = kStateTitleMenu;
        quitRequested = pauseMenuOpen = showFrameRate = screenshotWanted = optionsJustClosed = false;
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

// The display as the options' tests see it: what it was asked, and whether it agrees.
WindowSize modeAsked = {-1, -1};
bool modeAgrees = true;

bool fakeVideoMode(int32_t width, int32_t height, bool)
{
    modeAsked = WindowSize{width, height};
    return modeAgrees;
}

// One pass of the options screen with nothing pressed in an 800 x 600 window.
OptionsInput idle()
{
    OptionsInput in = {};
    in.pointerX = in.pointerY = -1;
    in.windowWidth = 800, in.windowHeight = 600;
    return in;
}

// Runs one options pass as the main loop does; what it asked for.
int32_t optionsPass(const OptionsInput& in)
{
    int32_t effects = runOptions(in);
    applyOptions(effects, fakeVideoMode);
    return effects;
}

// Highlights the page's row of this kind and target, then uses it with Return.
void chooseRow(int32_t kind, int32_t target)
{
    for (int32_t r = 0; r < optionsRowCount; r++)
        if (optionsRows[r].kind == kind && optionsRows[r].target == target)
            optionsHighlight = r;
    OptionsInput in = idle();
    in.choose = true;
    optionsPass(in);
}

// Escape in one options pass.
void pressEscape()
{
    OptionsInput in = idle();
    in.back = true;
    optionsPass(in);
}

// Right (1) or left (-1) on the highlighted row.
void adjustRow(int32_t kind, int32_t direction)
{
    for (int32_t r = 0; r < optionsRowCount; r++)
        if (optionsRows[r].kind == kind)
            optionsHighlight = r;
    OptionsInput in = idle();
    in.adjust = direction;
    optionsPass(in);
}

std::string fileText(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

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

// The title menu starts or loads a game and B does nothing there; over a
// game B resumes it as it was. Every pass is heard: the hot entry is noted.
TEST_F(Flow, TheTitleMenuHasNoGameToGoBackToAndOverAGameBResumesIt)
{
    const MenuList& title = mainMenu();
    ASSERT_EQ(title.count, 3);
    EXPECT_EQ(std::string(title.entries[0].label), "Start a new game");
    EXPECT_EQ(title.entries[1].action, kMenuLoadGame);
    chooseMenuEntry(MenuChoice{title.backAction, 1});
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_EQ(menuHotSeen, 1);
    EXPECT_FALSE(recordingActive);
    gameState = kStateGameMenu;
    const MenuList& game = mainMenu();
    ASSERT_EQ(game.count, 5);
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

// "Options" follows the title's and the game menu's entries, which keep
// their places; the screen goes back to the menu it was opened from.
TEST_F(Flow, OptionsFollowTheMenusEntriesAndGoBackToTheMenuTheyCameFrom)
{
    const MenuList& title = mainMenu();
    ASSERT_EQ(title.count, 3);
    EXPECT_EQ(std::string(title.entries[0].label), "Start a new game");
    EXPECT_EQ(std::string(title.entries[1].label), "Load game");
    EXPECT_EQ(std::string(title.entries[2].label), "Options");
    choose(title.entries[2].action);
    EXPECT_EQ(gameState, kStateOptions);
    EXPECT_EQ(optionsPage, kPageList);
    pressEscape();
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_FALSE(updatePause(true, false).opened) << "the Escape that closed the options does not pause";
    EXPECT_FALSE(pauseMenuOpen);

    choose(kMenuNewGame);
    playWithMenuKey();
    const MenuList& game = mainMenu();
    ASSERT_EQ(game.count, 5);
    EXPECT_EQ(std::string(game.entries[3].label), "Load game");
    EXPECT_EQ(std::string(game.entries[4].label), "Options");
    EXPECT_EQ(game.backAction, kMenuResume);
    choose(game.entries[4].action);
    EXPECT_EQ(gameState, kStateOptions);
    chooseRow(kRowBack, 0);
    EXPECT_EQ(gameState, kStateGameMenu);
}

// From the pause overlay the options take its place over the frozen game:
// no step runs, the world's sounds stay paused, Escape means back and not
// pause, and leaving shows the overlay fully open over the same picture,
// with no new capture and no slide.
TEST_F(Flow, OptionsFromThePauseOverlayKeepTheGameFrozenAndComeBackToTheSamePicture)
{
    choose(kMenuNewGame);
    for (int i = 0; i < 30; i++)
        playStep(1);
    uint32_t tick = thinkTick;
    float x = actors[0].x;
    EXPECT_TRUE(updatePause(true, false).capture);
    for (int i = 0; i < 20; i++)
        updatePause(false, false);
    ASSERT_EQ(pauseButtons().count, 5);
    EXPECT_EQ(std::string(pauseButtons().entries[3].label), "Display frame rate");
    EXPECT_EQ(std::string(pauseButtons().entries[4].label), "Options");
    choosePauseEntry(pauseButtons().entries[4].action);
    EXPECT_EQ(gameState, kStateOptions);
    for (int i = 0; i < 5; i++) {
        PausePass p = updatePause(true, false);
        EXPECT_FALSE(p.opened) << "the pause key is the options' back key here";
        EXPECT_FALSE(p.frozenShown) << "the options screen is drawn instead";
        EXPECT_TRUE(gameSoundsPaused);
        optionsPass(idle());
    }
    EXPECT_EQ(thinkTick, tick);
    EXPECT_EQ(actors[0].x, x);
    pressEscape();
    EXPECT_EQ(gameState, kStatePlaying);
    PausePass back = updatePause(true, true);
    EXPECT_TRUE(pauseMenuOpen) << "the Escape and B that closed the options leave the overlay open";
    EXPECT_FALSE(back.capture) << "the picture is the one frozen before";
    EXPECT_TRUE(back.frozenShown);
    EXPECT_EQ(pauseFade, 100.0f);
    EXPECT_TRUE(gameSoundsPaused);
    choosePauseEntry(kPauseResume);
    for (int i = 0; i < 20; i++)
        updatePause(false, false);
    EXPECT_EQ(pauseFade, 0.0f);
    playStep(1);
    EXPECT_NE(thinkTick, tick) << "the game goes on from where it froze";
}

// A key rebound and a volume changed act at once; leaving the page writes
// them into settings.ini keeping the player's lines, and a volume of 0 is
// still silence when the file is read again.
TEST_F(Flow, OptionsApplyAtOnceAndLeavingAPageWritesThemKeepingEveryLine)
{
    const std::string old = "# my settings\nscreenw=800\nfoo=bar\n";
    std::ofstream("settings.ini") << old;
    readSettings();
    readKeyBindings();
    readPadBindings();
    startOptionsFromSettings();
    enterOptions(kStateTitleMenu, false);
    chooseRow(kRowOpenPage, kPageKeys);
    chooseRow(kRowKey, kKeyLeft);
    OptionsInput key = idle();
    key.keyPressed = 'j';
    optionsPass(key);
    EXPECT_EQ(keyBindings[kKeyLeft], 'j') << "in force before the page is left";
    EXPECT_EQ(fileText("settings.ini"), old) << "nothing written while on the page";
    pressEscape();
    EXPECT_EQ(fileText("settings.ini"), old + "keyleft=j\n");
    chooseRow(kRowOpenPage, kPageSound);
    for (int i = 0; i < 20; i++)
        adjustRow(kRowVolume, -1);
    EXPECT_EQ(optionsChosen.volume, 0);
    EXPECT_EQ(cueVolume(kInterfaceLevel, volumeShareFor(soundVolume)), 0) << "silent at once";
    pressEscape();
    pressEscape();
    EXPECT_EQ(gameState, kStateTitleMenu);
    readSettings();
    readKeyBindings();
    EXPECT_EQ(keyBindings[kKeyLeft], 'j');
    EXPECT_EQ(cueVolume(kInterfaceLevel, volumeShareFor(soundVolume)), 0) << "still silent after a restart";
    EXPECT_EQ(fileText("settings.ini").substr(0, old.size()), old);
}

// A mode the display refuses leaves the old one in force and on the page,
// which says so, and leaving writes nothing; one it takes is written.
TEST_F(Flow, ARefusedWindowSizeKeepsTheOldOneAndIsNotSaved)
{
    const std::string old = "screenw=800\nscreenh=600\n";
    std::ofstream("settings.ini") << old;
    readSettings();
    startOptionsFromSettings();
    displayModes[0] = WindowSize{1024, 768};
    displayModeCount = 1;
    desktopSize = WindowSize{1920, 1080};
    enterOptions(kStateTitleMenu, false);
    chooseRow(kRowOpenPage, kPageDisplay);
    modeAgrees = false;
    adjustRow(kRowWindowSize, 1);
    EXPECT_EQ(modeAsked.width, 1024);
    EXPECT_EQ(optionsChosen.window.width, 800);
    EXPECT_EQ(optionsChosen.window.height, 600);
    EXPECT_EQ(optionsNote, kNoteModeRefused);
    pressEscape();
    EXPECT_EQ(fileText("settings.ini"), old);
    chooseRow(kRowOpenPage, kPageDisplay);
    modeAgrees = true;
    adjustRow(kRowWindowSize, 1);
    EXPECT_EQ(windowInForce.width, 1024);
    pressEscape();
    EXPECT_EQ(fileText("settings.ini"), "screenw=1024\nscreenh=768\n");
}

// When settings.ini cannot be written (the disk is full) the options stay
// in force for this run, the page says they were not saved, the old file
// stays whole, and a later leave tries again.
TEST_F(Flow, AnUnwritableFileKeepsTheOptionsForThisRunAndTheOldFileWhole)
{
    const std::string old = "# keep me\nkeyleft=a\n" + std::string(200, '#') + "\n";
    std::ofstream("settings.ini") << old;
    readSettings();
    readKeyBindings();
    startOptionsFromSettings();
    enterOptions(kStateTitleMenu, false);
    chooseRow(kRowOpenPage, kPageKeys);
    chooseRow(kRowKey, kKeyLeft);
    OptionsInput key = idle();
    key.keyPressed = 'j';
    optionsPass(key);
    struct rlimit saved = {}, tiny = {};
    getrlimit(RLIMIT_FSIZE, &saved);
    tiny = saved;
    tiny.rlim_cur = 16;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    pressEscape();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(optionsNote, kNoteNotSaved);
    EXPECT_EQ(keyBindings[kKeyLeft], 'j');
    EXPECT_EQ(fileText("settings.ini"), old);
    EXPECT_EQ(filesHere().size(), 1u) << "no temporary file left";
    chooseRow(kRowOpenPage, kPageKeys);
    pressEscape();
    EXPECT_EQ(fileText("settings.ini"), old) << "the page was left without a change";
    chooseRow(kRowOpenPage, kPageKeys);
    chooseRow(kRowKey, kKeyRight);
    key.keyPressed = 'l';
    optionsPass(key);
    pressEscape();
    readSettings();
    readKeyBindings();
    EXPECT_EQ(keyBindings[kKeyLeft], 'j') << "the change that was not saved is saved with the next";
    EXPECT_EQ(keyBindings[kKeyRight], 'l');
}

}  // namespace
