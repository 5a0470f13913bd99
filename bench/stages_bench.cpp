// The actor, projectile and explosion stages, and the whole game step, with the
// world at its busiest: a generated city, 500 zombies and civilians packed
// around the player, 50 projectiles in flight, 50 explosions and 500 decals,
// the player sprinting and firing. Each iteration starts from the same
// prepared snapshot, restored outside the timing.
#include <benchmark/benchmark.h>

#include "sim/step.h"
#include "bench/snapshot.h"
#include "tests/busyworld.h"

namespace {

// Builds the busiest world once and keeps it.
void prepareBusyWorld()
{
    static bool prepared = false;
    if (!prepared) {
        buildBusyWorld();
        takeSnapshot();
    }
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
