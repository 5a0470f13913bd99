// The sound layer's cost: what hearing one step adds to a frame in the busiest
// world (the step's own events, then a step's worth of every kind all over the
// view, with the groans' look at every zombie), and what opening the device
// and loading the sounds adds to start-up, with a device (SDL's dummy driver)
// and on a machine without a sound card (ALSA forced, which fails). Run from
// the build directory, which holds Media/:
//   build/bench/sound_bench
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/sound.h"
#include "sim/events.h"
#include "sim/step.h"
#include "bench/snapshot.h"
#include "tests/busyworld.h"

namespace {

GameEvent busyStepEvents[kMaxGameEvents] = {};
int busyStepEventCount = 0;

// Opens the dummy device once, builds the busiest world and keeps the events
// of one step of the fight in it.
void prepare()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    openSound();
    buildBusyWorld();
    takeSnapshot();
    stepGame(1.0f);
    busyStepEventCount = gameEventCount;
    for (int e = 0; e < gameEventCount; e++)
        busyStepEvents[e] = gameEvents[e];
    restoreSnapshot();
}

// The sounds of one step of the busiest fight, heard from its view.
void BM_StepSounds(benchmark::State& state)
{
    prepare();
    for (auto _ : state) {
        gameEventCount = busyStepEventCount;
        for (int e = 0; e < busyStepEventCount; e++)
            gameEvents[e] = busyStepEvents[e];
        playStepSounds(1.0f);
    }
    state.counters["events"] = busyStepEventCount;
}

// Forty events of every kind in one step, in the view and past it.
void BM_CrowdedStepSounds(benchmark::State& state)
{
    prepare();
    int step = 0;
    for (auto _ : state) {
        clearGameEvents();
        for (int i = 0; i < 40; i++)
            addGameEvent(i % kEventKinds, cameraX - 12.0f + (float)((i * 7 + step) % 24),
                         cameraY - 4.0f + (float)(i % 8));
        playStepSounds(1.0f);
        step++;
    }
}

// Opening the device and loading every sound (0: the dummy driver, 1: ALSA
// with no card); closing is not timed.
void BM_OpenSound(benchmark::State& state)
{
    prepare();
    closeSound();
    setenv("SDL_AUDIODRIVER", state.range(0) ? "alsa" : "dummy", 1);
    for (auto _ : state) {
        openSound();
        state.PauseTiming();
        closeSound();
        state.ResumeTiming();
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    openSound();
}

}  // namespace

BENCHMARK(BM_StepSounds)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_CrowdedStepSounds)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenSound)
    ->ArgName("nocard")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
