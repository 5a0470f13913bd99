// The game flow: every change of the game's state goes through here. A new
// game, a load, a save and resuming from the main menu; the menu key and a
// death after a step, with the best score and the end of the recording; the
// pause overlay opening and closing and its buttons; quitting. The menus and
// the overlay only report what was chosen; the flow acts on it and plays the
// interface's sounds. Nothing here draws, so it runs without a window.
#pragma once

#include <cstdint>

#include "options/options.h"
#include "render/menu.h"

// Actions of the main menu's entries.
const int32_t kMenuResume = 1;
const int32_t kMenuNewGame = 2;
const int32_t kMenuSaveGame = 3;
const int32_t kMenuLoadGame = 4;
const int32_t kMenuCityOfTheDay = 5;
const int32_t kMenuBestRuns = 6;
const int32_t kMenuWatchLastGame = 7;
const int32_t kMenuOptions = 8;
// Actions of the pause overlay's buttons.
const int32_t kPauseResume = 11;
const int32_t kPauseExit = 12;
const int32_t kPauseScreenshot = 13;
const int32_t kPauseFrameRate = 14;
const int32_t kPauseOptions = 15;

// What the pause part of one pass decided, for the overlay to show.
struct PausePass {
    bool capture;       // the overlay opened from fully closed: this pass's picture is frozen now
    bool opened;        // the overlay was opened in this pass
    bool frozenShown;   // the frozen picture stands in for the game's in this pass
};

extern bool pauseMenuOpen;          // the pause menu is wanted open
extern float pauseFade;             // 0..100: 0 closed, 100 fully open; the game runs only at 0
extern bool showFrameRate;          // draw the frame-rate line in every pass
extern bool screenshotWanted;       // "Save screenshot" was chosen and is not yet written
extern bool runPanelShown;          // the title shows the panel of the run that ended last
extern bool pauseKeyTaken;          // the screen shown used this pass's pause key as "Back"
extern int32_t optionsReturnState;  // the state the options screen goes back to
extern bool optionsOverPause;       // the options were opened from the pause overlay, which they go back to
extern bool optionsJustClosed;      // the options closed in this pass: its keys must not pause
extern WindowSize displayModes[kMaxWindowSizes];  // full-screen modes the display lists
extern int32_t displayModeCount;    // 0..kMaxWindowSizes
extern WindowSize desktopSize;      // pixels
extern WindowSize windowInForce;    // the window size set last (0 x 0: the desktop's)
extern bool fullscreenInForce;      // the full screen set last
extern const char* settingsPath;    // the file the options write back: "settings.ini"

// Sets a video mode as the options ask (0 x 0: the desktop's), everything
// drawn loaded again; false when the display refused it and the old one stays.
typedef bool (*VideoModeSetter)(int32_t width, int32_t height, bool full);

const MenuList& mainMenu();
void chooseMenuEntry(const MenuChoice& choice);
void playStep(float speedFactor);
void finishGame();
void playFromHere();
bool watchRecording(const char* path, int32_t backState);
void stopWatching(int32_t state);
void actOnWatching(int32_t action);
void beginCityOfTheDay(int64_t now);
void openBestRuns();
void chooseRunsAction(int32_t action);
bool beginRecordedGame();
void beginGameFrame();
const MenuList& pauseButtons();
bool togglePause();
void advancePauseFade(float step);
PausePass updatePause(bool toggle, bool back);
void choosePauseEntry(int32_t action);
void finishScreenshot(bool saved);
void quitGame();
void startOptionsFromSettings();
void enterOptions(int32_t returnState, bool overPause);
bool applyOptions(int32_t effects, VideoModeSetter setMode);
