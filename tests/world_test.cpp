// The shared world lists at their edges: a fresh actor, a full actor list,
// removal with the targets that point past it, the decal list that forgets
// its oldest mark, and emptying the world.
#include <gtest/gtest.h>

#include "world/world.h"

namespace {

// Every test starts from an empty world.
struct World : ::testing::Test {
    void SetUp() override { resetWorld(); }
};

// Adds count zombies at x = 0, 1, 2, ... so each can be told apart.
void addZombies(int count)
{
    for (int i = 0; i < count; i++)
        addActor(kActorZombie, (float)actorCount, 0, 0, 0, 0);
}

// A slot reused after a removal starts fresh: full health, no target, no
// bleed pause left over from the actor that had it.
TEST_F(World, AnAddedActorStartsFreshInAReusedSlot)
{
    actors[0].hasTarget = 1, actors[0].target = 4, actors[0].bleedTimer = 5, actors[0].health = -3;
    addActor(kActorCivilian, 1.5f, 2.5f, 0.1f, -0.2f, 3.0f);
    const Actor& a = actors[0];
    EXPECT_EQ(a.type, kActorCivilian);
    EXPECT_EQ(a.hasTarget, 0);
    EXPECT_EQ(a.y, 2.5f);
    EXPECT_EQ(a.vy, -0.2f);
    EXPECT_EQ(a.angle, 3.0f);
    EXPECT_EQ(a.health, 100.0f);
    EXPECT_EQ(a.bleedTimer, 0.0f);
    EXPECT_GE(a.thinkSlot, 0);
    EXPECT_LT(a.thinkSlot, 10);
    EXPECT_EQ(actorTypeCount[kActorCivilian], 1);
}

// A full list takes nothing, and draws no random number that a recorded
// game would then miss.
TEST_F(World, AFullActorListTakesNothingAndDrawsNoRandomNumber)
{
    addZombies(kMaxActors);
    uint64_t draws = randomDraws;
    addActor(kActorCivilian, 9, 9, 0, 0, 0);
    EXPECT_EQ(randomDraws, draws);
    EXPECT_EQ(actorCount, kMaxActors);
    EXPECT_EQ(actorTypeCount[kActorCivilian], 0);
    EXPECT_EQ(actors[kMaxActors - 1].x, (float)(kMaxActors - 1));
}

TEST_F(World, RemovingAnActorShiftsTheRestDownMendsTargetsAndCountsTypes)
{
    addZombies(8);
    const int chaser[] = {0, 1, 2, 6, 7};
    const int target[] = {5, 3, 1, 7, 6};
    for (int k = 0; k < 5; k++) {
        actors[chaser[k]].hasTarget = chaser[k] == 7 ? 0 : 1;
        actors[chaser[k]].target = target[k];
    }
    removeActor(3);
    ASSERT_EQ(actorCount, 7);
    EXPECT_EQ(actors[3].x, 4.0f);
    EXPECT_EQ(actorTypeCount[kActorZombie], 7);
    EXPECT_EQ(actors[0].target, 4) << "the chaser of 5 now chases it at 4";
    EXPECT_EQ(actors[1].hasTarget, 0) << "the chaser of the removed actor gives up";
    EXPECT_EQ(actors[1].target, 3) << "its old target value is left as it was";
    EXPECT_EQ(actors[2].target, 1) << "targets below the removed one stay";
    EXPECT_EQ(actors[5].target, 6) << "a moved chaser's target moves too";
    EXPECT_EQ(actors[6].target, 6) << "targets are only mended while hasTarget is 1";
}

TEST_F(World, DecalsAppendUntilFullThenForgetTheOldest)
{
    for (int i = 0; i < kMaxDecals; i++)
        addDecal(kDecalBlood, (float)i, 0, 0);
    addDecal(kDecalCorpse, 1000, 1, 2);
    EXPECT_EQ(decalCount, kMaxDecals);
    EXPECT_EQ(decals[0].x, 1.0f) << "decal 0 was dropped and the rest shifted";
    EXPECT_EQ(decals[1].x, 2.0f);
    EXPECT_EQ(decals[kMaxDecals - 2].x, (float)(kMaxDecals - 1));
    const Decal& d = decals[kMaxDecals - 1];
    EXPECT_EQ(d.kind, kDecalCorpse);
    EXPECT_EQ(d.y, 1.0f);
    EXPECT_EQ(d.angle, 2.0f);
}

TEST_F(World, ResetEmptiesEveryListButKeepsTheMapAndTheScore)
{
    tileKind[3][4] = 12;
    wallBoxCount[255][0] = 7, obstacleCount[0][255] = 2;
    tracerCount = projectileCount = explosionCount = 3;
    addDecal(kDecalBlood, 0, 0, 0);
    addZombies(3);
    killCount = 9;
    resetWorld();
    EXPECT_EQ(actorCount, 0);
    EXPECT_EQ(actorTypeCount[kActorZombie], 0);
    EXPECT_EQ(tracerCount, 0);
    EXPECT_EQ(decalCount, 0);
    EXPECT_EQ(projectileCount, 0);
    EXPECT_EQ(explosionCount, 0);
    EXPECT_EQ(wallBoxCount[255][0], 0);
    EXPECT_EQ(obstacleCount[0][255], 0);
    EXPECT_EQ(tileKind[3][4], 12);
    EXPECT_EQ(killCount, 9);
}

}  // namespace
