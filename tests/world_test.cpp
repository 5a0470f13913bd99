// The shared world lists at the edges recorded games never reach: a full
// actor list, and emptying the world.
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
