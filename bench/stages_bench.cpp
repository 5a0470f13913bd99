// The actor, projectile and explosion stages with the world at its busiest: a
// generated city, 500 zombies and civilians packed around the player, 50
// projectiles in flight, 50 explosions and 500 decals. Each iteration starts
// from the same prepared snapshot, restored outside the timing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sim/collision.h"
#include "sim/shots.h"
#include "sim/zombies.h"
#include "world/levelgen.h"
#include "world/world.h"

namespace {

const int kPackRadius = 10;       // actors stand within this many cells of the player
const int kSavedColumns = 40;     // map columns around the player restored each iteration

// Everything the three stages change.
struct Snapshot {
    Actor actors[kMaxActors];
    int32_t actorCount;
    int32_t actorTypeCount[kActorTypeSlots];
    Projectile projectiles[kMaxProjectiles];
    int32_t projectileCount;
    Explosion explosions[kMaxExplosions];
    int32_t explosionCount;
    Decal decals[kMaxDecals];
    int32_t decalCount;
    int32_t killCount;
    float healthRegenDelay[kMaxPlayers];
    int32_t firstColumn;
    int32_t wallBoxCount[kSavedColumns][kMapSize];
    WallBox wallBoxes[kSavedColumns][kMapSize][kMaxWallBoxesPerCell];
};

Snapshot saved = {};
bool prepared = false;

// A random free point near the player.
void freePointNearPlayer(float& x, float& y)
{
    do {
        x = actors[0].x + (rand() % (2000 * kPackRadius)) * 0.001f - kPackRadius;
        y = actors[0].y + (rand() % (2000 * kPackRadius)) * 0.001f - kPackRadius;
    } while (isBlocked(x, y, kActorRadius, true));
}

void takeSnapshot()
{
    memcpy(saved.actors, actors, sizeof actors);
    saved.actorCount = actorCount;
    memcpy(saved.actorTypeCount, actorTypeCount, sizeof actorTypeCount);
    memcpy(saved.projectiles, projectiles, sizeof projectiles);
    saved.projectileCount = projectileCount;
    memcpy(saved.explosions, explosions, sizeof explosions);
    saved.explosionCount = explosionCount;
    memcpy(saved.decals, decals, sizeof decals);
    saved.decalCount = decalCount;
    saved.killCount = killCount;
    memcpy(saved.healthRegenDelay, healthRegenDelay, sizeof healthRegenDelay);
    saved.firstColumn = (int)cameraX - kSavedColumns / 2;
    if (saved.firstColumn < 0)
        saved.firstColumn = 0;
    if (saved.firstColumn > kMapSize - kSavedColumns)
        saved.firstColumn = kMapSize - kSavedColumns;
    memcpy(saved.wallBoxCount, wallBoxCount[saved.firstColumn], sizeof saved.wallBoxCount);
    memcpy(saved.wallBoxes, wallBoxes[saved.firstColumn], sizeof saved.wallBoxes);
}

void restoreSnapshot()
{
    memcpy(actors, saved.actors, sizeof actors);
    actorCount = saved.actorCount;
    memcpy(actorTypeCount, saved.actorTypeCount, sizeof actorTypeCount);
    memcpy(projectiles, saved.projectiles, sizeof projectiles);
    projectileCount = saved.projectileCount;
    memcpy(explosions, saved.explosions, sizeof explosions);
    explosionCount = saved.explosionCount;
    memcpy(decals, saved.decals, sizeof decals);
    decalCount = saved.decalCount;
    killCount = saved.killCount;
    memcpy(healthRegenDelay, saved.healthRegenDelay, sizeof healthRegenDelay);
    memcpy(wallBoxCount[saved.firstColumn], saved.wallBoxCount, sizeof saved.wallBoxCount);
    memcpy(wallBoxes[saved.firstColumn], saved.wallBoxes, sizeof saved.wallBoxes);
}

// Builds the busiest world once: a city, the population packed around the
// player, projectiles flying outwards, full explosion and decal lists.
void prepareBusyWorld()
{
    if (prepared)
        return;
    srand(12345);
    playerCount = 1;
    startNewGame();
    float x, y;
    for (int i = 0; i < kMaxPopulation; i++) {
        freePointNearPlayer(x, y);
        addActor(i < kMaxZombies ? kActorZombie : kActorCivilian, x, y, 0, 0, 0);
    }
    for (int k = 0; k < kMaxProjectiles; k++) {
        freePointNearPlayer(x, y);
        float a = (rand() % 360) * kDegreesToRadians;
        projectiles[projectileCount++] = Projectile{0, x, y, cosf(a) * 0.11f, sinf(a) * 0.11f, a, 100};
    }
    for (int e = 0; e < kMaxExplosions; e++) {
        freePointNearPlayer(x, y);
        explosions[explosionCount++] = Explosion{x, y, 0, kExplosionStrength};
    }
    for (int d = 0; d < kMaxDecals; d++) {
        freePointNearPlayer(x, y);
        addDecal(d % 2, x, y, 0);
    }
    thinkTick = 3;
    takeSnapshot();
    prepared = true;
}

// Stages chosen by a bit mask, run in step order on a fresh copy of the busy world.
const int kProjectiles = 1, kExplosions = 2, kActors = 4;

void BM_Stages(benchmark::State& state)
{
    prepareBusyWorld();
    const int stages = (int)state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        restoreSnapshot();
        state.ResumeTiming();
        if (stages & kProjectiles)
            runProjectileStage(1);
        if (stages & kExplosions)
            runExplosionStage(1);
        if (stages & kActors)
            runActorStage(1);
    }
}

}  // namespace

// 4: actor stage, 1: projectile stage, 2: explosion stage, 7: all three.
BENCHMARK(BM_Stages)
    ->ArgName("stages")
    ->Arg(kActors)
    ->Arg(kProjectiles)
    ->Arg(kExplosions)
    ->Arg(kProjectiles | kExplosions | kActors)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
