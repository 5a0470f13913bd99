// What recording costs: one step's input written and read back, and a
// checkpoint of the busiest world (taken once every 60 steps); the end of a
// ten-minute game written out, synced and renamed; and how much faster than
// real time a recorded game of typical play replays without a window.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "tests/busyworld.h"

namespace {

const uint32_t kTenMinutes = 36000;  // steps at 60 a second

// Works in a fresh directory under /tmp, where the recordings go.
void enterBenchDir()
{
    static char dir[] = "/tmp/vg-recording-bench-XXXXXX";
    static bool made = false;
    if (!made && mkdtemp(dir) && chdir(dir) == 0)
        made = true;
}

// A new city's recording in an 800 x 600 window.
RecordingHeader benchHeader()
{
    return RecordingHeader{kRecordingFormat, kGameVersion, 0, 1, 800, 600, 800.0f / 600.0f, kStartNewCity, 0, 0, 0, 0, 0};
}

// The input of a step of lively play: the pointer and buttons change often.
StepInput livelyInput(uint32_t s)
{
    StepInput in = {kAxisFull, (s / 90) % 2 ? kAxisFull : 0, (int32_t)(300 + s % 200), (int32_t)(200 + s % 97),
                    s % 300 < 100, s % 7 < 4, s % 400 == 0, false, s % 5 ? 0.96f : 1.0f, 800, 600, 800.0f / 600.0f};
    return in;
}

void BM_RecordOneStep(benchmark::State& state)
{
    enterBenchDir();
    beginRecording(benchHeader(), nullptr);
    uint32_t s = 0;
    for (auto _ : state)
        recordStep(livelyInput(s++));
    endRecording(0);
}

void BM_CheckpointOfTheBusiestWorld(benchmark::State& state)
{
    buildBusyWorld();
    for (auto _ : state)
        benchmark::DoNotOptimize(takeCheckpoint(60));
}

// Records ten minutes of lively play, then times only the end: the last
// buffer, the checkpoint, fsync and the rename.
void BM_EndOfATenMinuteGame(benchmark::State& state)
{
    enterBenchDir();
    buildBusyWorld();
    for (auto _ : state) {
        state.PauseTiming();
        beginRecording(benchHeader(), nullptr);
        for (uint32_t s = 0; s < kTenMinutes; s++) {
            recordStep(livelyInput(s));
            recordStepResult();
        }
        state.ResumeTiming();
        endRecording(0);
    }
    FILE* f = fopen("lastgame.rec", "rb");
    fseek(f, 0, SEEK_END);
    state.counters["file_bytes"] = (double)ftell(f);
    fclose(f);
}

// Replays a checked-in game of typical play; the counter is how many times
// faster than the game was played.
void BM_CheckARecordedGame(benchmark::State& state)
{
    double played = 0;
    for (auto _ : state) {
        FILE* f = fopen(VG_SOURCE_DIR "/tests/recordings/fight.rec", "rb");
        int32_t score = 0;
        played = 0;
        if (!f || !openRecording(f, "fight.rec") || !startRecordedGame())
            state.SkipWithError("no recording");
        while (replayStep(score) == kReplayStepped)
            played += stepInput.speedFactor / 60.0;
        fclose(f);
    }
    state.counters["x_real_time"] =
        benchmark::Counter(played * (double)state.iterations(), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_RecordOneStep)->Unit(benchmark::kNanosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_CheckpointOfTheBusiestWorld)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_EndOfATenMinuteGame)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_CheckARecordedGame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
