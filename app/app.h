// The main loop's own state: the game-state switch, quitting, frame pacing and
// the title shown by the pause menu.
#pragma once

#include <cstdint>

#include "sim/step.h"

const int kStateTitleMenu = 0;       // no game in progress
const int kStateGameMenu = 1;        // main menu over a game in progress
const int kStatePlaying = 2;
const int kStateWatching = 3;        // a recorded game shown with the watching bar
const int kStateBestRuns = 4;        // the best runs' list
const int kStateOptions = 5;         // the options screen, over the state it was opened from
const int kFrameMilliseconds = 16;   // passes are at least this far apart

extern int32_t gameState;            // kStateTitleMenu .. kStateOptions
extern bool quitRequested;           // the loop ends after the pass that set it
extern float framesPerSecond;        // measured in each pass before the overlay
extern uint32_t lastFrameTicks;      // SDL ticks (ms) at which the last measured frame ended
extern int32_t frameMilliseconds;    // length of the last measured frame, ms, at least 16
extern char titleText[256];          // "Vellgrave 2"
extern float versionNumber;          // 0.8

float speedFactorFor(float fps);
int advanceFrameClock(uint32_t nowTicks);
void measureFrame();
void initGame();
void runFrame();
void runOverlay();
void runWatchingFrame();
void runMainLoop();
