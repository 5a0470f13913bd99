// Saving and loading a busy game: a generated city with every list full, and
// the largest save there is (every cell full of wall boxes and obstacles too).
// Encoding alone, and the whole save or load through a RAM-backed directory;
// the save with its sync is also timed on the normal disk.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

#include "tests/fullworld.h"
#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/savefile.h"
#include "world/world.h"

namespace {

const char* const kRamDir = "/dev/shm";   // tmpfs: the file system costs next to nothing
const char* const kDiskDir = "/var/tmp";  // the machine's own disk

// The busy city, or the largest save when full is set.
void prepareWorld(bool full)
{
    srand(1);
    playerCount = 1;
    startNewGame();
    fillBusyLists(1);
    if (full)
        fillEveryCell();
}

// Runs the benchmark's loop inside a fresh directory under base, with
// "save.dat" written once beforehand, and cleans up afterwards.
template <typename Body>
void inDirectory(benchmark::State& state, const char* base, Body body)
{
    char dir[256];
    snprintf(dir, sizeof dir, "%s/vg-bench-XXXXXX", base);
    if (!mkdtemp(dir) || chdir(dir) != 0) {
        state.SkipWithError("no scratch directory");
        return;
    }
    saveGame();
    for (auto _ : state)
        body();
    state.counters["bytes"] = (double)encodeSave();
    remove("save.dat");
    chdir("/");
    rmdir(dir);
}

void encode(benchmark::State& state)
{
    prepareWorld(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeSave());
}

void decode(benchmark::State& state)
{
    prepareWorld(state.range(0));
    int32_t size = encodeSave();
    for (auto _ : state) {
        decodeSave(size, false);
        decodeSave(size, true);
    }
}

void saveToRam(benchmark::State& state)
{
    prepareWorld(state.range(0));
    inDirectory(state, kRamDir, [] { saveGame(); });
}

void loadFromRam(benchmark::State& state)
{
    prepareWorld(state.range(0));
    inDirectory(state, kRamDir, [] { loadGame(); });
}

void saveToDisk(benchmark::State& state)
{
    prepareWorld(state.range(0));
    inDirectory(state, kDiskDir, [] { saveGame(); });
}

}  // namespace

// Argument 0: the busy city; 1: every cell full as well.
BENCHMARK(encode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(decode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(saveToRam)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(loadFromRam)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(saveToDisk)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
