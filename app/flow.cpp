// The game flow, kept apart from drawing and from the step: the menus'
// tables and what their entries do, new games, loads and saves, the
// recording of every game, the best score when a game ends, the pause
// overlay's state and its buttons, and quitting. A replay runs the same step
// without any of this.
#include "app/flow.h"

#include <unistd.h>

#include <ctime>

#include "app/app.h"
#include "app/input.h"
#include "app/runslist.h"
#include "app/watching.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "app/sound.h"
#include "options/settingswriter.h"
#include "sim/gamestart.h"
#include "sim/bestruns.h"
#include "sim/recordingfile.h"
#include "sim/runstats.h"
#include "sim/replay.h"
#include "sim/step.h"
#include "world/savefile.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

// "Watch last game" comes last, and only while there is a last game to watch.
static const MenuEntry kTitleMenuEntries[] = {{"Start a new game", kMenuNewGame}, {"Load game", kMenuLoadGame},
                                              {"Today's city", kMenuCityOfTheDay}, {"Best runs", kMenuBestRuns},
                                              {"Options", kMenuOptions}, {"Watch last game", kMenuWatchLastGame}};
static const int32_t kTitleEntries = 6;
static const MenuEntry kGameMenuEntries[] = {
    {"Resume", kMenuResume}, {"Start a new game", kMenuNewGame}, {"Save game", kMenuSaveGame},
    {"Load game", kMenuLoadGame}, {"Options", kMenuOptions}};
// The title menu has no game to go back to; B resumes the game in progress.
static const MenuList kGameMenu = {kGameMenuEntries, 5, kMenuResume};

static const int kFrameRateEntry = 3;     // the pause button whose label follows showFrameRate
static const char* const kShowFrameRateLabel = "Display frame rate";
static const char* const kHideFrameRateLabel = "Don't display frame rate";
static const float kFadeFull = 100.0f;
static const float kFadePerPass = 5.0f;

// ---- Globals ----------------------------------------------------------------

bool pauseMenuOpen = false;
float pauseFade = 0;
bool showFrameRate = false;
bool screenshotWanted = false;
bool runPanelShown = false;
bool pauseKeyTaken = false;

int32_t optionsReturnState = kStateTitleMenu;
bool optionsOverPause = false;
bool optionsJustClosed = false;
WindowSize displayModes[kMaxWindowSizes] = {};
int32_t displayModeCount = 0;
WindowSize desktopSize = {};
WindowSize windowInForce = {};
bool fullscreenInForce = false;
const char* settingsPath = "settings.ini";

static MenuEntry pauseEntries[] = {{"Resume game", kPauseResume}, {"Exit", kPauseExit},
                                   {"Save screenshot", kPauseScreenshot}, {kShowFrameRateLabel, kPauseFrameRate},
                                   {"Options", kPauseOptions}};
static const MenuList kPauseButtons = {pauseEntries, 5, kMenuNothing};
static MenuList titleMenu = {kTitleMenuEntries, kTitleEntries, kMenuNothing};  // its count follows the last game

// ---- Functions: the main menu and the game ----------------------------------

// The menu of this state: the title's with no game in progress (offering
// the last game to watch while its recording is there), else the game menu
// over it.
const MenuList& mainMenu()
{
    if (gameState == kStateGameMenu)
        return kGameMenu;
    titleMenu.count = access(kLastGamePath, F_OK) == 0 ? kTitleEntries : kTitleEntries - 1;
    return titleMenu;
}

// A game has begun: its run is counted from here, and the panel of the run
// before gives way to play.
static void beginRun()
{
    beginRunStats();
    runPanelShown = false;
    gameState = kStatePlaying;
}

// A fresh city for one player; the game that was recorded until now ends.
static void beginNewGame()
{
    beginGame(kStartNewCity, 0, (int64_t)time(nullptr), screenWidth, screenHeight, aspectRatio);
    beginRun();
}

// The city of the day `now` falls on (UTC), the same for every player that
// day: the generator starts from the day's seed, which the recording keeps,
// so a run in it can be told for the run of the day.
void beginCityOfTheDay(int64_t now)
{
    seedRandom(daySeed(utcDay(now)));
    beginGame(kStartNewCity, 0, now, screenWidth, screenHeight, aspectRatio);
    beginRun();
}

// Replaces the game by "save.dat" when it is one sound save; otherwise the
// menu stays open and the game in progress goes on as it was.
static void beginLoadedGame()
{
    int32_t size = readSave();
    if (size < 0 || !beginGame(kStartLoadedGame, size, (int64_t)time(nullptr), screenWidth, screenHeight, aspectRatio))
        return;
    beginRun();
}

// The replay program's game: the recording that is open, started as it was
// recorded and played; false, with nothing started, when it cannot be.
bool beginRecordedGame()
{
    if (!startRecordedGame())
        return false;
    gameState = kStatePlaying;
    return true;
}

// Acts on one pass of the main menu: its sounds (a tick as the highlight
// moves onto an entry, a click on a choice), then the choice itself: resume,
// a new game, a save (then play on) or a load.
void chooseMenuEntry(const MenuChoice& choice)
{
    playMenuSounds(choice.hot, mainMenu().count, choice.action != kMenuNothing);
    if (choice.action == kMenuResume)
        gameState = kStatePlaying;
    else if (choice.action == kMenuNewGame)
        beginNewGame();
    else if (choice.action == kMenuSaveGame) {
        saveGame();
        gameState = kStatePlaying;
    } else if (choice.action == kMenuLoadGame)
        beginLoadedGame();
    else if (choice.action == kMenuCityOfTheDay)
        beginCityOfTheDay((int64_t)time(nullptr));
    else if (choice.action == kMenuBestRuns)
        openBestRuns();
    else if (choice.action == kMenuWatchLastGame)
        watchRecording(kLastGamePath, kStateTitleMenu);
    else if (choice.action == kMenuOptions)
        enterOptions(gameState, false);
}

// Ends the recorded game, if one is being recorded, keeping its file; one
// kept aside while a recording is watched comes back first, so its
// recording ends with its own world.
void finishGame()
{
    if (gameState == kStateWatching)
        stopWatching(watchBackState);
    endRecording(killCount);
}

// Shows the recording at `path`, Escape and "Back" returning to backState;
// false, with the state unchanged, when it cannot be played.
bool watchRecording(const char* path, int32_t backState)
{
    if (!beginWatching(path, backState))
        return false;
    gameState = kStateWatching;
    return true;
}

// Leaves watching for `state`; a game kept aside comes back.
void stopWatching(int32_t state)
{
    leaveWatching();
    gameState = state;
}

// "Play from here", once watching has kept the moment shown: watching is
// left, the game kept aside (back since) ends with its recording kept, then
// the new game of the player's own begins from that moment; the title if it
// cannot.
void playFromHere()
{
    stopWatching(kStateTitleMenu);
    finishGame();
    if (beginGameFromMoment())
        gameState = kStatePlaying;
}

// Carries out what watching returned: "Play from here" or leaving.
void actOnWatching(int32_t action)
{
    if (action == kWatchPlayHere)
        playFromHere();
    else if (action == kWatchLeave)
        stopWatching(watchBackState);
}

// A death ends the game, back to the title: a beaten best score is kept on
// disk, the recording is written, and the run is offered to the best runs.
static void endGameByDeath()
{
    gameState = kStateTitleMenu;
    endRunStats();
    runPanelShown = true;
    if (killCount > bestKillCount) {
        bestKillCount = killCount;
        writeBestScore();
    }
    bool recorded = recordingActive;
    uint32_t steps = recordedSteps;
    finishGame();
    if (recorded)
        offerRun(kLastGamePath, steps, killCount);
}

// One step of play from this pass's input, recorded as it goes, and the sounds
// of what happened in it; then what the step reported: the menu key opens the
// main menu over the game, a death ends it.
void playStep(float speedFactor)
{
    readStepInput(speedFactor);
    recordStep(stepInput);
    int32_t outcome = stepGame(stepInput.speedFactor);
    countRunStep(stepInput.speedFactor);
    playStepSounds(stepInput.speedFactor);
    recordStepResult();
    if (outcome == kStepPlayerDied)
        endGameByDeath();
    else if (outcome == kStepMenuKey)
        gameState = kStateGameMenu;
}

// ---- Functions: the best runs -----------------------------------------------

// Opens "Best runs" from the title: the list as runs/ holds it, every
// recording read through so a damaged or foreign one shows as such.
void openBestRuns()
{
    loadBestRuns();
    checkBestRuns();
    openRunsList();
    gameState = kStateBestRuns;
}

// Acts on one pass of the "Best runs" screen: its sounds, then watching the
// chosen run (a recording that will not play is marked damaged, so it can be
// removed), removing it, or going back to the title.
void chooseRunsAction(int32_t action)
{
    playMenuSounds(runsListHot, runsListItems(), action != kRunsNothing);
    RunEntry* run = runsListRun(runsListChosen);
    if (action == kRunsBack) {
        gameState = kStateTitleMenu;
    } else if (action == kRunsRemove && run != nullptr) {
        removeRun(run->kind, runsListChosen);
        openRunsList();
    } else if (action == kRunsWatch && run != nullptr) {
        char path[kRunPathLength];
        runRecordingPath(*run, path, sizeof path);
        if (!watchRecording(path, kStateBestRuns))
            run->status = kRunDamaged;
    }
}

// ---- Functions: the pause overlay -------------------------------------------

// Before the game frame of a pass: on "Best runs" and while watching, the
// pause key means "Back", so the overlay leaves it alone in this pass,
// whichever state the frame ends in.
void beginGameFrame()
{
    pauseKeyTaken = gameState == kStateBestRuns || gameState == kStateWatching;
}

// The pause overlay's buttons; the frame-rate one offers what it would do.
const MenuList& pauseButtons()
{
    pauseEntries[kFrameRateEntry].label = showFrameRate ? kHideFrameRateLabel : kShowFrameRateLabel;
    return kPauseButtons;
}

// The pause key flips the wish to have the overlay open; true when the frame
// must be captured now, which is only when it opens from fully closed.
bool togglePause()
{
    pauseMenuOpen = !pauseMenuOpen;
    return pauseMenuOpen && pauseFade == 0.0f;
}

// Slides the overlay 5 per step towards open or closed, within 0..100.
void advancePauseFade(float step)
{
    pauseFade += pauseMenuOpen ? kFadePerPass * step : -kFadePerPass * step;
    if (pauseFade > kFadeFull)
        pauseFade = kFadeFull;
    else if (pauseFade < 0.0f)
        pauseFade = 0.0f;
}

// The pause part of one pass: the pause key (toggle) opens or closes the
// overlay, unless the screen shown took it as "Back" (pauseKeyTaken); B
// (back) closes an open one, each with its sound; then the overlay slides a
// step. While it shows at all, the world neither steps nor is heard.
PausePass updatePause(bool toggle, bool back)
{
    PausePass pass = {false, false, false};
    if (pauseKeyTaken)
        toggle = false;
    pauseKeyTaken = false;
    if (gameState == kStateOptions || optionsJustClosed)
        toggle = back = false;
    optionsJustClosed = false;
    if (toggle) {
        pass.capture = togglePause();
        pass.opened = pauseMenuOpen;
        playInterfaceSound(pauseMenuOpen ? kSoundPauseOpen : kSoundPauseClose);
    } else if (back && pauseMenuOpen) {
        pauseMenuOpen = false;
        playInterfaceSound(kSoundPauseClose);
    }
    pass.frozenShown = pauseFade != 0.0f;
    advancePauseFade(1.0f);
    pauseGameSounds(pauseFade != 0.0f || gameState == kStateOptions);
    return pass;
}

// What a pause button does: resume (heard only when the overlay was open),
// exit, a screenshot of the frozen frame (written by the main loop, which
// holds the picture), or the frame-rate line on or off.
void choosePauseEntry(int32_t action)
{
    if (action == kPauseResume) {
        if (pauseMenuOpen)
            playInterfaceSound(kSoundPauseClose);
        pauseMenuOpen = false;
    } else if (action == kPauseExit)
        quitGame();
    else if (action == kPauseScreenshot)
        screenshotWanted = true;
    else if (action == kPauseFrameRate)
        showFrameRate = !showFrameRate;
    else if (action == kPauseOptions)
        enterOptions(gameState, true);
}

// The screenshot asked for is done; the shutter sounds once it was written.
void finishScreenshot(bool saved)
{
    screenshotWanted = false;
    if (saved)
        playInterfaceSound(kSoundShutter);
}

// Ends the program after this pass; the game in progress keeps its recording.
void quitGame()
{
    quitRequested = true;
}

// ---- Functions: the options screen ----------------------------------------

// The options as settings.ini gave them at start are in force and saved.
void startOptionsFromSettings()
{
    OptionValues values;
    optionValuesFromGame(values);
    startOptions(values);
    windowInForce = values.window;
    fullscreenInForce = values.fullscreen;
}

// Opens the options screen on its list of pages. From the pause overlay the
// overlay goes at once (the world stays frozen behind the screen, and the
// frozen picture is kept for the way back).
void enterOptions(int32_t returnState, bool overPause)
{
    optionsReturnState = returnState;
    optionsOverPause = overPause;
    if (overPause) {
        pauseMenuOpen = false;
        pauseFade = 0.0f;
    }
    openOptions(displayModes, displayModeCount, desktopSize, padPresent);
    gameState = kStateOptions;
}

// The sound options in force: the volume at once, and mute closing the
// device (or opening it again, when the game started muted).
static void applySound()
{
    soundVolume = volumeSettingFor(optionsChosen.volume);
    if (optionsChosen.mute == soundMuted)
        return;
    soundMuted = optionsChosen.mute;
    if (soundMuted)
        closeSound();
    else
        openSound();
}

// The key and pad bindings and the dead zone in force.
static void applyBindings()
{
    for (int32_t a = 0; a < kKeyActions; a++)
        keyBindings[a] = optionsChosen.keys[a];
    for (int32_t p = 0; p < kPadActions; p++) {
        padBindingCount[p] = optionsChosen.padCount[p];
        for (int32_t i = 0; i < kPadBindingsPerAction; i++)
            padBindings[p][i] = optionsChosen.pad[p][i];
    }
    padDeadZone = (float)optionsChosen.deadZone / 100.0f;
}

// The window as chosen; a mode the display refuses leaves the old one in
// force and on the page, which says so.
static void applyVideoMode(VideoModeSetter setMode)
{
    const OptionValues& v = optionsChosen;
    if (!setMode(v.window.width, v.window.height, v.fullscreen)) {
        optionsModeRefused(windowInForce, fullscreenInForce);
        return;
    }
    windowInForce = v.window;
    fullscreenInForce = v.fullscreen;
}

// Rewrites settings.ini with the keys that differ from what it gives; when
// it cannot be written the options stay in force and the page says so.
static void writeOptions()
{
    SettingEdit edits[kMaxSettingEdits];
    int count = buildSettingEdits(optionsChosen, optionsSaved, edits);
    if (count == 0)
        return;
    if (writeSettings(settingsPath, edits, count))
        optionsSaved = optionsChosen;
    else
        optionsWriteFailed();
}

// The screen closes: back to the state it was opened from, or to the pause
// overlay fully open over the same frozen picture.
static void leaveOptions()
{
    gameState = optionsReturnState;
    optionsJustClosed = true;
    if (optionsOverPause) {
        pauseMenuOpen = true;
        pauseFade = kFadeFull;
    }
    optionsOverPause = false;
}

// Acts on one pass of the options screen: applies what changed (the video
// mode through setMode), writes settings.ini when a page was left with a
// change, plays the screen's sounds and closes it. True when mipmapping
// changed, so the textures must be built again.
bool applyOptions(int32_t effects, VideoModeSetter setMode)
{
    bool mipmapsChanged = optionsChosen.mipmapping != mipmapping;
    if (effects & kOptionsSound)
        applySound();
    if (effects & (kOptionsKeys | kOptionsPad))
        applyBindings();
    if (effects & kOptionsVideoMode)
        applyVideoMode(setMode);
    if (effects & kOptionsLook) {
        mipmapping = optionsChosen.mipmapping;
        showCursor = optionsChosen.showCursor;
        textSize = optionsChosen.textSize;
    }
    if (effects & kOptionsWrite)
        writeOptions();
    if (effects & (kOptionsChose | kOptionsSound))
        playInterfaceSound(kSoundMenuClick);
    else if (effects & kOptionsHovered)
        playInterfaceSound(kSoundMenuHover);
    if (effects & kOptionsClosed)
        leaveOptions();
    return (effects & kOptionsLook) && mipmapsChanged;
}
