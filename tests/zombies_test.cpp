// Zombies and civilians: contacts, bites, rising, deaths, despawning, planning
// and the spawn limits, each on a small hand-made open patch of the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sim/zombies.h"
#include "tests/testworld.h"

namespace {

// n actors of the type in rows of 25, 0.9 apart, from (116, 116).
void addMany(int type, int n)
{
    for (int k = 0; k < n; k++)
        addActor(type, 116 + k % 25 * 0.9f, 116 + k / 25 * 0.9f, 0, 0, 0);
}

// After one actor stage of the scene, the target of its first zombie, or -1.
int targetOfZombieIn(std::initializer_list<Placed> scene, int players)
{
    openWorldWith(scene);
    playerCount = players;
    runActorStage(1);
    int i = 0;
    while (actors[i].type != kActorZombie)
        i++;
    return actors[i].hasTarget ? actors[i].target : -1;
}

// Centres must be strictly closer than 0.46 (in the circle, not its square);
// a bite then takes 0.5 health per step unit and pauses regeneration for 60.
// The player stands at 0.46 so that 0.46 + 0.46 - 0.46 is exactly 0.46.
TEST(Zombies, ContactNeedsCentresStrictlyCloserThanTheContactDistanceAndBitesScale)
{
    struct Case { float dx, dy, f, health; };
    const Case cases[] = {{0.46f, 0, 1, 100}, {0.4599f, 0, 1, 99.5f}, {0.4f, 0.4f, 1, 100},
                          {0.3f, 0, 2, 99}, {0.3f, 0, 0.5f, 99.75f}};
    for (const Case& c : cases) {
        openWorldWith({{kActorPlayer, 0.46f, 4}, {kActorZombie, 0.46f + c.dx, 4 + c.dy}});
        cameraX = cameraY = 4;
        runActorStage(c.f);
        EXPECT_EQ(actors[0].health, c.health) << "offset " << c.dx << ", " << c.dy << " at f " << c.f;
        EXPECT_EQ(healthRegenDelay[0], c.health < 100 ? 60.0f : 0.0f) << "offset " << c.dx << " at f " << c.f;
    }
}

// Actors at one point cannot be told apart and are not pushed, but still bite.
// A fresh actor (bleed timer 0) bitten before its own first move does not
// bleed; the player, which moved first, bleeds and then waits out its pause.
TEST(Zombies, CoincidentActorsBiteWithoutAPushAndOnlyAMovedVictimBleeds)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128, 128}, {kActorZombie, 136, 136},
                   {kActorCivilian, 136, 136}});
    runActorStage(1);
    EXPECT_EQ(actors[0].health, 99.5f);
    EXPECT_EQ(actors[0].vx, 0.0f);
    EXPECT_EQ(actors[0].vy, 0.0f);
    EXPECT_FALSE(std::isnan(actors[1].vx) || std::isnan(actors[1].vy));
    EXPECT_EQ(actors[0].bleedTimer, 10.0f);
    EXPECT_EQ(decalCount, 1);
    runActorStage(1);
    EXPECT_EQ(decalCount, 2) << "the player waits out its bleed pause, the civilian bleeds from now on";
}

// Two civilians 0.2 apart (offsets 0.12 and 0.16) at f = 0.5: the first one's
// push is (0.46 - 0.2) * 0.015 * 0.5 = 0.00195, split by |dx| + |dy| = 0.28 into
// 3/7 and 4/7, and it moves by half of that before the second one pushes back.
TEST(Zombies, SeparationIsSplitBySumOfOffsetsAndScalesWithTheSpeedFactor)
{
    openWorldWith({{kActorCivilian, 4, 4}, {kActorCivilian, 4.12f, 4.16f}});
    cameraX = cameraY = 4;
    runActorStage(0.5f);
    EXPECT_NEAR(actors[0].x, 4 - 0.000417857f, 1e-6f);
    EXPECT_NEAR(actors[0].y, 4 - 0.000557143f, 1e-6f);
    // In the later civilian's turn they are 0.2007 apart: a second push of
    // (0.46 - 0.2007) * 0.0075 = 0.001945, split the same way, lands on both;
    // the first civilian keeps 0.9 of its first push, the second moves by all.
    EXPECT_NEAR(actors[0].vx, -0.00158562f, 3e-6f);
    EXPECT_NEAR(actors[0].vy, -0.00211416f, 3e-6f);
    EXPECT_NEAR(actors[1].x, 4.12f + 0.000834595f, 1e-6f);
    EXPECT_NEAR(actors[1].y, 4.16f + 0.00111279f, 1e-6f);
    EXPECT_NEAR(actors[1].vx, 0.00150227f, 3e-6f);
    EXPECT_NEAR(actors[1].vy, 0.00200303f, 3e-6f);
}

// An actor (index 0) accelerates along its line, moves by f times its speed and
// keeps 1 - 0.2 f of it. The zombie at (2, 2) heads for the player 5 away along
// (0.6, 0.8) gaining 0.0045 * 0.5; the civilian at (3, 3) runs from the zombie
// 1.5 away along (-0.8, -0.6) gaining 0.0055 * 2.
TEST(Zombies, ZombiesSteerTowardsTheirTargetAndCiviliansFleeScaledByTheSpeedFactor)
{
    struct Case { Placed actor, other; float f, angle, dx, dy, vx, vy; };
    const Case cases[] = {
        {{kActorZombie, 2, 2}, {kActorPlayer, 5, 6}, 0.5f, 0.927295f, 0.000675f, 0.0009f, 0.001215f, 0.00162f},
        {{kActorCivilian, 3, 3}, {kActorZombie, 4.2f, 3.9f}, 2, -2.498092f, -0.0176f, -0.0132f, -0.00528f, -0.00396f},
    };
    for (const Case& c : cases) {
        openWorldWith({c.actor, c.other});
        cameraX = cameraY = 4;
        runActorStage(c.f);
        EXPECT_EQ(actors[0].target, 1) << "type " << c.actor.type;
        EXPECT_NEAR(actors[0].angle, c.angle, 1e-5f) << "type " << c.actor.type;
        EXPECT_NEAR(actors[0].x, c.actor.x + c.dx, 1e-6f) << "type " << c.actor.type;
        EXPECT_NEAR(actors[0].y, c.actor.y + c.dy, 1e-6f) << "type " << c.actor.type;
        EXPECT_NEAR(actors[0].vx, c.vx, 2e-6f) << "type " << c.actor.type;
        EXPECT_NEAR(actors[0].vy, c.vy, 2e-6f) << "type " << c.actor.type;
    }
}

// Civilians notice zombies within 2.5: one 2.2 away, not one 2.6 away.
TEST(Zombies, CiviliansFleeOnlyFromANearZombie)
{
    const float gaps[2] = {2.2f, 2.6f};
    for (int k = 0; k < 2; k++) {
        openWorldWith({{kActorCivilian, 2, 2}, {kActorZombie, 2 + gaps[k] * 0.8f, 2 + gaps[k] * 0.6f}});
        cameraX = cameraY = 4;
        runActorStage(1);
        EXPECT_EQ(actors[0].hasTarget, k == 0 ? 1 : 0) << "zombie " << gaps[k] << " away";
        EXPECT_EQ(actors[0].vx < 0, k == 0) << "zombie " << gaps[k] << " away";
    }
}

// At f = 0.5 a civilian moves half its speed and keeps 0.9 of it; a wall stops
// it 0.23 short, and it keeps only the move it made, less friction.
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
    EXPECT_NEAR(actors[0].x, 120.77f, 1e-5f);
    EXPECT_NEAR(actors[0].vx, 0.056f, 1e-4f);
}

// The camera square is closed: an actor exactly 14 from the camera centre along
// an axis stays, one a hundredth further vanishes. Calm civilians keep still,
// and the camera is off the diagonal so that x and y limits cannot be mixed up.
TEST(Zombies, ActorsVanishOnlyPastTheDespawnLine)
{
    openWorldWith({{kActorCivilian, 142, 120}, {kActorCivilian, 114, 120}, {kActorCivilian, 128, 134},
                   {kActorCivilian, 128, 106}, {kActorCivilian, 142.01f, 125}, {kActorCivilian, 131, 105.99f}});
    cameraX = 128;
    cameraY = 120;
    runActorStage(1);
    ASSERT_EQ(actorCount, 4);
    EXPECT_EQ(actors[0].x, 142.0f);
    EXPECT_EQ(actors[1].x, 114.0f);
    EXPECT_EQ(actors[2].y, 134.0f);
    EXPECT_EQ(actors[3].y, 106.0f);
}

TEST(Zombies, ThinkTickWrapsFromNineToZero)
{
    thinkTick = 8;
    advanceThinkTick();
    EXPECT_EQ(thinkTick, 9);
    advanceThinkTick();
    EXPECT_EQ(thinkTick, 0);
}

// Bitten to 0 by a zombie earlier in the list, a civilian rises in its own turn
// and bites at once; bitten by a later one, it rises in the next stage.
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
        EXPECT_EQ(actors[civilian].type, kActorZombie) << "zombie first " << zombieFirst;
        EXPECT_EQ(actors[civilian].health, 100.0f) << "zombie first " << zombieFirst;
        EXPECT_EQ(actorTypeCount[kActorZombie], 2) << "zombie first " << zombieFirst;
        EXPECT_EQ(actorTypeCount[kActorCivilian], 0) << "zombie first " << zombieFirst;
    }
}

// Zombies and civilians each spawn while below their own limit and their total
// below 500; a risen civilian may take the zombies past theirs.
TEST(Zombies, SpawningKeepsToItsLimitsAndTheRing)
{
    struct Case { int zombies, civilians, zombiesAfter, civiliansAfter; };
    const Case cases[] = {{0, 0, 1, 1},         {400, 0, 400, 1},   {0, 100, 1, 100},
                          {399, 99, 400, 100}, {450, 50, 450, 50}, {401, 1, 401, 2}};
    for (const Case& c : cases) {
        openWorld();
        addMany(kActorZombie, c.zombies);
        addMany(kActorCivilian, c.civilians);
        spawnActors(1);
        EXPECT_EQ(actorTypeCount[kActorZombie], c.zombiesAfter) << c.zombies << " zombies, " << c.civilians;
        EXPECT_EQ(actorTypeCount[kActorCivilian], c.civiliansAfter) << c.zombies << " zombies, " << c.civilians;
    }
    openWorld();
    addMany(kActorZombie, 400);
    addActor(kActorCivilian, 140, 140, 0, 0, 0);
    actors[actorCount - 1].health = 0;
    runActorStage(1);
    EXPECT_EQ(actorTypeCount[kActorZombie], 401);
    openWorld();
    for (int x = 110; x < 150; x++)
        std::fill(tileKind[x] + 110, tileKind[x] + 150, 0);
    spawnActors(1);
    EXPECT_EQ(actorCount, 0) << "a spawn that would land in a solid is dropped";
}

// Each spawn draws its direction in hundredths of a degree, then its ring
// distance in tenths past 8, then its facing, and addActor draws the think slot.
TEST(Zombies, SpawnsLandWhereTheirDrawsPutThem)
{
    openWorld();
    int draws[8];
    for (int& d : draws)
        d = rand();
    openWorld();
    spawnActors(1);
    ASSERT_EQ(actorCount, 2);
    for (int i = 0; i < 2; i++) {
        const int* d = draws + 4 * i;
        float direction = (d[0] % 36000) * 0.01f * 0.0174532925f;
        float ring = 8 + (d[1] % 30) * 0.1f;
        EXPECT_EQ(actors[i].type, i == 0 ? kActorZombie : kActorCivilian);
        EXPECT_NEAR(actors[i].x, 128 + cosf(direction) * ring, 1e-4f) << "actor " << i;
        EXPECT_NEAR(actors[i].y, 128 + sinf(direction) * ring, 1e-4f) << "actor " << i;
        EXPECT_NEAR(actors[i].angle, (d[2] % 36000) * 0.01f * 0.0174532925f, 1e-6f) << "actor " << i;
        EXPECT_EQ(actors[i].thinkSlot, d[3] % 10) << "actor " << i;
    }
}

// Dead zombies leave corpses facing as they did; one past the despawn line vanishes unscored.
TEST(Zombies, DeadZombiesScoreUnlessTheyAreBeyondTheDespawnLine)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128, 125}, {kActorZombie, 126, 128},
                   {kActorZombie, 128, 142.5f}, {kActorCivilian, 100.5f, 128}});
    for (int i = 1; i < 4; i++)
        actors[i].health = 0;
    runActorStage(1);
    EXPECT_EQ(killCount, 2);
    EXPECT_EQ(actorCount, 1);
    ASSERT_EQ(decalCount, 2);
    EXPECT_EQ(decals[0].kind, kDecalCorpse);
    EXPECT_EQ(decals[0].y, 125.0f);
    EXPECT_NEAR(decals[0].angle, 1.5708f, 1e-4f);
}

// A target is kept until the tick reaches the zombie's slot; without one it plans at once.
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
    EXPECT_EQ(actors[1].hasTarget, 1);
    EXPECT_EQ(actors[1].target, 2);
}

// The nearest player within 20, unless a civilian is strictly nearer; ties go to the earlier.
TEST(Zombies, ZombiesChaseTheNearestAndTiesGoToTheEarlier)
{
    EXPECT_EQ(targetOfZombieIn({{kActorPlayer, 127, 127}, {kActorPlayer, 129, 129}, {kActorZombie, 128, 128}}, 2), 0)
        << "both players sqrt(2) away on the diagonal";
    EXPECT_EQ(targetOfZombieIn({{kActorPlayer, 126, 128}, {kActorPlayer, 129, 128}, {kActorZombie, 128, 128}}, 2), 1)
        << "the later player is the nearer";
    EXPECT_EQ(targetOfZombieIn({{kActorPlayer, 126, 128}, {kActorPlayer, 130, 128}, {kActorZombie, 128, 128},
                                {kActorCivilian, 128, 131}}, 2), 0)
        << "two players 2 away and a civilian 3 away, nearer than neither";
    EXPECT_EQ(targetOfZombieIn({{kActorPlayer, 128, 130}, {kActorZombie, 128, 128}, {kActorCivilian, 128, 125.5f}}, 1), 0)
        << "the civilian 2.5 away loses to the player 2 away";
    EXPECT_EQ(targetOfZombieIn({{kActorPlayer, 148.5f, 128}, {kActorZombie, 128, 128}}, 1), -1)
        << "a player 20.5 away is out of sight";
    EXPECT_EQ(targetOfZombieIn({{kActorPlayer, 147.5f, 128}, {kActorZombie, 128, 128}}, 1), 0)
        << "a player 19.5 away is seen";
}

}  // namespace
