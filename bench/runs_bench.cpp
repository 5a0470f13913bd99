// Watching and keeping runs: seeking in a ten-minute game of lively play (to
// its end never watched before, back to its start, to its end again from the
// snapshots, back ten seconds), building the snapshots ahead in slices and
// seeking anywhere once they are built, the memory the snapshots take, and
// opening "Best runs" with ten ten-minute runs kept (the index read, every
// recording read through, the rows written).
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/flow.h"
#include "app/runslist.h"
#include "sim/bestruns.h"
#include "sim/gamestart.h"
#include "sim/recording.h"
#include "sim/recordingfile.h"
#include "sim/seeking.h"
#include "sim/step.h"
#include "world/savefile.h"
#include "world/world.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const uint32_t kTenMinutes = 36000;  // steps at 60 a second

Bytes tenMinuteGame;                 // the recording every benchmark watches

// The input of a step of lively play: walking in turns, the pointer sweeping,
// the gun held in bursts and an explosive now and then.
StepInput livelyInput(uint32_t s)
{
    StepInput in = {(s / 120) % 2 ? kAxisFull : -kAxisFull, (s / 90) % 2 ? kAxisFull : 0,
                    (int32_t)(340 + s % 600), (int32_t)(160 + (s * 7) % 400), s % 300 < 100, s % 7 < 4,
                    s % 400 == 0, false, 1.0f, 1280, 720, 1280.0f / 720.0f};
    return in;
}

// Plays and records ten minutes of a new city at 1280 x 720 in a fresh
// directory under /tmp, which the benchmarks then work in.
void recordTenMinutes()
{
    static char dir[] = "/tmp/vg-runs-bench-XXXXXX";
    if (!tenMinuteGame.empty() || !mkdtemp(dir) || chdir(dir) != 0)
        return;
    seedRandom(5);
    beginGame(kStartNewCity, 0, 0, 1280, 720, 1280.0f / 720.0f);
    for (uint32_t s = 0; s < kTenMinutes; s++) {
        recordStep(livelyInput(s));
        stepGame(stepInput.speedFactor);
        recordStepResult();
    }
    endRecording(killCount);
    std::ifstream in("lastgame.rec", std::ios::binary);
    tenMinuteGame = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Starts watching the ten-minute game afresh: no snapshots yet.
FILE* watchTenMinutes(benchmark::State& state)
{
    FILE* f = fmemopen(tenMinuteGame.data(), tenMinuteGame.size(), "rb");
    if (!beginWatching(f, "ten.rec"))
        state.SkipWithError("the game does not replay");
    return f;
}

void reportSnapshots(benchmark::State& state)
{
    state.counters["snapshot_MiB"] = (double)snapshotArenaUsed / (1 << 20);
    state.counters["snapshots"] = snapshotCount;
    state.counters["interval_steps"] = snapshotInterval;
    state.counters["steps"] = watchSteps;
    state.counters["snapshot_KiB"] = snapshotCount > 0 ? (double)snapshotArenaUsed / snapshotCount / 1024 : 0;
}

// To the end of a game never watched: every step is played once.
void BM_SeekToTheEndUnwatched(benchmark::State& state)
{
    recordTenMinutes();
    for (auto _ : state) {
        state.PauseTiming();
        FILE* f = watchTenMinutes(state);
        state.ResumeTiming();
        seekWatching(watchSteps);
        state.PauseTiming();
        reportSnapshots(state);
        endWatching();
        fclose(f);
        state.ResumeTiming();
    }
}

// Seeks from the end of a watched game: back to its start, then to the end
// again, then back ten seconds; arg 0, 1 or 2 names which one is timed.
void BM_SeekWatched(benchmark::State& state)
{
    recordTenMinutes();
    for (auto _ : state) {
        state.PauseTiming();
        FILE* f = watchTenMinutes(state);
        seekWatching(watchSteps);
        for (int seek = 0; seek < 3; seek++) {
            if (seek == state.range(0))
                state.ResumeTiming();
            if (seek == 0)
                seekWatching(0);
            else if (seek == 1)
                seekWatching(watchSteps);
            else
                seekWatchingSeconds(watchSeconds - 10);
            if (seek == state.range(0))
                state.PauseTiming();
        }
        reportSnapshots(state);
        endWatching();
        fclose(f);
        state.ResumeTiming();
    }
}

// Builds the snapshots of the whole game ahead while watching from its start,
// in slices of arg steps as a pass's spare time gives them: the time of a
// slice (the watched world kept aside and brought back included) and of the
// whole game.
void BM_BuildAheadInSlices(benchmark::State& state)
{
    recordTenMinutes();
    for (auto _ : state) {
        state.PauseTiming();
        FILE* f = watchTenMinutes(state);
        seekWatching(600);
        state.ResumeTiming();
        int slices = 0;
        while (buildAheadWithin((uint32_t)state.range(0)) == kSeekGoing)
            slices++;
        state.PauseTiming();
        state.counters["slices"] = slices;
        reportSnapshots(state);
        state.counters["world_KiB"] = (double)encodeSave() / 1024;
        endWatching();
        fclose(f);
        state.ResumeTiming();
    }
}

// Once the snapshots are built ahead: seeks anywhere, forwards and back, the
// slowest of twenty timed (arg 1) or their mean (arg 0).
void BM_SeekAnywhereOnceBuilt(benchmark::State& state)
{
    recordTenMinutes();
    const uint32_t targets[20] = {35999, 120, 18000, 600, 33000, 9000, 27050, 3, 35400, 12345,
                                  24000, 6100, 30599, 1, 21000, 15600, 599, 34801, 36000, 7777};
    for (auto _ : state) {
        state.PauseTiming();
        FILE* f = watchTenMinutes(state);
        while (buildAheadWithin(4096) == kSeekGoing) {
        }
        double slowest = 0, total = 0;
        for (uint32_t target : targets) {
            auto start = std::chrono::steady_clock::now();
            seekWatching(target);
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            slowest = std::max(slowest, ms);
            total += ms;
        }
        state.SetIterationTime((state.range(0) ? slowest : total / 20) / 1000.0);
        state.counters["slowest_ms"] = slowest;
        state.counters["mean_ms"] = total / 20;
        reportSnapshots(state);
        endWatching();
        fclose(f);
        state.ResumeTiming();
    }
}

// Opens "Best runs" as the title does with ten ten-minute runs kept: the
// index is read, every recording read through to tell sound ones from
// damaged, and the rows the screen shows are written.
void BM_OpenBestRunsWithTenRuns(benchmark::State& state)
{
    recordTenMinutes();
    for (int32_t score = 1; bestRunCount < kBestRunCount && score <= kBestRunCount; score++) {
        Bytes run = tenMinuteGame;
        for (int i = 0; i < 4; i++)
            run[run.size() - 8 + i] = (unsigned char)((uint32_t)score >> (8 * i));
        uint32_t crc = (uint32_t)crc32(0, run.data(), (uInt)(run.size() - 4));
        for (int i = 0; i < 4; i++)
            run[run.size() - 4 + i] = (unsigned char)(crc >> (8 * i));
        std::ofstream("lastgame.rec.tmp", std::ios::binary).write((const char*)run.data(), (std::streamsize)run.size());
        rename("lastgame.rec.tmp", "lastgame.rec");
        offerRun("lastgame.rec", kTenMinutes, score);
    }
    RunsListView view = {};
    for (auto _ : state) {
        openBestRuns();
        runsListView(view);
        benchmark::DoNotOptimize(view);
    }
    state.counters["runs"] = bestRunCount;
    state.counters["recording_KiB"] = (double)tenMinuteGame.size() / 1024;
}

}  // namespace

BENCHMARK(BM_SeekToTheEndUnwatched)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_SeekWatched)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildAheadInSlices)->Arg(16)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SeekAnywhereOnceBuilt)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
BENCHMARK(BM_OpenBestRunsWithTenRuns)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
