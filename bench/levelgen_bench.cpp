// Time to lay out a new city with its players, over a few fixed seeds.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/world.h"

// One new game per iteration, the seed cycling through a fixed set.
static void newCity(benchmark::State& state)
{
    unsigned seed = 1;
    playerCount = 1;
    for (auto _ : state) {
        srand(seed);
        startNewGame();
        benchmark::DoNotOptimize(tileKind);
        seed = seed % 8 + 1;
    }
}
BENCHMARK(newCity)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
