// Time to draw one full-zoom view of a generated city crowded with 500 actors
// and 500 decals, at 1920 x 1080. Run from the build directory under Xvfb:
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench/render_bench
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/display.h"
#include "platform/settings.h"
#include "render/draw.h"
#include "render/view.h"
#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/world.h"

namespace {

const int kCrowd = 500;
const float kFullZoom = 7.5f;

// A random point inside the view around the camera.
float nearCamera(float centre, float halfSize)
{
    return centre + ((float)(rand() % 2001) / 1000.0f - 1.0f) * halfSize;
}

// Window, art, a fixed city and the crowd, made once.
void setUpCrowdedCity()
{
    screenWidth = 1920;
    screenHeight = 1080;
    setupDisplay();
    loadTextures();
    buildGlyphFrames();
    srand(1);
    playerCount = 1;
    startNewGame();
    cameraZoom = kFullZoom;
    float hz = cameraZoom * 0.5f;
    float hw = hz * aspectRatio;
    for (int i = 1; i < kCrowd; i++)
        addActor(kActorZombie, nearCamera(cameraX, hw), nearCamera(cameraY, hz), 0, 0, 0);
    for (int i = 0; i < kCrowd; i++)
        addDecal(i % 2, nearCamera(cameraX, hw), nearCamera(cameraY, hz), 0.1f * (float)i);
}

// One frame of play as the frame dispatcher draws it, waited for to the end.
void drawWorldFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginSpriteDrawing();
    renderWorld();
    endSpriteDrawing();
    glFinish();
}

void BM_RenderCrowdedCity(benchmark::State& state)
{
    static bool ready = false;
    if (!ready) {
        setUpCrowdedCity();
        ready = true;
    }
    for (auto _ : state)
        drawWorldFrame();
    state.counters["actors"] = (double)actorCount;
    state.counters["decals"] = (double)decalCount;
}

BENCHMARK(BM_RenderCrowdedCity)->Unit(benchmark::kMillisecond)->Iterations(100)->Repetitions(7);

}  // namespace

BENCHMARK_MAIN();
