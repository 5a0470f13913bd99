// The actor, projectile and explosion stages, and the whole game step, with the
// world at its busiest: a generated city, 500 zombies and civilians packed
// around the player, 50 projectiles in flight, 50 explosions and 500 decals,
// the player sprinting and firing. Each iteration starts from the same
// prepared snapshot, restored outside the timing.
#include <benchmark/benchmark.h>

#include <cstring>

#include "sim/step.h"
#include "tests/busyworld.h"

namespace {

const int kSavedColumns = 40;     // map columns around the player restored each iteration

// Everything a step changes.
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
    float fireCooldown[kMaxPlayers];
    float energy[kMaxPlayers];
    float energyRegenDelay[kMaxPlayers];
    float cameraX, cameraY, cameraZoom;
    int32_t thinkTick;
    int32_t firstColumn;
    int32_t wallBoxCount[kSavedColumns][kMapSize];
    WallBox wallBoxes[kSavedColumns][kMapSize][kMaxWallBoxesPerCell];
};

Snapshot saved = {};
bool prepared = false;

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
    memcpy(saved.fireCooldown, fireCooldown, sizeof fireCooldown);
    memcpy(saved.energy, energy, sizeof energy);
    memcpy(saved.energyRegenDelay, energyRegenDelay, sizeof energyRegenDelay);
    saved.cameraX = cameraX;
    saved.cameraY = cameraY;
    saved.cameraZoom = cameraZoom;
    saved.thinkTick = thinkTick;
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
    memcpy(fireCooldown, saved.fireCooldown, sizeof fireCooldown);
    memcpy(energy, saved.energy, sizeof energy);
    memcpy(energyRegenDelay, saved.energyRegenDelay, sizeof energyRegenDelay);
    cameraX = saved.cameraX;
    cameraY = saved.cameraY;
    cameraZoom = saved.cameraZoom;
    thinkTick = saved.thinkTick;
    memcpy(wallBoxCount[saved.firstColumn], saved.wallBoxCount, sizeof saved.wallBoxCount);
    memcpy(wallBoxes[saved.firstColumn], saved.wallBoxes, sizeof saved.wallBoxes);
}

// Builds the busiest world once and keeps it.
void prepareBusyWorld()
{
    if (prepared)
        return;
    buildBusyWorld();
    takeSnapshot();
    prepared = true;
}

// Stages chosen by a bit mask, run in step order on a fresh copy of the busy world.
// 8 is the whole game step instead, players and spawning included.
const int kProjectiles = 1, kExplosions = 2, kActors = 4, kWholeStep = 8;

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
        if (stages & kWholeStep)
            stepGame(1);
    }
}

}  // namespace

// 4: actor stage, 1: projectile stage, 2: explosion stage, 7: all three, 8: the whole step.
BENCHMARK(BM_Stages)
    ->ArgName("stages")
    ->Arg(kActors)
    ->Arg(kProjectiles)
    ->Arg(kExplosions)
    ->Arg(kProjectiles | kExplosions | kActors)
    ->Arg(kWholeStep)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
