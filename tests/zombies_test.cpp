// Zombies and civilians: contacts, bites, rising, deaths, despawning, planning
// and the spawn limits, each on a small hand-made open patch of the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "sim/shots.h"
#include "sim/zombies.h"
#include "tests/testworld.h"

namespace {

void addMany(int type, int n)
{
    for (int k = 0; k < n; k++)
        addActor(type, 116 + k % 25 * 0.9f, 116 + k / 25 * 0.9f, 0, 0, 0);
}

}  // namespace

TEST(Zombies, ContactNeedsCentresStrictlyCloserThanTheContactDistance)
{
    const float gaps[3][2] = {{0.46f, 0}, {0.4599f, 0}, {0.4f, 0.4f}};   // the last in the square, past the circle
    for (int k = 0; k < 3; k++) {
        openWorldWith({{kActorPlayer, 0.46f, 4}, {kActorZombie, 0.46f + gaps[k][0], 4 + gaps[k][1]}});
        cameraX = cameraY = 4;
        runActorStage(1);
        EXPECT_EQ(actors[0].health, k == 1 ? 99.5f : 100.0f) << "case " << k;
        EXPECT_EQ(healthRegenDelay[0], k == 1 ? kPlayerHurtPause : 0.0f);
    }
}

// The push goes along the offset divided by the sum of its absolute parts;
// actors at one point cannot be told apart and are not pushed, but still bite.
// A fresh actor (bleed timer 0) bitten before its own first move does not bleed.
TEST(Zombies, TouchingActorsArePushedApartUnlessTheyCoincide)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128, 128}, {kActorCivilian, 120, 120},
                   {kActorCivilian, 120.2f, 120.1f}, {kActorZombie, 136, 136}, {kActorCivilian, 136, 136}});
    runActorStage(1);
    EXPECT_EQ(std::make_tuple(actors[0].health, actors[0].vx, actors[0].vy), std::make_tuple(99.5f, 0.0f, 0.0f));
    EXPECT_FALSE(std::isnan(actors[1].vx) || std::isnan(actors[1].vy));
    EXPECT_EQ(std::make_tuple(decalCount, actors[0].bleedTimer), std::make_tuple(1, kBleedPause));
    EXPECT_TRUE(actors[2].vx < 0 && actors[2].vy < 0 && actors[3].vx > 0 && actors[3].vy > 0);
    EXPECT_NEAR(actors[2].vx, 2 * actors[2].vy, 1e-4f);
    runActorStage(1);
    EXPECT_EQ(decalCount, 2) << "the player waits out its bleed pause, the civilian bleeds from now on";
}

TEST(Zombies, MovementScalesWithTheSpeedFactorAndWallsTakeTheSpeed)
{
    openWorld();
    addActor(kActorCivilian, 120, 120, 0.1f, 0, 0);
    runActorStage(0.5f);
    EXPECT_NEAR(actors[0].x, 120.05f, 1e-5f);
    EXPECT_NEAR(actors[0].vx, 0.09f, 1e-4f);
    EXPECT_EQ(actors[0].bleedTimer, -0.5f);
    tileKind[121][120] = 0;
    actors[0].x = 120.7f, actors[0].vx = 0.1f;
    runActorStage(1);
    EXPECT_NEAR(actors[0].x, 121 - kActorRadius, 1e-5f);
    EXPECT_NEAR(actors[0].vx, (121 - kActorRadius - 120.7f) * (1 - kFriction), 1e-4f);
}

TEST(Zombies, BittenCivilianRisesInItsOwnTurnAndBitesAtOnce)
{
    for (int zombieFirst = 0; zombieFirst < 2; zombieFirst++) {
        openWorldWith({{kActorPlayer, 128, 128}, {zombieFirst ? kActorZombie : kActorCivilian, 128.3f, 128},
                       {zombieFirst ? kActorCivilian : kActorZombie, 128.15f, 128.2f}});
        int civilian = zombieFirst ? 2 : 1;
        actors[civilian].health = 0.5f;
        runActorStage(1);
        EXPECT_EQ(actors[civilian].type, zombieFirst ? kActorZombie : kActorCivilian);
        EXPECT_EQ(actors[0].health, zombieFirst ? 99.0f : 99.5f);
        runActorStage(1);
        ASSERT_EQ(actorCount, 3);
        EXPECT_EQ(std::make_tuple(actors[civilian].type, actors[civilian].health),
                  std::make_tuple(kActorZombie, kRisenHealth));
        EXPECT_EQ(std::make_tuple(actorTypeCount[kActorZombie], actorTypeCount[kActorCivilian]),
                  std::make_tuple(2, 0));
    }
}

// Zombies and civilians each spawn while below their own limit and their total
// below 500; a risen civilian may take the zombies past theirs.
TEST(Zombies, SpawningKeepsToItsLimitsAndTheRing)
{
    struct Case { int zombies, civilians, zombiesAfter, civiliansAfter; };
    const Case cases[] = {
        {0, 0, 1, 1}, {kMaxZombies, 0, kMaxZombies, 1}, {0, kMaxCivilians, 1, kMaxCivilians},
        {kMaxZombies - 1, kMaxCivilians - 1, kMaxZombies, kMaxCivilians}, {450, 50, 450, 50},
        {kMaxZombies + 1, 1, kMaxZombies + 1, 2},
    };
    for (const Case& c : cases) {
        openWorld();
        addMany(kActorZombie, c.zombies);
        addMany(kActorCivilian, c.civilians);
        spawnActors(1);
        EXPECT_EQ(std::make_tuple(actorTypeCount[kActorZombie], actorTypeCount[kActorCivilian]),
                  std::make_tuple(c.zombiesAfter, c.civiliansAfter)) << c.zombies << "/" << c.civilians;
    }
    openWorld();
    addMany(kActorZombie, kMaxZombies);
    addActor(kActorCivilian, 140, 140, 0, 0, 0);
    actors[actorCount - 1].health = 0;
    runActorStage(1);
    EXPECT_EQ(actorTypeCount[kActorZombie], kMaxZombies + 1);
    for (int solidRing = 0; solidRing < 2; solidRing++) {   // spawns land on the ring, never in a solid
        openWorld();
        for (int x = 110; x < 150 && solidRing; x++)
            std::fill(tileKind[x] + 110, tileKind[x] + 150, 0);
        spawnActors(1);
        EXPECT_EQ(actorCount, solidRing ? 0 : 2);
        for (int i = 0; i < actorCount; i++)
            EXPECT_NEAR(hypotf(actors[i].x - cameraX, actors[i].y - cameraY), 9.45f, 1.451f);
    }
}

TEST(Zombies, DeadZombiesScoreUnlessTheyAreBeyondTheDespawnLine)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128, 125}, {kActorZombie, 126, 128},
                   {kActorZombie, 128, 142.5f}, {kActorCivilian, 100.5f, 128}});
    for (int i = 1; i < 4; i++)
        actors[i].health = 0;
    runActorStage(1);
    EXPECT_EQ(std::make_tuple(killCount, actorCount), std::make_tuple(2, 1));
    ASSERT_EQ(decalCount, 2);
    EXPECT_EQ(std::make_tuple(decals[0].kind, decals[0].y), std::make_tuple(kDecalCorpse, 125.0f));
    EXPECT_NEAR(decals[0].angle, 1.5708f, 1e-4f);
}

TEST(Zombies, ZombiesReplanOnlyOnTheirSlotOrWithoutATarget)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 130, 128}, {kActorCivilian, 131, 128}});
    actors[1].hasTarget = 1, actors[1].target = 0, actors[1].thinkSlot = 5;
    runActorStage(1);
    EXPECT_EQ(actors[1].target, 0);
    thinkTick = 5;
    runActorStage(1);
    EXPECT_EQ(actors[1].target, 2);
    actors[1].hasTarget = 0, actors[1].target = 0, thinkTick = 0;
    runActorStage(1);
    EXPECT_EQ(std::make_tuple(actors[1].hasTarget, actors[1].target), std::make_tuple(1, 2));

    // the nearer of two players, though a civilian is nearer than the farther one
    openWorldWith({{kActorPlayer, 126, 128}, {kActorPlayer, 130, 128}, {kActorZombie, 128, 128}, {kActorCivilian, 128, 131}});
    playerCount = 2;
    runActorStage(1);
    EXPECT_EQ(actors[2].target, 0);
}

TEST(Zombies, ZombieHitByAShotChasesPlayerZeroForever)
{
    openWorldWith({{kActorPlayer, 107, 128}, {kActorZombie, 130, 128}, {kActorCivilian, 130.6f, 128}});
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    ASSERT_EQ(actors[1].health, 80.0f);
    for (int step = 0; step < 30; step++) {
        advanceThinkTick();
        runActorStage(1);
        ASSERT_EQ(std::make_tuple(actors[1].hasTarget, actors[1].target), std::make_tuple(1, 0));
    }
    EXPECT_NEAR(fabsf(actors[1].angle), 3.14159f, 0.05f);
}
