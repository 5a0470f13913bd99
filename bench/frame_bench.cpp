// One frame of play as the player sees it: the game step with the controls
// held (walking right and firing), then the world view and the HUD, waited for
// to the end; the buffer swap is timed on its own. Typical play (a few dozen
// actors in view) and the busiest world, at 1280 x 720 and 1920 x 1080. Beside
// them the floor: a frame that only clears, draws one window-filling textured
// quad and one window-filling blended quad, what any such scene costs at the
// least on a renderer bound by filling pixels. Each case first draws a few
// untimed frames: the GL driver compiles its shaders for new drawing states in
// the first frames, once per run.
// Reports the median and the 99th percentile of the frames, and the median
// processor time of the whole process per frame (the GL driver's rasterising
// threads included), which a loaded machine disturbs less. Watching a
// recorded game at 1280 x 720 (at 1x and 8x, snapshots built ahead in each
// pass's share) is timed the same way. Run from the
// build directory under Xvfb with Mesa's software renderer:
//   xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bench/frame_bench
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include "app/watching.h"
#include "bench/playframe.h"
#include "render/view.h"
#include "render/watchbar.h"
#include "sim/seeking.h"
#include "sim/step.h"

namespace {

double frameMs[kFrames] = {};
double cpuMs[kFrames] = {};
double swapMs[kFrames] = {};

// One frame as the benchmark times it: a step, the drawing, and the wait for
// the driver to finish it.
void drawOneFrame()
{
    stepGame(1.0f);
    clearDisplay();
    beginSpriteDrawing();
    renderWorld();
    endSpriteDrawing();
    glFinish();
}

// The floor: clear, the dark pattern over the whole window, opaque, then the
// darkness vignette over the whole window, blended.
void drawFloorFrame()
{
    glClear(GL_COLOR_BUFFER_BIT);
    beginSpriteDrawing();
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 1, 0);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, tileDarkTexture);
    drawSprite(0, 0, 1, 1, false, 0, wholeTexture);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, borderDarknessTexture);
    drawSprite(0, 0, 1, 1, false, 0, wholeTexture);
    endSpriteDrawing();
    glFinish();
}

// Times `frame` over the benchmark's iterations, `before` run untimed ahead
// of each: medians and 99th percentiles of the frames and of the process's
// processor time, and the swap's median.
void timeFrames(benchmark::State& state, void (*frame)(), void (*before)())
{
    for (int i = 0; i < kWarmUpFrames; i++) {
        before();
        frame();
        SDL_GL_SwapBuffers();
    }
    int frames = 0;
    for (auto _ : state) {
        before();
        auto start = std::chrono::steady_clock::now();
        double cpuStart = processCpuMs();
        frame();
        double ms = millisecondsSince(start);
        cpuMs[frames % kFrames] = processCpuMs() - cpuStart;
        auto swapStart = std::chrono::steady_clock::now();
        SDL_GL_SwapBuffers();
        swapMs[frames % kFrames] = millisecondsSince(swapStart);
        frameMs[frames % kFrames] = ms;
        frames++;
        state.SetIterationTime(ms / 1000.0);
    }
    int n = std::min(frames, kFrames);
    state.counters["median_ms"] = percentile(frameMs, n, 0.5);
    state.counters["p99_ms"] = percentile(frameMs, n, 0.99);
    state.counters["cpu_ms"] = percentile(cpuMs, n, 0.5);
    state.counters["swap_ms"] = percentile(swapMs, n, 0.5);
}

void BM_Frame(benchmark::State& state)
{
    openWindow((int)state.range(0), (int)state.range(1));
    buildWorld((int)state.range(2));
    holdControls();
    timeFrames(state, drawOneFrame, restoreSnapshot);
    state.counters["actors"] = (double)actorCount;
    state.counters["decals"] = (double)decalCount;
}

void BM_Floor(benchmark::State& state)
{
    openWindow((int)state.range(0), (int)state.range(1));
    buildWorld(0);
    timeFrames(state, drawFloorFrame, restoreSnapshot);
}

// One pass of watching as the benchmark times it: the steps due in a 60th of
// a second with the snapshots built ahead in the pass's share, the recorded
// picture letterboxed, the bar, and the wait for the driver.
void drawOneWatchingFrame()
{
    watchFrame(1000.0f / 60.0f);
    if (watchAtEnd)
        chooseWatchAction(WatchChoice{kWatchAgain, 0});
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginSpriteDrawing();
    WatchLayout l = watchLayout(screenWidth, screenHeight, watchedAspect());
    renderWatchedWorld(l.picture, watchBestScore, screenWidth, screenHeight);
    drawWatchBar(watchBarPicture(screenWidth, screenHeight, watchSeconds, watchTotalSeconds));
    endSpriteDrawing();
    glFinish();
}

// Watching a recorded game (a fight to the death at 800 x 600, so it is
// letterboxed) at 1280 x 720, beside BM_Frame's frame of play.
void BM_WatchingFrame(benchmark::State& state)
{
    openWindow(1280, 720);
    if (!beginWatching(VG_SOURCE_DIR "/tests/recordings/death.rec", 0)) {
        state.SkipWithError("the recording does not play");
        return;
    }
    watchSpeed = (int32_t)state.range(0);
    timeFrames(state, drawOneWatchingFrame, [] {});
    state.counters["speed"] = kWatchSpeedFactors[watchSpeed];
    leaveWatching();
}

}  // namespace

BENCHMARK(BM_Frame)
    ->Apply(playScenes)
    ->Iterations(kFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Floor)
    ->ArgNames({"w", "h"})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Iterations(kFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_WatchingFrame)
    ->ArgNames({"speed_index"})
    ->Arg(kWatchNormalSpeed)
    ->Arg(kWatchSpeeds - 1)
    ->Iterations(kFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
