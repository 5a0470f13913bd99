// Gun traces, projectiles, explosions and wall cutting, each on a small
// hand-made open patch with hand-placed wall boxes.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "sim/shots.h"
#include "sim/zombies.h"
#include "tests/testworld.h"

namespace {

// A bomb in flight along +x with the given fuse (0: struck, it blows up in the next projectile stage).
void addProjectile(float x, float y, float vx, float fuse) { projectiles[projectileCount++] = Projectile{0, x, y, vx, 0, 0, fuse}; }

// Box k of the cell, rounded to a ten-thousandth so cut pieces compare cleanly.
std::tuple<float, float, float, float> box(int cx, int cy, int k)
{
    const WallBox& b = wallBoxes[cx][cy][k];
    auto round = [](float v) { return std::round(v * 1e4f) / 1e4f; };
    return std::make_tuple(round(b.x), round(b.y), round(b.width), round(b.height));
}

}  // namespace

// Every actor at the hit sample is hit, shoved and locked on player 0; a player
// hit takes a quarter, and so does everyone else hit at that sample.
TEST(Shots, EveryActorAtTheHitSampleIsHitAndTheTraceEndsThere)
{
    for (int playerInLine = 0; playerInLine < 2; playerInLine++) {
        openWorldWith({{kActorPlayer, 128, 128}, {playerInLine ? kActorPlayer : kActorZombie, 130, 128.05f},
                       {kActorZombie, 130, 127.95f}, {kActorZombie, 131, 128}});
        playerCount = 2;
        fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
        ASSERT_EQ(tracerCount, 1);
        float hurt = playerInLine ? 95.0f : 80.0f;
        EXPECT_EQ(std::make_tuple(actors[1].health, actors[2].health), std::make_tuple(hurt, hurt));
        EXPECT_EQ(std::make_tuple(actors[2].vx, actors[2].thinkSlot, actors[2].target),
                  std::make_tuple(kTraceShove, -1, 0));
        EXPECT_EQ(std::make_tuple(actors[0].health, actors[3].health), std::make_tuple(100.0f, 100.0f));
        EXPECT_NEAR(tracers[0].endX, 130.0f, kTraceHitRadius);
    }
}

TEST(Shots, TraceStopsAtAFlyingProjectileWhichExplodesNextStep)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 131, 128.2f}});
    addProjectile(130, 128.2f, 0, 100);   // 0.2 off the line of fire
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    EXPECT_EQ(std::make_tuple(projectiles[0].fuse, actors[1].health), std::make_tuple(0.0f, 100.0f));
    EXPECT_NEAR(tracers[0].endX, 130.0f, kTraceHitRadius);
    runProjectileStage(1);
    ASSERT_EQ(std::make_tuple(projectileCount, explosionCount), std::make_tuple(0, 1));
    EXPECT_EQ(explosions[0].x, 130.0f);
    runExplosionStage(1);
    EXPECT_FLOAT_EQ(actors[1].health, 100 - 0.5f * kExplosionDamage);
}

TEST(Shots, TraceStartingInsideAWallHitsOnlyWhatIsAtItsFirstSample)
{
    openWorldWith({{kActorPlayer, 127.8f, 128.5f}, {kActorZombie, 128.2f, 128.5f}, {kActorZombie, 129.5f, 128.5f}});
    putWallBox(128, 128, 128.0f, 128.0f, 0.5f, 1.0f);
    fireTracer(0, 127.8f, 128.5f, 0.3f, 8, 20, 0);
    EXPECT_EQ(std::make_tuple(actors[1].health, actors[2].health), std::make_tuple(80.0f, 100.0f));
    EXPECT_EQ(tracers[0].endX, tracers[0].startX);
    actors[1].x = 127;
    fireTracer(0, 127.8f, 128.5f, 0.3f, 8, 20, 0);
    EXPECT_EQ(actors[2].health, 100.0f);
    EXPECT_EQ(tracers[1].endX, tracers[1].startX);
}

TEST(Shots, ProjectileStrikesItsFirstObstacleAndExplodesTheStepAfter)
{
    openWorldWith({{kActorPlayer, 128, 128}});
    putWallBox(130, 128, 130.0f, 128.0f, 0.2f, 0.6f);
    addProjectile(128.2f, 128.3f, 0.11f, 100);
    for (int steps = 0; projectiles[0].fuse > 0 && steps < 100; steps++)
        runProjectileStage(1);
    EXPECT_LT(projectiles[0].x, 130.0f);
    EXPECT_EQ(explosionCount, 0);
    runProjectileStage(1);
    EXPECT_EQ(std::make_tuple(explosionCount, wallBoxCount[130][128]), std::make_tuple(1, 0));
    addProjectile(150, 128, 0, 0);   // struck, but beyond the camera's range: gone without a blast
    runProjectileStage(1);
    EXPECT_EQ(std::make_tuple(projectileCount, explosionCount), std::make_tuple(0, 1));
}

TEST(Shots, ExplosionHurtsByClosenessAndPlayersFeelATenth)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128, 128}, {kActorZombie, 129.5f, 128},
                   {kActorCivilian, 129.1f, 129.1f}, {kActorCivilian, 128, 128.5f}});
    explosions[explosionCount++] = Explosion{128, 128, 0, kExplosionStrength};
    runExplosionStage(1);
    EXPECT_FLOAT_EQ(actors[0].health, 100 - 3.75f);
    EXPECT_FLOAT_EQ(actors[1].health, 100 - 37.5f);
    EXPECT_EQ(std::make_tuple(healthRegenDelay[0], actors[1].thinkSlot), std::make_tuple(kPlayerHurtPause, -1));
    EXPECT_EQ(std::make_tuple(actors[2].health, actors[3].health), std::make_tuple(100.0f, 100.0f));
    EXPECT_GT(actors[4].vy, 0.0f) << "shoved away from the centre";
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
    EXPECT_EQ(std::make_tuple(wallBoxCount[127][128], wallBoxCount[128][128], wallBoxCount[129][128], wallBoxCount[130][128]),
              std::make_tuple(1, 1, 1, 1));
    EXPECT_EQ(box(128, 128, 0), std::make_tuple(128.0f, 128.4f, 0.4f, 0.2f));
    EXPECT_EQ(box(129, 128, 0), std::make_tuple(129.6f, 128.4f, 0.4f, 0.2f));

    openWorld();   // the piece right of the crater would be 0.02 wide
    putWallBox(128, 128, 128.0f, 128.28f, 0.6f, 0.62f);
    carveWalls(128.1f, 128.3f, kCraterSize, kCraterSize);
    ASSERT_EQ(wallBoxCount[128][128], 1);
    EXPECT_EQ(box(128, 128, 0), std::make_tuple(128.0f, 128.28f, 0.1f, 0.62f));

    openWorld();
    putWallBox(128, 128, 128.2f, 128.2f, 0.3f, 0.3f);
    putWallBox(128, 128, 128.6f, 128.6f, 0.3f, 0.3f);
    carveWalls(128.1f, 128.1f, kCraterSize, kCraterSize);
    EXPECT_EQ(wallBoxCount[128][128], 0);
}

TEST(Shots, CraterInAFullCellLosesThePiecesThatDoNotFit)
{
    openWorld();
    for (int k = 0; k < 6; k++)
        putWallBox(128, 128, 128.0f, k == 0 ? 128.0f : 128.1f + k * 0.15f, 1.0f, 0.1f);
    carveWalls(128.3f, 127.5f, 0.4f, 0.55f);
    ASSERT_EQ(wallBoxCount[128][128], 6);
    EXPECT_EQ(box(128, 128, 5), std::make_tuple(128.0f, 128.0f, 0.3f, 0.1f));
    for (int k = 0; k < 6; k++)
        EXPECT_LT(wallBoxes[128][128][k].x, 128.7f) << k;
}
