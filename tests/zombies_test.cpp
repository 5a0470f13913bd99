// Zombies and civilians at the boundaries of their rules that recorded games
// seldom reach: contact and bites, deaths, despawning and the population caps,
// each on a small hand-made open patch of the map.
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

// Centres must be strictly closer than 0.46 (in the circle, not its square);
// a bite then takes 0.5 health per step unit and starts the hurt pause of 60.
// The biter's own bleed pause runs down by f.
// The player stands at 0.46 so that 0.46 + 0.46 - 0.46 is exactly 0.46.
TEST(Zombies, ABiteNeedsCentresStrictlyCloserThanTheContactDistanceAndScales)
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
        EXPECT_EQ(actors[1].bleedTimer, -c.f) << "offset " << c.dx << " at f " << c.f;
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
    EXPECT_FALSE(std::isnan(actors[1].vx) || std::isnan(actors[1].vy));
    EXPECT_EQ(actors[0].bleedTimer, 10.0f);
    EXPECT_EQ(decalCount, 1);
    runActorStage(1);
    EXPECT_EQ(decalCount, 2) << "the player waits out its bleed pause, the civilian bleeds from now on";
}

// The camera square is closed: an actor exactly 14 from the camera centre along
// an axis stays, one a hundredth further vanishes. The camera is off the
// diagonal so that x and y limits cannot be mixed up.
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

// Dead zombies leave corpses facing as they did and score, at exactly 0
// health too; one past the despawn line vanishes unscored. The actor after a
// removed one still takes its turn.
TEST(Zombies, DeadZombiesScoreUnlessTheyAreBeyondTheDespawnLine)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128, 125}, {kActorZombie, 126, 128},
                   {kActorZombie, 128, 142.5f}, {kActorCivilian, 100.5f, 128}, {kActorZombie, 130, 130}});
    for (int i = 1; i < 4; i++)
        actors[i].health = 0;
    actors[5].health = -5;
    runActorStage(1);
    EXPECT_EQ(killCount, 3);
    EXPECT_EQ(actorCount, 1);
    ASSERT_EQ(decalCount, 3);
    EXPECT_EQ(decals[0].kind, kDecalCorpse);
    EXPECT_EQ(decals[0].y, 125.0f);
    EXPECT_NEAR(decals[0].angle, 1.5708f, 1e-4f);
}

// Zombies and civilians each spawn while below their own cap (400, 100) and
// their total below 500; a risen civilian may take the zombies past theirs.
// A spawn that would land in a solid is dropped.
TEST(Zombies, SpawningKeepsToTheCaps)
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
    EXPECT_EQ(actorCount, 0);
}

}  // namespace
