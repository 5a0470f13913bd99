// The shared world operations: adding and removing actors with their targets,
// the decal list that forgets its oldest mark, and emptying the world.
#include <gtest/gtest.h>

#include <cstdlib>

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

TEST_F(World, AddActorStartsAFreshActorAndCountsItsType)
{
    srand(77);
    int expectedSlot = rand() % 10;
    srand(77);
    actors[0].hasTarget = 1;
    actors[0].bleedTimer = 5;
    addActor(kActorCivilian, 1.5f, 2.5f, 0.1f, -0.2f, 3.0f);
    ASSERT_EQ(actorCount, 1);
    const Actor& a = actors[0];
    EXPECT_EQ(a.type, kActorCivilian);
    EXPECT_EQ(a.hasTarget, 0);
    EXPECT_EQ(a.target, 0);
    EXPECT_EQ(a.thinkSlot, expectedSlot);
    EXPECT_EQ(a.x, 1.5f);
    EXPECT_EQ(a.y, 2.5f);
    EXPECT_EQ(a.vx, 0.1f);
    EXPECT_EQ(a.vy, -0.2f);
    EXPECT_EQ(a.angle, 3.0f);
    EXPECT_EQ(a.health, 100.0f);
    EXPECT_EQ(a.bleedTimer, 0.0f);
    EXPECT_EQ(actorTypeCount[kActorCivilian], 1);
}

TEST_F(World, ThinkSlotsCoverAllTenSteps)
{
    srand(1);
    addZombies(200);
    bool seen[10] = {};
    for (int i = 0; i < actorCount; i++) {
        ASSERT_GE(actors[i].thinkSlot, 0);
        ASSERT_LT(actors[i].thinkSlot, 10);
        seen[actors[i].thinkSlot] = true;
    }
    for (int s = 0; s < 10; s++)
        EXPECT_TRUE(seen[s]) << "slot " << s;
}

TEST_F(World, AFullActorListTakesNothingAndDrawsNoRandomNumber)
{
    addZombies(kMaxActors);
    ASSERT_EQ(actorCount, kMaxActors);
    Actor last = actors[kMaxActors - 1];
    srand(5);
    int next = rand();
    srand(5);
    addActor(kActorCivilian, 9, 9, 0, 0, 0);
    EXPECT_EQ(rand(), next);
    EXPECT_EQ(actorCount, kMaxActors);
    EXPECT_EQ(actorTypeCount[kActorZombie], kMaxActors);
    EXPECT_EQ(actorTypeCount[kActorCivilian], 0);
    EXPECT_EQ(actors[kMaxActors - 1].x, last.x);
}

TEST_F(World, RemovingAnActorShiftsTheRestDownInOrder)
{
    addActor(kActorPlayer, 0, 0, 0, 0, 0);
    addZombies(4);
    addActor(kActorCivilian, 5, 0, 0, 0, 0);
    removeActor(2);
    ASSERT_EQ(actorCount, 5);
    const float expectedX[] = {0, 1, 3, 4, 5};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(actors[i].x, expectedX[i]) << "actor " << i;
    EXPECT_EQ(actorTypeCount[kActorPlayer], 1);
    EXPECT_EQ(actorTypeCount[kActorZombie], 3);
    EXPECT_EQ(actorTypeCount[kActorCivilian], 1);
}

TEST_F(World, RemovalMendsTargetsAboveAndDropsTargetsOfTheRemoved)
{
    addZombies(8);
    actors[0].hasTarget = 1;
    actors[0].target = 5;
    actors[1].hasTarget = 1;
    actors[1].target = 3;
    actors[2].hasTarget = 1;
    actors[2].target = 1;
    actors[6].hasTarget = 1;
    actors[6].target = 7;
    actors[7].hasTarget = 0;
    actors[7].target = 6;
    removeActor(3);
    EXPECT_EQ(actors[0].hasTarget, 1);
    EXPECT_EQ(actors[0].target, 4) << "the chaser of 5 now chases it at 4";
    EXPECT_EQ(actors[1].hasTarget, 0) << "the chaser of the removed actor gives up";
    EXPECT_EQ(actors[1].target, 3) << "its old target value is left as it was";
    EXPECT_EQ(actors[2].target, 1) << "targets below the removed one stay";
    EXPECT_EQ(actors[5].target, 6) << "a moved chaser's target moves too";
    EXPECT_EQ(actors[6].target, 6) << "targets are only mended while hasTarget is 1";
    for (int i = 0; i < actorCount; i++) {
        if (actors[i].hasTarget == 1) {
            EXPECT_LT(actors[i].target, actorCount);
        }
    }
}

TEST_F(World, RemovingTheLastActorLeavesAnEmptyList)
{
    addZombies(1);
    actors[0].hasTarget = 1;
    actors[0].target = 0;
    removeActor(0);
    EXPECT_EQ(actorCount, 0);
    EXPECT_EQ(actorTypeCount[kActorZombie], 0);
}

TEST_F(World, AnActorOfAnUnknownTypeLeavesTheTypeCountsAlone)
{
    addZombies(2);
    actors[0].type = 40;
    actors[1].type = -3;
    removeActor(1);
    removeActor(0);
    EXPECT_EQ(actorCount, 0);
    EXPECT_EQ(actorTypeCount[kActorZombie], 2);
    actorTypeCount[kActorZombie] = 0;
}

TEST_F(World, DecalsAppendUntilFullThenForgetTheOldest)
{
    for (int i = 0; i < kMaxDecals; i++)
        addDecal(kDecalBlood, (float)i, 0, 0);
    ASSERT_EQ(decalCount, kMaxDecals);
    addDecal(kDecalCorpse, 1000, 1, 2);
    EXPECT_EQ(decalCount, kMaxDecals);
    EXPECT_EQ(decals[0].x, 1.0f) << "decal 0 was dropped and the rest shifted";
    EXPECT_EQ(decals[kMaxDecals - 2].x, (float)(kMaxDecals - 1));
    EXPECT_EQ(decals[kMaxDecals - 1].kind, kDecalCorpse);
    EXPECT_EQ(decals[kMaxDecals - 1].x, 1000.0f);
    EXPECT_EQ(decals[kMaxDecals - 1].y, 1.0f);
    EXPECT_EQ(decals[kMaxDecals - 1].angle, 2.0f);
}

TEST_F(World, ResetEmptiesEveryListButKeepsTheMapAndTheGame)
{
    tileKind[3][4] = 12;
    tileRotation[3][4] = 2;
    wallBoxCount[255][0] = 7;
    obstacleCount[0][255] = 2;
    tracerCount = 10;
    projectileCount = 3;
    explosionCount = 4;
    addDecal(kDecalBlood, 0, 0, 0);
    addActor(kActorPlayer, 0, 0, 0, 0, 0);
    addZombies(3);
    addActor(kActorCivilian, 0, 0, 0, 0, 0);
    playerCount = 1;
    killCount = 9;
    bestKillCount = 20;
    thinkTick = 7;
    cameraZoom = 3;
    resetWorld();
    EXPECT_EQ(actorCount, 0);
    for (int t = 0; t < kActorTypeSlots; t++)
        EXPECT_EQ(actorTypeCount[t], 0) << "type " << t;
    EXPECT_EQ(tracerCount, 0);
    EXPECT_EQ(decalCount, 0);
    EXPECT_EQ(projectileCount, 0);
    EXPECT_EQ(explosionCount, 0);
    EXPECT_EQ(wallBoxCount[255][0], 0);
    EXPECT_EQ(obstacleCount[0][255], 0);
    EXPECT_EQ(tileKind[3][4], 12);
    EXPECT_EQ(tileRotation[3][4], 2);
    EXPECT_EQ(playerCount, 1);
    EXPECT_EQ(killCount, 9);
    EXPECT_EQ(bestKillCount, 20);
    EXPECT_EQ(thinkTick, 7);
    EXPECT_EQ(cameraZoom, 3.0f);
    tileKind[3][4] = 0;
    tileRotation[3][4] = 0;
}

}  // namespace
