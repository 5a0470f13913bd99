// The pause menu at 1920 x 1080: writing a screenshot of a city frame, and one
// paused pass (the frozen picture redrawn, bars, buttons and pointer). Run from
// the build directory under Xvfb:
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench/overlay_bench
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

#include <SDL/SDL.h>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "overlay/overlay.h"
#include "platform/input.h"
#include "render/view.h"
#include "tests/glwindow.h"
#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/world.h"

namespace {

// Window, overlay and art; a new city drawn once and captured as the pause
// menu captures it when Escape goes down.
void setUpPausedCity()
{
    openGameWindow(1920, 1080);
    loadTextures();
    initOverlay();
    srand(1);
    playerCount = 1;
    startNewGame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginSpriteDrawing();
    renderWorld();
    endSpriteDrawing();
    keyState[SDLK_ESCAPE] = kInputPressed;
    runOverlay();
    keyState[SDLK_ESCAPE] = kInputHeld;
    pauseFade = 100;
}

void readyOnce()
{
    static bool ready = false;
    if (!ready) {
        setUpPausedCity();
        ready = true;
    }
}

// One screenshot file, written into a scratch directory and removed again.
void BM_SaveScreenshot(benchmark::State& state)
{
    readyOnce();
    char dir[] = "/tmp/vg-overlay-bench-XXXXXX";
    char home[4096];
    if (!getcwd(home, sizeof home) || !mkdtemp(dir) || chdir(dir) != 0) {
        state.SkipWithError("no scratch directory");
        return;
    }
    long bytes = 0;
    for (auto _ : state) {
        saveScreenshot();
        state.PauseTiming();
        FILE* f = fopen("screenshot1.png", "rb");
        if (f) {
            fseek(f, 0, SEEK_END);
            bytes = ftell(f);
            fclose(f);
        }
        remove("screenshot1.png");
        state.ResumeTiming();
    }
    state.counters["file_kib"] = (double)bytes / 1024.0;
    if (chdir(home) != 0)
        state.SkipWithError("cannot go back");
    rmdir(dir);
}

// One pass of the open pause menu, waited for to the end.
void BM_PausedPass(benchmark::State& state)
{
    readyOnce();
    mouseX = 960;
    mouseY = 500;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        PausePass pause = updatePause(false, false);
        OverlayPass pass = {pauseFade, false, false, pause.frozenShown, false, 0, true, "Vellgrave 2", 0.8f};
        overlayFrame(pass, pauseButtons(), liveMenuInput());
        glFinish();
    }
}

BENCHMARK(BM_SaveScreenshot)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BM_PausedPass)->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
