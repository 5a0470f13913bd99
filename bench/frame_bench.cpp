// One frame of play as the player sees it: the game step with the controls
// held (walking right and firing), then the world view and the HUD, waited for
// to the end; the buffer swap is timed on its own. Typical play (a few dozen
// actors in view) and the busiest world, at 1280 x 720 and 1920 x 1080, and
// at 1280 x 720 once more with nothing left out of the drawing (the
// vignettes' clear middles and the pictures outside the view drawn too, every
// picture multiplied by the current colour), to show what leaving them out saves.
// Each case first draws a few untimed frames: the GL driver compiles its
// shaders for new drawing states in the first frames, once per run.
// Reports the median and the 99th percentile of the frames, and the median
// processor time of the whole process per frame (the GL driver's rasterising
// threads included), which a loaded machine disturbs less. Watching a
// recorded game at 1280 x 720 (at 1x and 8x, snapshots built ahead in each
// pass's share) is timed the same way. Run from the
// build directory under Xvfb with Mesa's software renderer:
//   xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bench/frame_bench
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "app/watching.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "bench/snapshot.h"
#include "tests/busyworld.h"
#include "render/draw.h"
#include "render/view.h"
#include "render/watchbar.h"
#include "sim/seeking.h"
#include "sim/step.h"

namespace {

const int kFrames = 300;                  // frames timed per case
const int kWarmUpFrames = 10;             // frames drawn before the timing starts
const float kPlayZoom = 7.5f;             // the view at full health
const Crowd kTypicalCrowd = {30, 0, 1, 100, 4};

double frameMs[kFrames] = {};
double cpuMs[kFrames] = {};
double swapMs[kFrames] = {};
int openWidth = 0, openHeight = 0;
int builtCrowd = -1;

// Opens (or reopens at another size) the window and loads the art into it.
void openWindow(int width, int height)
{
    if (width == openWidth && height == openHeight)
        return;
    screenWidth = (float)width;
    screenHeight = (float)height;
    setupDisplay();
    loadTextures();
    buildGlyphFrames();
    openWidth = width, openHeight = height;
}

// The typical (0) or busiest (1) world with the camera on the player at play zoom.
void buildWorld(int busiest)
{
    if (builtCrowd == busiest)
        return;
    buildCrowdedWorld(busiest ? kBusiestCrowd : kTypicalCrowd);
    cameraX = actors[0].x, cameraY = actors[0].y, cameraZoom = kPlayZoom;
    takeSnapshot();
    builtCrowd = busiest;
}

// Walking right, firing, the cursor a little right of the window's middle.
void holdControls()
{
    keyState[SDLK_d] = kInputHeld;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputHeld;
    mouseX = (int)(screenWidth * 0.6f);
    mouseY = (int)(screenHeight * 0.5f);
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Processor time used by every thread of the process so far, in milliseconds.
double processCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

// The value below which `share` of the samples lie.
double percentile(double* samples, int count, double share)
{
    std::sort(samples, samples + count);
    return samples[std::min(count - 1, (int)(share * count))];
}

// Draws the clear middles of the vignettes, every picture outside the view,
// and multiplies every picture by the current colour.
void drawEverything()
{
    skipWhiteTint = false;
    measureClearMiddle(vignetteClearing[kBloodVignette], borderBloodTexture);
    measureClearMiddle(vignetteClearing[kDarknessVignette], borderDarknessTexture);
    for (ClearMiddle& c : vignetteClearing)
        std::fill(c.reach, c.reach + kMaxMipLevels, 0.0f);
    spriteCullMargin = 1e9f;
}

// One frame as the benchmark times it: a step, the drawing, and the wait for
// the driver to finish it.
void drawOneFrame()
{
    stepGame(1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginSpriteDrawing();
    renderWorld();
    endSpriteDrawing();
    glFinish();
}

void BM_Frame(benchmark::State& state)
{
    openWindow((int)state.range(0), (int)state.range(1));
    buildWorld((int)state.range(2));
    holdControls();
    float margin = spriteCullMargin;
    if (state.range(3))
        drawEverything();
    for (int i = 0; i < kWarmUpFrames; i++) {
        restoreSnapshot();
        drawOneFrame();
        SDL_GL_SwapBuffers();
    }
    int frames = 0;
    for (auto _ : state) {
        restoreSnapshot();
        auto start = std::chrono::steady_clock::now();
        double cpuStart = processCpuMs();
        drawOneFrame();
        double frame = millisecondsSince(start);
        cpuMs[frames % kFrames] = processCpuMs() - cpuStart;
        auto swapStart = std::chrono::steady_clock::now();
        SDL_GL_SwapBuffers();
        swapMs[frames % kFrames] = millisecondsSince(swapStart);
        frameMs[frames % kFrames] = frame;
        frames++;
        state.SetIterationTime(frame / 1000.0);
    }
    int n = std::min(frames, kFrames);
    state.counters["median_ms"] = percentile(frameMs, n, 0.5);
    state.counters["p99_ms"] = percentile(frameMs, n, 0.99);
    state.counters["cpu_ms"] = percentile(cpuMs, n, 0.5);
    state.counters["swap_ms"] = percentile(swapMs, n, 0.5);
    for (ClearMiddle& c : vignetteClearing)
        c.texture = 0;
    spriteCullMargin = margin;
    skipWhiteTint = true;
    state.counters["actors"] = (double)actorCount;
    state.counters["decals"] = (double)decalCount;
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
    for (int i = 0; i < kWarmUpFrames; i++) {
        drawOneWatchingFrame();
        SDL_GL_SwapBuffers();
    }
    int frames = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double cpuStart = processCpuMs();
        drawOneWatchingFrame();
        double frame = millisecondsSince(start);
        cpuMs[frames % kFrames] = processCpuMs() - cpuStart;
        frameMs[frames % kFrames] = frame;
        SDL_GL_SwapBuffers();
        frames++;
        state.SetIterationTime(frame / 1000.0);
    }
    int n = std::min(frames, kFrames);
    state.counters["median_ms"] = percentile(frameMs, n, 0.5);
    state.counters["p99_ms"] = percentile(frameMs, n, 0.99);
    state.counters["cpu_ms"] = percentile(cpuMs, n, 0.5);
    state.counters["speed"] = kWatchSpeedFactors[watchSpeed];
    leaveWatching(0);
}

}  // namespace

BENCHMARK(BM_WatchingFrame)
    ->ArgNames({"speed_index"})
    ->Arg(kWatchNormalSpeed)
    ->Arg(kWatchSpeeds - 1)
    ->Iterations(kFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// width, height, busiest (0 typical play, 1 the busiest world), all (1: nothing left out)
BENCHMARK(BM_Frame)
    ->ArgNames({"w", "h", "busiest", "all"})
    ->Args({1280, 720, 0, 0})
    ->Args({1280, 720, 1, 0})
    ->Args({1920, 1080, 0, 0})
    ->Args({1920, 1080, 1, 0})
    ->Args({1280, 720, 0, 1})
    ->Args({1280, 720, 1, 1})
    ->Iterations(kFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
