// A long randomized run through a generated city: spawns, shots, throws and
// the stages in step order, with the world's invariants checked every step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "sim/shots.h"
#include "sim/zombies.h"
#include "world/levelgen.h"
#include "world/world.h"

namespace {

const int kSteps = 3000;
const int kCheckedCells = 17;  // cells either side of the camera checked every step
const float kCellSlack = 1e-4f;

bool finite(float v)
{
    return std::isfinite(v);
}

// Wall boxes of one cell: a sane count, inside the cell, thick enough.
void checkCell(int cx, int cy)
{
    ASSERT_GE(wallBoxCount[cx][cy], 0);
    ASSERT_LE(wallBoxCount[cx][cy], kMaxWallBoxesPerCell);
    for (int k = 0; k < wallBoxCount[cx][cy]; k++) {
        const WallBox& b = wallBoxes[cx][cy][k];
        ASSERT_TRUE(finite(b.x) && finite(b.y) && finite(b.width) && finite(b.height));
        ASSERT_GT(b.width, kThinnestWallBox) << cx << "," << cy;
        ASSERT_GT(b.height, kThinnestWallBox) << cx << "," << cy;
        ASSERT_GE(b.x, cx - kCellSlack);
        ASSERT_GE(b.y, cy - kCellSlack);
        ASSERT_LE(b.x + b.width, cx + 1 + kCellSlack);
        ASSERT_LE(b.y + b.height, cy + 1 + kCellSlack);
    }
}

void checkCellsAround(float x, float y, int reach)
{
    int x0 = (int)x - reach, y0 = (int)y - reach;
    for (int cx = x0 < 0 ? 0 : x0; cx <= x0 + 2 * reach && cx < kMapSize; cx++)
        for (int cy = y0 < 0 ? 0 : y0; cy <= y0 + 2 * reach && cy < kMapSize; cy++)
            checkCell(cx, cy);
}

void checkLists()
{
    ASSERT_TRUE(actorCount >= 0 && actorCount <= kMaxActors);
    ASSERT_TRUE(tracerCount >= 0 && tracerCount <= kMaxTracers);
    ASSERT_TRUE(decalCount >= 0 && decalCount <= kMaxDecals);
    ASSERT_TRUE(projectileCount >= 0 && projectileCount <= kMaxProjectiles);
    ASSERT_TRUE(explosionCount >= 0 && explosionCount <= kMaxExplosions);
    int counted[kActorTypeSlots] = {};
    for (int i = 0; i < actorCount; i++) {
        const Actor& a = actors[i];
        ASSERT_TRUE(a.type >= 0 && a.type < kActorTypeSlots);
        counted[a.type]++;
        ASSERT_EQ(a.type == kActorPlayer, i < playerCount) << "actor " << i;
        if (a.hasTarget == 1) {
            ASSERT_TRUE(a.target >= 0 && a.target < actorCount) << "actor " << i;
        }
        ASSERT_TRUE(finite(a.x) && finite(a.y) && finite(a.vx) && finite(a.vy));
        ASSERT_TRUE(finite(a.angle) && finite(a.health) && finite(a.bleedTimer));
    }
    for (int t = 0; t < kActorTypeSlots; t++)
        ASSERT_EQ(actorTypeCount[t], counted[t]) << "type " << t;
    for (int k = 0; k < projectileCount; k++) {
        const Projectile& p = projectiles[k];
        ASSERT_TRUE(finite(p.x) && finite(p.y) && finite(p.vx) && finite(p.vy) && finite(p.fuse));
    }
    for (int e = 0; e < explosionCount; e++)
        ASSERT_TRUE(finite(explosions[e].x) && finite(explosions[e].y) && finite(explosions[e].strength));
    for (int d = 0; d < decalCount; d++)
        ASSERT_TRUE(finite(decals[d].x) && finite(decals[d].y) && finite(decals[d].angle));
}

// The player's part of a step: wander, shoot at random and now and then throw.
void actAsPlayer()
{
    Actor& p = actors[0];
    float walk = (rand() % 360) * kDegreesToRadians;
    p.vx += cosf(walk) * 0.011f;
    p.vy += sinf(walk) * 0.011f;
    float aim = (rand() % 360) * kDegreesToRadians;
    if (rand() % 3 == 0)
        fireTracer(aim, p.x, p.y, 0.1f, 8 + (rand() % 100) * 0.01f, 20, 0);
    if (rand() % 25 == 0 && projectileCount < kMaxProjectiles)
        projectiles[projectileCount++] = Projectile{0, p.x + cosf(aim) * 0.25f, p.y + sinf(aim) * 0.25f,
                                                    cosf(aim) * 0.11f, sinf(aim) * 0.11f, aim, 100};
}

}  // namespace

TEST(SimulationSoak, ThousandsOfRandomStepsKeepTheWorldConsistent)
{
    srand(20240611);
    playerCount = 1;
    startNewGame();
    ASSERT_EQ(actorCount, 1);
    int mostActors = 0;
    int mostExplosions = 0;
    for (int step = 0; step < kSteps; step++) {
        float f = 0.2f + (rand() % 19) * 0.1f;
        tracerCount = 0;
        actAsPlayer();
        runProjectileStage(f);
        runExplosionStage(f);
        spawnActors(f);
        advanceThinkTick();
        runActorStage(f);
        cameraX = actors[0].x;
        cameraY = actors[0].y;
        actors[0].health = 100;
        checkLists();
        checkCellsAround(cameraX, cameraY, kCheckedCells);
        if (HasFatalFailure())
            FAIL() << "at step " << step;
        mostActors = actorCount > mostActors ? actorCount : mostActors;
        mostExplosions = explosionCount > mostExplosions ? explosionCount : mostExplosions;
    }
    checkCellsAround(kMapSize / 2, kMapSize / 2, kMapSize / 2);
    EXPECT_GT(mostActors, 100);
    EXPECT_GT(mostExplosions, 0);
    EXPECT_GT(killCount, 0);
}
