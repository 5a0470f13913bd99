// Gun traces, projectiles, explosions and wall cutting, each on a small
// hand-made open patch with hand-placed wall boxes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sim/shots.h"
#include "sim/zombies.h"
#include "world/world.h"

namespace {

// An empty open patch around the camera at (128, 128), void elsewhere.
void openWorld()
{
    resetWorld();
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            tileKind[x][y] = x >= 100 && x < 160 && y >= 100 && y < 160 ? 7 : 0;
    playerCount = 1;
    cameraX = 128;
    cameraY = 128;
    healthRegenDelay[0] = 0;
    srand(3);
}

void putWallBox(int cx, int cy, float x, float y, float width, float height)
{
    WallBox& b = wallBoxes[cx][cy][wallBoxCount[cx][cy]++];
    b.x = x;
    b.y = y;
    b.width = width;
    b.height = height;
}

void addProjectile(float x, float y, float vx, float fuse)
{
    projectiles[projectileCount++] = Projectile{0, x, y, vx, 0, 0, fuse};
}

void expectBox(int cx, int cy, int k, float x, float y, float width, float height)
{
    const WallBox& b = wallBoxes[cx][cy][k];
    EXPECT_NEAR(b.x, x, 1e-4f);
    EXPECT_NEAR(b.y, y, 1e-4f);
    EXPECT_NEAR(b.width, width, 1e-4f);
    EXPECT_NEAR(b.height, height, 1e-4f);
}

}  // namespace

TEST(Shots, EveryActorAtTheHitSampleIsHitAndTheTraceEndsThere)
{
    openWorld();
    addActor(kActorPlayer, 128, 128, 0, 0, 0);
    addActor(kActorZombie, 130, 127.95f, 0, 0, 0);
    addActor(kActorZombie, 130, 128.05f, 0, 0, 0);
    addActor(kActorZombie, 131, 128, 0, 0, 0);
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    ASSERT_EQ(tracerCount, 1);
    for (int i = 1; i <= 2; i++) {
        EXPECT_EQ(actors[i].health, 80.0f);
        EXPECT_EQ(actors[i].vx, kTraceShove);
        EXPECT_EQ(actors[i].thinkSlot, -1);
        EXPECT_EQ(actors[i].target, 0);
    }
    EXPECT_EQ(actors[3].health, 100.0f);
    EXPECT_EQ(actors[0].health, 100.0f);
    EXPECT_NEAR(tracers[0].endX, 130.0f, kTraceHitRadius);
}

TEST(Shots, PlayerHitByATraceTakesAQuarterAndSoDoesEveryoneBehindIt)
{
    openWorld();
    playerCount = 2;
    addActor(kActorPlayer, 128, 128, 0, 0, 0);
    addActor(kActorPlayer, 130, 128.05f, 0, 0, 0);
    addActor(kActorZombie, 130, 127.95f, 0, 0, 0);
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    EXPECT_EQ(actors[1].health, 95.0f);
    EXPECT_EQ(actors[2].health, 95.0f);
}

TEST(Shots, TraceStopsAtAFlyingProjectileWhichExplodesNextStep)
{
    openWorld();
    addActor(kActorPlayer, 128, 128, 0, 0, 0);
    addActor(kActorZombie, 131, 128, 0, 0, 0);
    addProjectile(130, 128, 0, 100);
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    EXPECT_EQ(projectiles[0].fuse, 0.0f);
    EXPECT_EQ(actors[1].health, 100.0f);
    EXPECT_NEAR(tracers[0].endX, 130.0f, kTraceHitRadius);
    runProjectileStage(1);
    EXPECT_EQ(projectileCount, 0);
    ASSERT_EQ(explosionCount, 1);
    EXPECT_EQ(explosions[0].x, 130.0f);
    runExplosionStage(1);
    EXPECT_FLOAT_EQ(actors[1].health, 100 - 0.5f * kExplosionDamage);
}

TEST(Shots, TraceStartingInsideAWallHitsOnlyWhatIsAtItsFirstSample)
{
    openWorld();
    putWallBox(128, 128, 128.0f, 128.0f, 0.5f, 1.0f);
    addActor(kActorPlayer, 127.8f, 128.5f, 0, 0, 0);
    addActor(kActorZombie, 128.2f, 128.5f, 0, 0, 0);
    addActor(kActorZombie, 129.5f, 128.5f, 0, 0, 0);
    fireTracer(0, 127.8f, 128.5f, 0.3f, 8, 20, 0);
    EXPECT_EQ(actors[1].health, 80.0f);
    EXPECT_EQ(actors[2].health, 100.0f);
    EXPECT_EQ(tracers[0].endX, tracers[0].startX);
    actors[1].x = 127;
    fireTracer(0, 127.8f, 128.5f, 0.3f, 8, 20, 0);
    EXPECT_EQ(actors[2].health, 100.0f);
    EXPECT_EQ(tracers[1].endX, tracers[1].startX);
}

TEST(Shots, ProjectileStrikesItsFirstObstacleAndExplodesTheStepAfter)
{
    openWorld();
    addActor(kActorPlayer, 128, 128, 0, 0, 0);
    putWallBox(130, 128, 130.0f, 128.0f, 0.2f, 0.6f);
    addProjectile(128.2f, 128.3f, 0.11f, 100);
    int steps = 0;
    while (projectiles[0].fuse > 0 && steps < 100) {
        runProjectileStage(1);
        steps++;
    }
    EXPECT_LT(projectiles[0].x, 130.0f);
    EXPECT_EQ(explosionCount, 0);
    runProjectileStage(1);
    EXPECT_EQ(explosionCount, 1);
    EXPECT_EQ(wallBoxCount[130][128], 0);
    addProjectile(150, 128, 0, 0);
    runProjectileStage(1);
    EXPECT_EQ(projectileCount, 0);
    EXPECT_EQ(explosionCount, 1);
}

TEST(Shots, ExplosionHurtsByClosenessAndPlayersFeelATenth)
{
    openWorld();
    addActor(kActorPlayer, 128, 128, 0, 0, 0);
    addActor(kActorZombie, 128, 128, 0, 0, 0);
    addActor(kActorZombie, 129.5f, 128, 0, 0, 0);
    addActor(kActorCivilian, 129.1f, 129.1f, 0, 0, 0);
    explosions[explosionCount++] = Explosion{128, 128, 0, kExplosionStrength};
    runExplosionStage(1);
    EXPECT_FLOAT_EQ(actors[0].health, 100 - 3.75f);
    EXPECT_EQ(healthRegenDelay[0], kPlayerHurtPause);
    EXPECT_FLOAT_EQ(actors[1].health, 100 - 37.5f);
    EXPECT_EQ(actors[1].thinkSlot, -1);
    EXPECT_EQ(actors[2].health, 100.0f);
    EXPECT_EQ(actors[3].health, 100.0f);
    EXPECT_EQ(explosions[0].strength, kExplosionStrength - kExplosionDecay);
    for (int step = 2; step <= 7; step++) {
        EXPECT_EQ(explosionCount, 1) << "before step " << step;
        runExplosionStage(1);
    }
    EXPECT_EQ(explosionCount, 0);
    explosions[explosionCount++] = Explosion{128, 128, 0, kExplosionDecay};
    runExplosionStage(1);
    EXPECT_EQ(explosionCount, 0);
}

TEST(Shots, CraterSplitsALongWallAndDropsSliversTooThinToKeep)
{
    openWorld();
    for (int cx = 127; cx <= 130; cx++)
        putWallBox(cx, 128, cx, 128.4f, 1.0f, 0.2f);
    carveWalls(128.4f, 127.9f, kCraterSize, kCraterSize);
    EXPECT_EQ(wallBoxCount[127][128], 1);
    ASSERT_EQ(wallBoxCount[128][128], 1);
    expectBox(128, 128, 0, 128.0f, 128.4f, 0.4f, 0.2f);
    ASSERT_EQ(wallBoxCount[129][128], 1);
    expectBox(129, 128, 0, 129.6f, 128.4f, 0.4f, 0.2f);
    EXPECT_EQ(wallBoxCount[130][128], 1);

    openWorld();
    putWallBox(128, 128, 128.0f, 128.28f, 0.6f, 0.62f);
    carveWalls(128.1f, 128.3f, kCraterSize, kCraterSize);
    ASSERT_EQ(wallBoxCount[128][128], 1);
    expectBox(128, 128, 0, 128.0f, 128.28f, 0.1f, 0.62f);

    openWorld();
    putWallBox(128, 128, 128.2f, 128.2f, 0.3f, 0.3f);
    putWallBox(128, 128, 128.6f, 128.6f, 0.3f, 0.3f);
    carveWalls(128.1f, 128.1f, kCraterSize, kCraterSize);
    EXPECT_EQ(wallBoxCount[128][128], 0);
}

TEST(Shots, CraterInAFullCellLosesThePiecesThatDoNotFit)
{
    openWorld();
    putWallBox(128, 128, 128.0f, 128.0f, 1.0f, 0.1f);
    for (int k = 1; k < 6; k++)
        putWallBox(128, 128, 128.0f, 128.1f + k * 0.15f, 1.0f, 0.1f);
    carveWalls(128.3f, 127.5f, 0.4f, 0.55f);
    ASSERT_EQ(wallBoxCount[128][128], 6);
    expectBox(128, 128, 5, 128.0f, 128.0f, 0.3f, 0.1f);
    for (int k = 0; k < 6; k++)
        EXPECT_FALSE(wallBoxes[128][128][k].x >= 128.7f) << k;
}
