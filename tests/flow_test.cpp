// The game flow driven the way the main loop drives it, without a window:
// menu choices, steps from the live keys, deaths and best scores, the pause
// overlay's state and buttons. Each test works in a scratch directory, where
// the saves, best scores and recordings land.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <zlib.h>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "app/runslist.h"
#include "app/watching.h"
#include "app/sound.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "sim/bestruns.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "sim/runstats.h"
#include "sim/seeking.h"
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
        quitRequested = pauseMenuOpen = showFrameRate = screenshotWanted = runPanelShown = pauseKeyTaken = false;
        optionsJustClosed = false;
        pauseFade = 0;
        resetWorld();
        killCount = bestKillCount = 0;
        startOptionsFromSettings();
        seedRandom(3);
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

// settings.ini holding `text`, read as the game starts it, and the options
// opened from the title on the given page.
void openOptionsOn(const std::string& text, int32_t page)
{
    std::ofstream("settings.ini") << text;
    readSettings();
    readKeyBindings();
    readPadBindings();
    startOptionsFromSettings();
    enterOptions(kStateTitleMenu, false);
    chooseRow(kRowOpenPage, page);
}

// On the keys' page: the key action's row chosen, then the key pressed for it.
void bindKey(int32_t action, int32_t key)
{
    chooseRow(kRowKey, action);
    OptionsInput in = idle();
    in.keyPressed = key;
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

// The replay program's check of a recording: its exit status, its line in
// `text`. The replay plays in the world, so the game in progress is lost.
int checkRecordingAt(const char* path, std::string& text)
{
    char out[kReplayTextLength] = {};
    FILE* f = fopen(path, "rb");
    int status = f ? checkRecording(f, path, out, (int)sizeof out) : kReplayUnreadable;
    if (f)
        fclose(f);
    text = out;
    return status;
}

bool exists(const char* path)
{
    return access(path, F_OK) == 0;
}

// Ends the game in progress by a death with this score.
void dieWith(int32_t score)
{
    killCount = score;
    actors[0].health = 0;
    playStep(1);
}

// Steps of play with the gun held or not.
void playSteps(int steps, bool firing)
{
    mouseButtonState[kGunButton] = firing ? kInputHeld : kInputUp;
    for (int s = 0; s < steps; s++)
        playStep(1);
    mouseButtonState[kGunButton] = kInputUp;
}

// The map's pieces, summed up: equal for the same city.
uLong cityChecksum()
{
    return crc32(0, (const Bytef*)tileKind, sizeof tileKind);
}

// A pass of the "Best runs" screen with nothing done in it.
RunsListInput idleList()
{
    return RunsListInput{0, 600, false, false, 0, false, false};
}

// One pass of watching's input from the live keys, acted on as the game does.
void watchPass()
{
    beginGameFrame();
    actOnWatching(chooseWatchAction(readWatchInput(liveWatchInput(), watchSeconds, watchTotalSeconds)));
}

// One pass of the "Best runs" screen, acted on as the game does.
int32_t listPass(const RunsListInput& in)
{
    beginGameFrame();
    int32_t action = runsListPass(in);
    chooseRunsAction(action);
    return action;
}

// The date of a kept run as its row shows it.
std::string dayOf(int64_t date)
{
    time_t t = (time_t)date;
    struct tm parts = {};
    char text[16] = "";
    gmtime_r(&t, &parts);
    strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
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
// Both games' recordings replay as they were played.
TEST_F(Flow, LoadingEndsTheRecordingInProgressOnlyWhenThereIsASaveToLoad)
{
    choose(kMenuNewGame);
    playSteps(30, true);
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
    EXPECT_EQ(steps, 31u);
    ASSERT_EQ(rename("lastgame.rec", "newcity.rec"), 0);
    playSteps(20, true);
    finishGame();
    ASSERT_TRUE(lastGame(steps, score));
    EXPECT_EQ(recordingHeader.start, kStartLoadedGame);
    std::string text;
    EXPECT_EQ(checkRecordingAt("lastgame.rec", text), kReplayMatched) << "the loaded game: " << text;
    EXPECT_EQ(checkRecordingAt("newcity.rec", text), kReplayMatched) << "the new city: " << text;
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

// The title menu starts or loads a game, starts today's city or opens the
// best runs or the options, in that order, and B does nothing there; over a game B resumes
// it as it was. Every pass is heard: the hot entry is noted.
TEST_F(Flow, TheTitleMenuHasNoGameToGoBackToAndOverAGameBResumesIt)
{
    const MenuList& title = mainMenu();
    ASSERT_EQ(title.count, 5);
    EXPECT_EQ(std::string(title.entries[0].label), "Start a new game");
    EXPECT_EQ(title.entries[1].action, kMenuLoadGame);
    EXPECT_EQ(std::string(title.entries[2].label), "Today's city");
    EXPECT_EQ(title.entries[2].action, kMenuCityOfTheDay);
    EXPECT_EQ(std::string(title.entries[3].label), "Best runs");
    EXPECT_EQ(title.entries[3].action, kMenuBestRuns);
    EXPECT_EQ(std::string(title.entries[4].label), "Options");
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


// The title shows how a run went once it ended in a death, counted from its
// own start: a new game hides the panel, and a game continued from a save
// counts from the load, not from the game that was saved.
TEST_F(Flow, ThePanelShowsTheRunThatEndedCountedFromItsStartOrItsLoad)
{
    EXPECT_FALSE(runPanelShown) << "no run has ended yet";
    bestKillCount = 4;
    choose(kMenuNewGame);
    playSteps(90, true);
    ASSERT_GT(runStats.shotsFired, 0);
    playSteps(30, false);
    dieWith(6);
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_TRUE(runPanelShown);
    char lines[kRunPanelLines][kRunPanelLineLength];
    runPanelLines(runStats, bestKillCount, lines);
    EXPECT_STREQ(lines[0], "Score 6  - a new best!");
    EXPECT_STREQ(lines[1], "Best score 6");
    EXPECT_STREQ(lines[2], "Time survived 0:02") << "121 steps of a sixtieth";
    int32_t shots = runStats.shotsFired;
    choose(kMenuNewGame);
    EXPECT_FALSE(runPanelShown) << "play hides it";
    playSteps(40, true);
    ASSERT_TRUE(saveGame());
    playSteps(40, true);
    playWithMenuKey();
    EXPECT_FALSE(runPanelShown) << "the game menu over a game has no panel";
    choose(kMenuLoadGame);
    playSteps(70, false);
    dieWith(2);
    EXPECT_TRUE(runPanelShown);
    runPanelLines(runStats, bestKillCount, lines);
    EXPECT_STREQ(lines[0], "Score 2");
    EXPECT_STREQ(lines[1], "Best score 6");
    EXPECT_STREQ(lines[2], "Time survived 0:01") << "71 steps since the load";
    EXPECT_STREQ(lines[3], "Shots fired 0, 0% hit") << "the shots before the load were another run's";
    EXPECT_GT(shots, 0);
}

// Today's city grows from the seed of the day the game begins on, in UTC
// whatever the local zone: the same city all day, another the next, and the
// recording names the day. A run in it is kept as the run of the day,
// beside the ten best.
TEST_F(Flow, TodaysCityIsTheCityOfTheUtcDayAndItsRunIsKeptBesideTheTen)
{
    const char* zone = getenv("TZ");
    std::string oldZone = zone ? zone : "";
    setenv("TZ", "Pacific/Kiritimati", 1);   // fourteen hours ahead: the 15th already at 23:30 UTC
    tzset();
    const int64_t morning = 1773468000;      // 2026-03-14 06:00 UTC
    const int64_t lateEvening = 1773531000;  // 2026-03-14 23:30 UTC
    const int64_t nextDay = 1773534600;      // 2026-03-15 00:30 UTC
    choose(kMenuCityOfTheDay);
    EXPECT_EQ(gameState, kStatePlaying);
    beginCityOfTheDay(morning);
    uLong city = cityChecksum();
    beginCityOfTheDay(lateEvening);
    EXPECT_EQ(cityChecksum(), city) << "the same city all day";
    beginCityOfTheDay(nextDay);
    EXPECT_NE(cityChecksum(), city) << "another the next day";
    beginCityOfTheDay(lateEvening);
    EXPECT_EQ(gameState, kStatePlaying);
    EXPECT_TRUE(runCounting);
    playSteps(3, false);
    dieWith(1);
    uint32_t steps = 0;
    int32_t score = 0;
    ASSERT_TRUE(lastGame(steps, score));
    EXPECT_EQ(recordingHeader.seed, 20260314u);
    EXPECT_EQ(recordingHeader.draws, 0u);
    EXPECT_EQ(recordingHeader.date, lateEvening);
    ASSERT_TRUE(hasDayRun);
    EXPECT_EQ(dayRun.day, 20260314);
    EXPECT_EQ(dayRun.score, 1);
    EXPECT_EQ(bestRunCount, 1) << "and among the ten";
    choose(kMenuBestRuns);
    RunsListView view;
    runsListView(view);
    ASSERT_EQ(view.runCount, 2);
    EXPECT_STREQ(view.runText[1], " Day      1      0:00  2026-03-14") << "listed after the ten";
    if (zone)
        setenv("TZ", oldZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// "Best runs" lists the runs two deaths kept, best first, with rank, score,
// time and date; a recording damaged since is listed as damaged, and choosing
// it (by the keys) offers only "Remove", which takes it from the list and the
// disk. Choosing a good run by the mouse offers "Watch", which watches it;
// Escape goes back from watching to the list and from the list to the title,
// and never opens the pause overlay as well.
TEST_F(Flow, BestRunsListsTheRunsRemovesADamagedOneAndEscapeGoesBack)
{
    choose(kMenuNewGame);
    playSteps(2, false);
    dieWith(3);
    choose(kMenuNewGame);
    playSteps(1, false);
    dieWith(5);
    ASSERT_EQ(bestRunCount, 2);
    char damaged[kRunPathLength];
    runRecordingPath(bestRuns[1], damaged, sizeof damaged);
    ASSERT_EQ(truncate(damaged, 40), 0);
    choose(kMenuBestRuns);
    EXPECT_EQ(gameState, kStateBestRuns);
    RunsListView view;
    runsListView(view);
    ASSERT_EQ(view.runCount, 2);
    EXPECT_EQ(std::string(view.runText[0]), "   1      5      0:00  " + dayOf(bestRuns[0].date));
    EXPECT_FALSE(view.runFlagged[0]);
    EXPECT_STREQ(view.runText[1], "   2  damaged recording");
    EXPECT_TRUE(view.runFlagged[1]);
    EXPECT_EQ(view.buttonLabel, nullptr) << "nothing chosen yet";
    RunsListInput down = idleList();
    down.step = 1;
    listPass(down);
    listPass(down);
    EXPECT_EQ(runsListHot, 1);
    RunsListInput enter = idleList();
    enter.choose = true;
    EXPECT_EQ(listPass(enter), kRunsOffer);
    runsListView(view);
    EXPECT_STREQ(view.buttonLabel, "Remove");
    EXPECT_EQ(runsListHot, 2) << "the offer is lit";
    EXPECT_EQ(listPass(enter), kRunsRemove);
    EXPECT_EQ(runsListRows(), 1);
    EXPECT_EQ(runsListChosen, -1) << "the button goes with the run";
    EXPECT_FALSE(exists(damaged));
    EXPECT_EQ(gameState, kStateBestRuns);
    loadBestRuns();
    ASSERT_EQ(bestRunCount, 1) << "the index no longer names it";
    EXPECT_EQ(bestRuns[0].score, 5);
    RunsListInput click = idleList();
    click.pointerY = 120;   // menu y -240: the first run's band
    click.pointerMoved = click.click = true;
    EXPECT_EQ(listPass(click), kRunsOffer);
    runsListView(view);
    EXPECT_STREQ(view.buttonLabel, "Watch");
    EXPECT_EQ(runsListHot, 0) << "a click leaves the light under the pointer";
    click.pointerY = 143;   // the button's band, under the run
    EXPECT_EQ(listPass(click), kRunsWatch);
    EXPECT_EQ(gameState, kStateWatching);
    EXPECT_EQ(watchBackState, kStateBestRuns);
    keyState[kEscapeKey] = kInputPressed;
    watchPass();
    EXPECT_EQ(gameState, kStateBestRuns);
    updatePause(pauseKeyPressed(), false);
    EXPECT_FALSE(pauseMenuOpen) << "Escape left watching; it does not pause as well";
    EXPECT_EQ(listPass(liveRunsListInput()), kRunsBack);
    EXPECT_EQ(gameState, kStateTitleMenu);
    updatePause(pauseKeyPressed(), liveMenuInput().back);
    EXPECT_FALSE(pauseMenuOpen) << "the key went back; it does not pause as well";
    EXPECT_EQ(pauseFade, 0.0f);
    updatePause(pauseKeyPressed(), false);
    EXPECT_TRUE(pauseMenuOpen) << "on the title the key pauses again";
}

// A kept run whose recording went missing after the list was read does not
// play: its row turns damaged and offers "Remove" instead of "Watch".
TEST_F(Flow, ARunThatWillNotPlayTurnsDamagedInTheList)
{
    choose(kMenuNewGame);
    playSteps(2, false);
    dieWith(1);
    choose(kMenuBestRuns);
    char path[kRunPathLength];
    runRecordingPath(bestRuns[0], path, sizeof path);
    ASSERT_EQ(unlink(path), 0);
    RunsListInput enter = idleList();
    enter.step = 1;
    enter.choose = true;
    EXPECT_EQ(listPass(enter), kRunsOffer);
    enter.step = 0;
    EXPECT_EQ(listPass(enter), kRunsWatch);
    EXPECT_EQ(gameState, kStateBestRuns) << "nothing to watch";
    RunsListView view;
    runsListView(view);
    EXPECT_STREQ(view.runText[0], "   1  damaged recording");
    EXPECT_STREQ(view.buttonLabel, "Remove");
}

// "Watch last game" is offered last on the title once a game ended and its
// recording is there, and watches it; B goes back to the title.
TEST_F(Flow, WatchLastGameIsOfferedOnceAGameEndedAndWatchesIt)
{
    EXPECT_EQ(mainMenu().count, 5) << "no last game yet";
    choose(kMenuNewGame);
    playSteps(3, false);
    gameState = kStateGameMenu;
    EXPECT_EQ(mainMenu().count, 5) << "the game menu keeps its five";
    gameState = kStatePlaying;
    dieWith(0);
    const MenuList& title = mainMenu();
    ASSERT_EQ(title.count, 6);
    EXPECT_EQ(std::string(title.entries[5].label), "Watch last game");
    chooseMenuEntry(MenuChoice{title.entries[5].action, 5});
    EXPECT_EQ(gameState, kStateWatching);
    EXPECT_EQ(watchBackState, kStateTitleMenu);
    EXPECT_TRUE(exists("lastgame.rec")) << "watching never writes a player's file";
    padActionState[kPadBack] = kInputPressed;
    watchPass();
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_TRUE(runPanelShown) << "the run's panel is still there";
}

// Whatever lies in runs/ (a damaged index, a pipe, a folder or a stranger's
// file under a run's name), "Best runs" opens and lists what is there; every
// such row can be chosen and offers only "Remove", and "Back" is the last item.
TEST_F(Flow, BestRunsOpensOverAnythingFoundInRuns)
{
    ASSERT_EQ(mkdir("runs", 0755), 0);
    FILE* index = fopen("runs/index.dat", "wb");
    fputs("VG2RUNS garbage", index);
    fclose(index);
    ASSERT_EQ(mkfifo("runs/run-000001.rec", 0644), 0);
    ASSERT_EQ(mkdir("runs/run-000002.rec", 0755), 0);
    FILE* stranger = fopen("runs/run-000003.rec", "wb");
    fputs("a letter, not a recording", stranger);
    fclose(stranger);
    choose(kMenuBestRuns);
    EXPECT_EQ(gameState, kStateBestRuns);
    ASSERT_EQ(runsListRows(), 3);
    RunsListView view;
    runsListView(view);
    EXPECT_STREQ(view.runText[0], "   1  damaged recording");
    EXPECT_STREQ(view.runText[1], "   2  damaged recording");
    EXPECT_STREQ(view.runText[2], "   3  not a recording of this game");
    RunsListInput pick = idleList();
    pick.pointerY = 143;   // menu y about -209: the second run's band
    pick.pointerMoved = pick.click = true;
    EXPECT_EQ(listPass(pick), kRunsOffer);
    EXPECT_EQ(runsListChosen, 1);
    runsListView(view);
    EXPECT_STREQ(view.buttonLabel, "Remove");
    RunsListInput last = idleList();
    last.step = 1;
    for (int i = 0; i < 8; i++)
        listPass(last);
    EXPECT_EQ(runsListHot, 4) << "three runs, the offer, then Back";
    last.step = 0;
    last.choose = true;
    EXPECT_EQ(listPass(last), kRunsBack);
    EXPECT_EQ(gameState, kStateTitleMenu);
}

// "Options" follows the title's and the game menu's entries, which keep
// their places; the screen goes back to the menu it was opened from.
TEST_F(Flow, OptionsFollowTheMenusEntriesAndGoBackToTheMenuTheyCameFrom)
{
    choose(mainMenu().entries[4].action);
    EXPECT_EQ(gameState, kStateOptions);
    EXPECT_EQ(optionsPage, kPageList);
    pressEscape();
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_FALSE(updatePause(true, false).opened) << "the Escape that closed the options does not pause";
    EXPECT_FALSE(pauseMenuOpen);

    choose(kMenuNewGame);
    playWithMenuKey();
    const MenuList& game = mainMenu();
    EXPECT_EQ(std::string(game.entries[3].label), "Load game");
    EXPECT_EQ(std::string(game.entries[4].label), "Options");
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
    openOptionsOn(old, kPageKeys);
    bindKey(kKeyLeft, 'j');
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
    displayModes[0] = WindowSize{1024, 768};
    displayModeCount = 1;
    desktopSize = WindowSize{1920, 1080};
    openOptionsOn(old, kPageDisplay);
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
    openOptionsOn(old, kPageKeys);
    bindKey(kKeyLeft, 'j');
    onAFullDisk(pressEscape);
    EXPECT_EQ(optionsNote, kNoteNotSaved);
    EXPECT_EQ(keyBindings[kKeyLeft], 'j');
    EXPECT_EQ(fileText("settings.ini"), old);
    EXPECT_EQ(filesHere().size(), 1u) << "no temporary file left";
    chooseRow(kRowOpenPage, kPageKeys);
    pressEscape();
    EXPECT_EQ(fileText("settings.ini"), old) << "the page was left without a change";
    chooseRow(kRowOpenPage, kPageKeys);
    bindKey(kKeyRight, 'l');
    pressEscape();
    readSettings();
    readKeyBindings();
    EXPECT_EQ(keyBindings[kKeyLeft], 'j') << "the change that was not saved is saved with the next";
    EXPECT_EQ(keyBindings[kKeyRight], 'l');
}

}  // namespace
