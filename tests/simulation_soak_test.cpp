// A long randomized run through a generated city: spawns, shots, throws and
// the stages in step order, with the world's invariants checked every step.
#include <gtest/gtest.h>

#include <algorithm>
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

// A NaN or infinity in any of the four makes their sum one too.
bool finite(float a, float b, float c, float d) { return std::isfinite(a + b + c + d); }

// The wall boxes of the cells within `reach` of (x, y): a sane count, finite,
// thick enough and inside their cell.
void checkCellsAround(float x, float y, int reach)
{
    for (int cx = std::max((int)x - reach, 0); cx <= (int)x + reach && cx < kMapSize; cx++)
        for (int cy = std::max((int)y - reach, 0); cy <= (int)y + reach && cy < kMapSize; cy++) {
            ASSERT_TRUE(wallBoxCount[cx][cy] >= 0 && wallBoxCount[cx][cy] <= kMaxWallBoxesPerCell);
            for (const WallBox* b = wallBoxes[cx][cy]; b < wallBoxes[cx][cy] + wallBoxCount[cx][cy]; b++) {
                ASSERT_TRUE(finite(b->x, b->y, b->width, b->height));
                ASSERT_TRUE(b->width > kThinnestWallBox && b->height > kThinnestWallBox) << cx << "," << cy;
                ASSERT_TRUE(b->x >= cx - kCellSlack && b->y >= cy - kCellSlack && b->x + b->width <= cx + 1 + kCellSlack &&
                            b->y + b->height <= cy + 1 + kCellSlack) << cx << "," << cy;
            }
        }
}

// Counts within capacity, type counters that match the actors, players first,
// targets that name live actors, and no infinite or NaN value anywhere.
void checkLists()
{
    const int counts[5] = {actorCount, tracerCount, decalCount, projectileCount, explosionCount};
    const int capacities[5] = {kMaxActors, kMaxTracers, kMaxDecals, kMaxProjectiles, kMaxExplosions};
    for (int k = 0; k < 5; k++)
        ASSERT_TRUE(counts[k] >= 0 && counts[k] <= capacities[k]) << "list " << k;
    int counted[kActorTypeSlots] = {};
    for (int i = 0; i < actorCount; i++) {
        const Actor& a = actors[i];
        ASSERT_TRUE(a.type >= 0 && a.type < kActorTypeSlots);
        counted[a.type]++;
        ASSERT_EQ(a.type == kActorPlayer, i < playerCount) << "actor " << i;
        ASSERT_TRUE(a.hasTarget != 1 || (a.target >= 0 && a.target < actorCount)) << "actor " << i;
        ASSERT_TRUE(finite(a.x, a.y, a.vx, a.vy) && finite(a.angle, a.health, a.bleedTimer, 0));
    }
    for (int t = 0; t < kActorTypeSlots; t++)
        ASSERT_EQ(actorTypeCount[t], counted[t]) << "type " << t;
    for (const Projectile* p = projectiles; p < projectiles + projectileCount; p++)
        ASSERT_TRUE(finite(p->x, p->y, p->vx, p->vy) && std::isfinite(p->fuse));
    for (const Explosion* e = explosions; e < explosions + explosionCount; e++)
        ASSERT_TRUE(finite(e->x, e->y, e->strength, 0));
    for (const Decal* d = decals; d < decals + decalCount; d++)
        ASSERT_TRUE(finite(d->x, d->y, d->angle, 0));
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
    int mostActors = 0, mostExplosions = 0;
    for (int step = 0; step < kSteps; step++) {
        float f = 0.2f + (rand() % 19) * 0.1f;
        tracerCount = 0;
        actAsPlayer();
        runProjectileStage(f);
        runExplosionStage(f);
        spawnActors(f);
        advanceThinkTick();
        runActorStage(f);
        cameraX = actors[0].x, cameraY = actors[0].y;
        actors[0].health = 100;
        checkLists();
        checkCellsAround(cameraX, cameraY, kCheckedCells);
        if (HasFatalFailure())
            FAIL() << "at step " << step;
        mostActors = std::max(mostActors, actorCount);
        mostExplosions = std::max(mostExplosions, explosionCount);
    }
    checkCellsAround(kMapSize / 2, kMapSize / 2, kMapSize / 2);
    EXPECT_GT(mostActors, 100);
    EXPECT_GT(mostExplosions, 0);
    EXPECT_GT(killCount, 0);
}
