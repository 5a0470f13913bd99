// The run's figures, counted from what each step of the real game step
// reports: shots that hit and miss, throws, an explosion's kills beside the
// gun's, civilians lost, time and distance, and a run that starts from a
// loaded game.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/events.h"
#include "sim/runstats.h"
#include "sim/step.h"
#include "tests/testworld.h"

namespace {

// Player 0 in the middle of the open patch with the camera on it, a 4:3
// window with the pointer at its right edge (aiming straight along +x), full
// energy and a ready gun; the listed others added after it.
struct RunFigures : ::testing::Test {
    void SetUp() override { start({}); }

    static void start(std::initializer_list<Placed> others)
    {
        openWorldWith({{kActorPlayer, 128, 128}});
        for (const Placed& p : others)
            addActor(p.type, p.x, p.y, 0, 0, 0);
        cameraZoom = 7.5f;
        energy[0] = 100;
        fireCooldown[0] = energyRegenDelay[0] = 0;
        stepInput = StepInput{0, 0, 800, 300, false, false, false, false, 1, 800, 600, 800.0f / 600.0f};
        bestKillCount = 4;
        beginRunStats();
    }

    // Runs one step of the game with the given controls and counts it.
    static void step(bool gun, bool throwing = false, float speed = 1)
    {
        stepInput.gun = gun;
        stepInput.throwing = throwing;
        stepInput.speedFactor = speed;
        stepGame(speed);
        countRunStep(speed);
    }

    // Waits out the weapons' cooldown with nothing held.
    static void rest(int steps)
    {
        for (int s = 0; s < steps; s++)
            step(false);
    }
};

// A shot at a zombie in line hits; one fired at a wall beside the player
// misses; a throw counts once however long the button is held; the time is
// the sum of the steps' lengths.
TEST_F(RunFigures, ShotsHitOrMissThrowsCountOnceAndTimeIsTheStepsLengths)
{
    start({{kActorZombie, 129.5f, 128}});
    putWallBox(127, 128, 127, 127.5f, 1, 1);
    step(true);
    EXPECT_LT(actors[1].health, 100.0f) << "the zombie was hit";
    rest(5);
    stepInput.pointerX = 0;   // aim to the left, into the wall
    step(true, false, 0.5f);
    rest(30);
    for (int s = 0; s < 5; s++)
        step(false, true);
    EXPECT_EQ(runStats.shotsFired, 2);
    EXPECT_EQ(runStats.shotsHit, 1);
    EXPECT_EQ(hitSharePercent(runStats), 50);
    EXPECT_EQ(runStats.explosivesThrown, 1);
    EXPECT_NEAR(runStats.timeSurvived, (41 + 0.5f) / 60.0f, 1e-5f);
    EXPECT_EQ(runStats.blastKills, 0);
    EXPECT_EQ(runStats.civiliansLost, 0);
}

// In one step a shot kills a zombie the explosion also reaches, and the
// explosion kills two others: three kills, two of them the blast's. A zombie
// blasted past the edge of the camera's square vanishes unscored, and is no
// kill of the blast's either. A civilian killed by the blast, and one bitten
// to death, rise and count as lost, once each.
TEST_F(RunFigures, AnExplosionsKillsAreItsOwnAndEveryCivilianKilledIsLostOnce)
{
    start({{kActorZombie, 129.5f, 128}, {kActorZombie, 131, 128}, {kActorZombie, 131, 128.8f},
           {kActorCivilian, 128, 135}, {kActorZombie, 128.3f, 135}, {kActorCivilian, 131, 127.6f},
           {kActorZombie, 128, 142.3f}});
    actors[1].health = 10;
    actors[2].health = actors[3].health = actors[6].health = actors[7].health = 1;
    actors[4].health = 0.05f;
    actors[4].bleedTimer = 5;   // the bite draws no blood, so it is not heard
    explosions[explosionCount++] = Explosion{130.5f, 128, 0, 100};
    explosions[explosionCount++] = Explosion{128, 141.5f, 0, 100};
    step(true);
    int told = 0;
    for (int e = 0; e < gameEventCount; e++)
        told += gameEvents[e].kind == kEventBlastKill;
    EXPECT_EQ(told, 3) << "the two that died and the one that vanished; not the civilian";
    EXPECT_EQ(killCount, 3);
    EXPECT_EQ(runStats.score, 3);
    EXPECT_EQ(runStats.blastKills, 2);
    EXPECT_EQ(runStats.shotsHit, 1);
    EXPECT_EQ(runStats.civiliansLost, 1) << "the blasted civilian";
    rest(20);
    EXPECT_EQ(runStats.civiliansLost, 2);
    EXPECT_EQ(runStats.blastKills, 2);
}

// Distance is what player 0 actually moved: walking right adds up to the
// ground covered. A run begun on a loaded game counts from there: nothing of
// the earlier game, and no jump from where its player stood.
TEST_F(RunFigures, DistanceIsTheGroundCoveredAndALoadedGameCountsFromTheLoad)
{
    stepInput.moveAcross = kAxisFull;
    rest(40);
    EXPECT_GT(runStats.distanceWalked, 1.0f);
    EXPECT_NEAR(runStats.distanceWalked, actors[0].x - 128, 1e-3f);
    actors[0].x = 140;
    actors[0].y = 150;
    killCount = 6;
    bestKillCount = 6;
    beginRunStats();
    EXPECT_EQ(runStats.score, 6);
    EXPECT_EQ(runStats.distanceWalked, 0.0f);
    EXPECT_EQ(runStats.timeSurvived, 0.0f);
    stepInput.moveAcross = 0;
    rest(1);
    EXPECT_LT(runStats.distanceWalked, 0.1f);
    EXPECT_FALSE(isNewBest(runStats)) << "level with the best is no new best";
    killCount = 7;
    rest(1);
    EXPECT_TRUE(isNewBest(runStats));
    endRunStats();
    killCount = 9;
    rest(1);
    EXPECT_EQ(runStats.score, 7) << "an ended run keeps its figures";
}

// The share of hits is in whole per cent, rounded down, and 0 without shots.
TEST(RunShare, WholePerCentRoundedDownAndNothingWithoutShots)
{
    RunStats s = {};
    EXPECT_EQ(hitSharePercent(s), 0);
    s.shotsFired = 3;
    s.shotsHit = 1;
    EXPECT_EQ(hitSharePercent(s), 33);
    s.shotsHit = 2;
    EXPECT_EQ(hitSharePercent(s), 66);
    s.shotsHit = 3;
    EXPECT_EQ(hitSharePercent(s), 100);
}

// Times read m:ss, and h:mm:ss from an hour on, rounded down; nonsense is 0.
// The panel names every figure, and marks a new best only when there is one.
TEST(RunPanel, TimesReadAsClocksAndThePanelNamesEveryFigure)
{
    char t[kPlayTimeLength];
    const float seconds[] = {0, 59.99f, 61, 3599.5f, 3600, 36061, -4, NAN, 1e12f};
    const char* shown[] = {"0:00", "0:59", "1:01", "59:59", "1:00:00", "10:01:01", "0:00", "0:00", "99:59:59"};
    for (int i = 0; i < 9; i++) {
        formatPlayTime(seconds[i], t, sizeof t);
        EXPECT_STREQ(t, shown[i]) << seconds[i];
    }
    RunStats s = {12, 9, 125.5f, 20, 5, 3, 7, 2, 48.9f};
    char lines[kRunPanelLines][kRunPanelLineLength];
    runPanelLines(s, 12, lines);
    EXPECT_STREQ(lines[0], "Score 12  - a new best!");
    EXPECT_STREQ(lines[1], "Best score 12");
    EXPECT_STREQ(lines[2], "Time survived 2:05");
    EXPECT_STREQ(lines[3], "Shots fired 20, 25% hit");
    EXPECT_STREQ(lines[4], "Explosives thrown 3");
    EXPECT_STREQ(lines[5], "Zombies killed by explosives 7");
    EXPECT_STREQ(lines[6], "Civilians lost 2");
    EXPECT_STREQ(lines[7], "Distance walked 48");
    s.bestAtStart = 12;
    runPanelLines(s, 12, lines);
    EXPECT_STREQ(lines[0], "Score 12");
}

}  // namespace
