// Where a frame of play goes, layer by layer: the frame of frame_bench (a step,
// then the world and the HUD) with the driver waited for after the step and
// after every layer, so each layer's time is its own drawing to the last
// pixel. The waits cost a little, so the layers add up to a bit more than the
// frame. Reports each layer's median in milliseconds, at 1280 x 720 and
// 1920 x 1080, typical play and the busiest world. Run as frame_bench:
//   xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bench/layers_bench
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "bench/playframe.h"
#include "render/view.h"
#include "sim/step.h"

namespace {

const char* const kLayerNames[kLayers] = {"tiles", "decals", "actors", "walls", "overlays", "bars", "text"};

double layerMs[kLayers][kFrames] = {};
double stepMs[kFrames] = {};

void BM_Layers(benchmark::State& state)
{
    openWindow((int)state.range(0), (int)state.range(1));
    buildWorld((int)state.range(2));
    holdControls();
    int frames = 0;
    for (auto _ : state) {
        restoreSnapshot();
        auto start = std::chrono::steady_clock::now();
        stepGame(1.0f);
        clearDisplay();
        glFinish();
        stepMs[frames % kFrames] = millisecondsSince(start);
        beginSpriteDrawing();
        for (int layer = 0; layer < kLayers; layer++) {
            auto layerStart = std::chrono::steady_clock::now();
            drawLayer(layer);
            glFinish();
            layerMs[layer][frames % kFrames] = millisecondsSince(layerStart);
        }
        endSpriteDrawing();
        state.SetIterationTime(millisecondsSince(start) / 1000.0);
        SDL_GL_SwapBuffers();
        frames++;
    }
    int n = std::min(frames, kFrames);
    state.counters["step_clear_ms"] = percentile(stepMs, n, 0.5);
    for (int layer = 0; layer < kLayers; layer++)
        state.counters[std::string(kLayerNames[layer]) + "_ms"] = percentile(layerMs[layer], n, 0.5);
}

}  // namespace

BENCHMARK(BM_Layers)
    ->Apply(playScenes)
    ->Iterations(kFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
