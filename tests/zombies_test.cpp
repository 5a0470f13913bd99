// Zombies and civilians at the boundaries of their rules: contact and bites,
// who chases whom, when plans change, rising, deaths, despawning and the
// population caps, each on a small hand-made open patch of the map.
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

// After one actor stage of the scene, the target of its first zombie or
// civilian (the first actor that is not a player), or -1.
int targetAfterOneStage(std::initializer_list<Placed> scene, int players)
{
    openWorldWith(scene);
    playerCount = players;
    runActorStage(1);
    int i = 0;
    while (actors[i].type == kActorPlayer)
        i++;
    return actors[i].hasTarget ? actors[i].target : -1;
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

// Zombies take the nearest player within 20, unless a civilian is strictly
// nearer; ties go to the earlier. Civilians run from a zombie within 2.5.
TEST(Zombies, ZombiesChaseTheNearestWithinSightAndCiviliansFleeTheNearZombie)
{
    EXPECT_EQ(targetAfterOneStage({{kActorPlayer, 127, 127}, {kActorPlayer, 129, 129}, {kActorZombie, 128, 128}}, 2), 0)
        << "both players sqrt(2) away on the diagonal";
    EXPECT_EQ(targetAfterOneStage({{kActorPlayer, 126, 128}, {kActorPlayer, 129, 128}, {kActorZombie, 128, 128}}, 2), 1)
        << "the later player is the nearer";
    EXPECT_EQ(targetAfterOneStage({{kActorPlayer, 126, 128}, {kActorPlayer, 130, 128}, {kActorZombie, 128, 128},
                                   {kActorCivilian, 128, 131}}, 2), 0)
        << "two players 2 away and a civilian 3 away, nearer than neither";
    EXPECT_EQ(targetAfterOneStage({{kActorPlayer, 128, 130}, {kActorZombie, 128, 128}, {kActorCivilian, 128, 125.5f}}, 1), 0)
        << "the civilian 2.5 away loses to the player 2 away";
    EXPECT_EQ(targetAfterOneStage({{kActorPlayer, 148.5f, 128}, {kActorZombie, 128, 128}}, 1), -1)
        << "a player 20.5 away is out of sight";
    EXPECT_EQ(targetAfterOneStage({{kActorPlayer, 147.5f, 128}, {kActorZombie, 128, 128}}, 1), 0)
        << "a player 19.5 away is seen";
    EXPECT_EQ(targetAfterOneStage({{kActorCivilian, 120, 120}, {kActorZombie, 121.76f, 121.32f}}, 0), 1)
        << "a zombie 2.2 away";
    EXPECT_EQ(targetAfterOneStage({{kActorCivilian, 120, 120}, {kActorZombie, 122.08f, 121.56f}}, 0), -1)
        << "a zombie 2.6 away";
}

// A target is kept until the tick reaches the zombie's slot; without one it
// plans at once. The tick runs 0..9.
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
    thinkTick = 8;
    advanceThinkTick();
    EXPECT_EQ(thinkTick, 9);
    advanceThinkTick();
    EXPECT_EQ(thinkTick, 0);
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

// Bitten to 0 by a zombie earlier in the list, a civilian rises in its own turn
// and bites at once; bitten by a later one, it rises in the next stage.
TEST(Zombies, ABittenCivilianRisesInItsOwnTurnAndBitesAtOnce)
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
