// Start-up of the game proper, the frame dispatcher and the main loop.
#include <cstdio>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "app/runslist.h"
#include "app/watching.h"
#include "overlay/overlay.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "render/draw.h"
#include "platform/settings.h"
#include "render/menu.h"
#include "render/runpanel.h"
#include "render/runslist.h"
#include "render/optionsmenu.h"
#include "render/view.h"
#include "render/watchbar.h"
#include "sim/runstats.h"
#include "sim/seeking.h"
#include "world/savefile.h"
#include "world/world.h"

static const char* const kTitle = "Vellgrave 2";

static RunsListView runsView = {};   // the "Best runs" screen as this pass draws it
static bool frozenPictureLost = false;   // a new video mode came while the pause overlay kept a picture

// What the display offers the options screen: its desktop size and modes.
static void listDisplayModes()
{
    int32_t widths[kMaxWindowSizes], heights[kMaxWindowSizes];
    displayModeCount = listVideoModes(widths, heights, kMaxWindowSizes);
    for (int32_t i = 0; i < displayModeCount; i++)
        displayModes[i] = WindowSize{widths[i], heights[i]};
    desktopSize = WindowSize{desktopWidth, desktopHeight};
}

// One-time start-up after the display and overlay: title, textures and frame
// tables, an empty world, and the best score kept from earlier runs.
void initGame()
{
    snprintf(titleText, sizeof titleText, "%s", kTitle);
    versionNumber = kGameVersion;
    loadTextures();
    buildGlyphFrames();
    resetWorld();
    readBestScore();
    listDisplayModes();
    startOptionsFromSettings();
}

// Sets the video mode the options ask for and loads everything drawn into
// the new GL context; the textures go first, while their context is current.
// False when the display refused the mode (the old one stays).
static bool setModeAndReload(int32_t width, int32_t height, bool full)
{
    releaseTextures();
    releaseOverlaySheet();
    bool set = changeVideoMode(width, height, full);
    reloadOverlay();
    loadTextures();
    frozenPictureLost = true;
    return set;
}

// One pass of the options screen: its logic on this pass's input, what it
// changed applied (a new mode, the pointer, textures built again for
// mipmapping), then the screen drawn with the pad's sticks as they are.
static void runOptionsFrame()
{
    int32_t effects = runOptions(liveOptionsInput());
    if (applyOptions(effects, setModeAndReload))
        loadTextures();
    if (effects & kOptionsLook)
        showSystemPointer(showCursor);
    if (gameState != kStateOptions)
        return;
    int32_t sticks[kStickAxes];
    for (int32_t s = 0; s < kStickAxes; s++) {
        int32_t axis = padBindings[kPadWalkAcross + s][0].index;
        sticks[s] = axis >= 0 && axis < kPadAxes ? padAxis[axis] : 0;
    }
    beginSpriteDrawing();
    drawOptionsScreen(aspectRatio, sticks);
}

// The main menu's pass: the entries, with the keys, mouse and pad, and on
// the title after a run ended its panel; then the flow acts on the choice.
static void runMenuFrame()
{
    const MenuList& menu = mainMenu();
    MenuChoice choice = runMainMenu(menu, withMenuKeys(liveMenuInput()));
    if (gameState == kStateTitleMenu && runPanelShown)
        drawRunPanel(runStats, bestKillCount, menu.count);
    chooseMenuEntry(choice);
}

// The "Best runs" screen's pass: its logic from live input, then its
// drawing, then the flow acts on what was chosen.
static void runBestRunsFrame()
{
    int32_t action = runsListPass(liveRunsListInput());
    runsListView(runsView);
    drawRunsList(runsView);
    chooseRunsAction(action);
}

// One pass of watching: the bar's input acted on, the steps due played, the
// recorded picture letterboxed in the window and the bar under it. The
// replay program runs it too.
void runWatchingFrame()
{
    actOnWatching(chooseWatchAction(readWatchInput(liveWatchInput(), watchSeconds, watchTotalSeconds)));
    if (gameState != kStateWatching)
        return;
    watchFrame((float)frameMilliseconds);
    WatchLayout layout = watchLayout(screenWidth, screenHeight, watchedAspect());
    renderWatchedWorld(layout.picture, watchBestScore, screenWidth, screenHeight);
    drawWatchBar(watchBarPicture(screenWidth, screenHeight, watchSeconds, watchTotalSeconds));
}

// Shows the menu or steps and draws the game, inside the GL state every
// drawing routine relies on (texturing, blending, alpha test, client arrays).
void runFrame()
{
    beginSpriteDrawing();
    beginGameFrame();
    float speedFactor = speedFactorFor(framesPerSecond);
    if (gameState == kStatePlaying) {
        playStep(speedFactor);
        renderWorld();
    } else if (gameState == kStateBestRuns) {
        runBestRunsFrame();
    } else if (gameState == kStateWatching) {
        runWatchingFrame();
    } else if (gameState == kStateOptions) {
        runOptionsFrame();
    } else {
        runMenuFrame();
    }
    endSpriteDrawing();
}

// Paces the pass to at least 16 ms by sleeping, and measures framesPerSecond.
void measureFrame()
{
    int sleep = advanceFrameClock(clockTicks());
    if (sleep > 0)
        sleepMilliseconds((uint32_t)sleep);
}

// After a new video mode the picture the pause overlay held is gone: the
// game as it stands is drawn again at the new size, without a step, for the
// overlay to capture. False when there is nothing to draw yet.
static bool redrawFrozenPicture()
{
    frozenPictureLost = false;
    beginSpriteDrawing();
    if (gameState == kStatePlaying)
        renderWorld();
    else
        runMainMenu(mainMenu(), MenuInput{-1, -1, false, 0, false, false, false});
    endSpriteDrawing();
    return true;
}

// The overlay's part of a pass: the flow opens or closes the pause overlay,
// the overlay draws what the flow decided, and the flow acts on the button
// chosen; a screenshot asked for is written from the frozen frame. While
// watching and on "Best runs", Escape belongs to the screen (beginGameFrame).
void runOverlay()
{
    MenuInput in = liveMenuInput();
    PausePass pause = updatePause(pauseKeyPressed(), in.back);
    if (pause.capture)
        frozenPictureLost = false;
    if (frozenPictureLost && pause.frozenShown)
        pause.capture = redrawFrozenPicture();
    OverlayPass pass = {pauseFade,     pause.capture,   pause.opened,      pause.frozenShown, showFrameRate,
                        framesPerSecond, displayHasMouse(), titleText, versionNumber};
    choosePauseEntry(overlayFrame(pass, pauseButtons(), in));
    if (screenshotWanted)
        finishScreenshot(saveScreenshot());
}

// Passes until quitting: clear, keys, mouse and pad, game frame unless
// paused, pacing, overlay, swap, then the rest of the events. Quitting ends
// the game in progress, whose recording is kept.
void runMainLoop()
{
    while (!quitRequested) {
        clearDisplay();
        pumpEvents();
        pollInput();
        pollPad();
        if (pauseFade == 0.0f)
            runFrame();
        measureFrame();
        runOverlay();
        swapDisplay();
        if (drainEvents())
            quitGame();
    }
    finishGame();
}
