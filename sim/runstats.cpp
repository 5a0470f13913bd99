// The run's statistics, counted from each step's events.
#include "sim/runstats.h"

#include <cmath>
#include <cstdio>

#include "sim/events.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const int32_t kWholePercent = 100;
static const int32_t kSecondsPerMinute = 60;
static const int32_t kSecondsPerHour = 3600;
static const float kLongestShownTime = 359999.0f;  // 99:59:59

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

// A time of play as "m:ss", or "h:mm:ss" from an hour on, whole seconds
// rounded down; nothing below 0 or past 99 hours.
void formatPlayTime(float seconds, char* text, int size)
{
    int32_t t = (int32_t)fminf(fmaxf(seconds, 0.0f), kLongestShownTime);   // fmaxf takes NaN as 0
    int32_t h = t / kSecondsPerHour;
    int32_t m = t % kSecondsPerHour / kSecondsPerMinute;
    int32_t s = t % kSecondsPerMinute;
    if (h > 0)
        snprintf(text, (size_t)size, "%d:%02d:%02d", h, m, s);
    else
        snprintf(text, (size_t)size, "%d:%02d", m, s);
}

// The lines of the panel shown beside the title after a run ended: the score
// (a new best marked), the best score now, and the run's figures.
void runPanelLines(const RunStats& stats, int32_t best, char lines[kRunPanelLines][kRunPanelLineLength])
{
    char time[kPlayTimeLength];
    formatPlayTime(stats.timeSurvived, time, sizeof time);
    const size_t n = kRunPanelLineLength;
    snprintf(lines[0], n, "Score %d%s", stats.score, isNewBest(stats) ? "  - a new best!" : "");
    snprintf(lines[1], n, "Best score %d", best);
    snprintf(lines[2], n, "Time survived %s", time);
    snprintf(lines[3], n, "Shots fired %d, %d%% hit", stats.shotsFired, hitSharePercent(stats));
    snprintf(lines[4], n, "Explosives thrown %d", stats.explosivesThrown);
    snprintf(lines[5], n, "Zombies killed by explosives %d", stats.blastKills);
    snprintf(lines[6], n, "Civilians lost %d", stats.civiliansLost);
    snprintf(lines[7], n, "Distance walked %d", (int32_t)fminf(stats.distanceWalked, 1e9f));
}
