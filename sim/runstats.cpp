// The run's statistics, counted from each step's events.
#include "sim/runstats.h"

#include <cmath>

#include "sim/events.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const int32_t kWholePercent = 100;

// ---- Globals ----------------------------------------------------------------

RunStats runStats = {};
bool runCounting = false;

static float lastPlayerX = 0;   // player 0 after the step before, cells
static float lastPlayerY = 0;   // player 0 after the step before, cells

// ---- Functions --------------------------------------------------------------

// Starts counting a run from the world as it stands: a new city just built or
// a game just loaded, whatever it had scored before.
void beginRunStats()
{
    runStats = RunStats{};
    runStats.score = killCount;
    runStats.bestAtStart = bestKillCount;
    lastPlayerX = actorCount > 0 ? actors[0].x : 0;
    lastPlayerY = actorCount > 0 ? actors[0].y : 0;
    runCounting = true;
}

// The zombies of this step's deaths that an explosion killed: a blast's kill
// is told where the zombie stood, and the zombie dies later in the step at
// that very spot (one blasted far off may vanish instead, and is no kill).
static int32_t blastKillsOfStep()
{
    bool matched[kMaxGameEvents] = {};
    int32_t kills = 0;
    for (int d = 0; d < gameEventCount; d++) {
        if (gameEvents[d].kind != kEventZombieKilled)
            continue;
        for (int b = 0; b < d; b++) {
            const GameEvent& e = gameEvents[b];
            if (e.kind == kEventBlastKill && !matched[b] && e.x == gameEvents[d].x && e.y == gameEvents[d].y) {
                matched[b] = true;
                kills++;
                break;
            }
        }
    }
    return kills;
}

// Adds the step just run: its length, what its events tell, and how far
// player 0 moved.
void countRunStep(float speedFactor)
{
    if (!runCounting)
        return;
    for (int e = 0; e < gameEventCount; e++) {
        int kind = gameEvents[e].kind;
        runStats.shotsFired += kind == kEventShot;
        runStats.shotsHit += kind == kEventShotHit;
        runStats.explosivesThrown += kind == kEventThrow;
        runStats.civiliansLost += kind == kEventCivilianKilled;
    }
    runStats.blastKills += blastKillsOfStep();
    runStats.timeSurvived += speedFactor / kStepUnitsPerSecond;
    runStats.score = killCount;
    if (actorCount == 0)
        return;
    float walked = hypotf(actors[0].x - lastPlayerX, actors[0].y - lastPlayerY);
    if (std::isfinite(walked))
        runStats.distanceWalked += walked;
    lastPlayerX = actors[0].x;
    lastPlayerY = actors[0].y;
}

// Stops counting: the run has ended and its figures stay for the panel.
void endRunStats()
{
    runCounting = false;
}

// The share of shots that hit, in whole per cent rounded down; 0 without shots.
int32_t hitSharePercent(const RunStats& stats)
{
    if (stats.shotsFired <= 0)
        return 0;
    return (int32_t)((int64_t)stats.shotsHit * kWholePercent / stats.shotsFired);
}

// The run beat the best score there was when it began.
bool isNewBest(const RunStats& stats)
{
    return stats.score > stats.bestAtStart;
}
