// How the run in progress is going: counted after every step from the step's
// events and player 0's position, for the panel shown when the run ends and
// for the best-runs list. Reads the world, never changes it, so recordings
// and saves are untouched; a game continued from a save counts from the load.
#pragma once

#include <cstdint>

// ---- Constants --------------------------------------------------------------

const float kStepUnitsPerSecond = 60.0f;  // a step of speed factor 1 is a sixtieth of a second
const int kRunPanelLines = 8;             // lines of the panel that shows how a run ended
const int kRunPanelLineLength = 48;       // bytes of one line, with its end byte
const int kPlayTimeLength = 16;           // bytes of a time of play, "h:mm:ss" at most, with its end byte

// ---- Records ----------------------------------------------------------------

// One run's figures.
struct RunStats {
    int32_t score;             // zombies killed in the game, as the HUD shows it
    int32_t bestAtStart;       // the best score when the run began
    float timeSurvived;        // seconds of play since the start or the load
    int32_t shotsFired;        // gun shots
    int32_t shotsHit;          // of them, those that struck a zombie
    int32_t explosivesThrown;  // explosives that left a player's hand
    int32_t blastKills;        // zombies killed by explosions
    int32_t civiliansLost;     // civilians killed (each rose as a zombie)
    float distanceWalked;      // cells player 0 moved
};

// ---- Globals ----------------------------------------------------------------

extern RunStats runStats;          // the run in progress, or the one that ended last
extern bool runCounting;           // runStats follows a game in progress

// ---- Functions --------------------------------------------------------------

void beginRunStats();
void countRunStep(float speedFactor);
void endRunStats();
int32_t hitSharePercent(const RunStats& stats);
bool isNewBest(const RunStats& stats);
void formatPlayTime(float seconds, char* text, int size);
void runPanelLines(const RunStats& stats, int32_t best, char lines[kRunPanelLines][kRunPanelLineLength]);
