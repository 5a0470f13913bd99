// The options screen: opening it (the desktop's modes listed, the pages
// built, the first picture drawn), one frame of it at 1280 x 720, and a
// window-size change (the video mode set again and every texture loaded
// again). Run from the build directory under Xvfb:
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench/options_bench
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include "options/options.h"
#include "overlay/overlay.h"
#include "platform/display.h"
#include "render/optionsmenu.h"
#include "tests/glwindow.h"

namespace {

const int32_t kRestingSticks[kStickAxes] = {0, 0, 9000, -4000};

// The window at 1280 x 720 with the art, and the options a file without keys gives.
void readyOnce()
{
    static bool ready = false;
    if (ready)
        return;
    openGameWindow(1280, 720);
    initOverlay();
    loadTextures();
    OptionValues values = {};
    for (int page = kPageSound; page < kOptionsPages; page++)
        defaultOptionValues(values, page);
    startOptions(values);
    ready = true;
}

// What opening the screen costs: the modes asked of SDL, the rows built,
// the first picture drawn and finished.
void BM_OpenOptions(benchmark::State& state)
{
    readyOnce();
    WindowSize modes[kMaxWindowSizes];
    for (auto _ : state) {
        SDL_Rect** listed = SDL_ListModes(nullptr, SDL_OPENGL | SDL_FULLSCREEN);
        int32_t count = 0;
        for (int i = 0; listed && listed != (SDL_Rect**)-1 && listed[i] && count < kMaxWindowSizes; i++)
            modes[count++] = WindowSize{listed[i]->w, listed[i]->h};
        openOptions(modes, count, WindowSize{1920, 1080}, true);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        beginSpriteDrawing();
        drawOptionsScreen(screenWidth / screenHeight, kRestingSticks);
        endSpriteDrawing();
        glFinish();
    }
}

// One frame of the pad's page (the longest, with the sticks) at the text
// size given, waited for to the end.
void BM_OptionsFrame(benchmark::State& state)
{
    readyOnce();
    openOptions(nullptr, 0, WindowSize{1920, 1080}, true);
    optionsChosen.textSize = kTextSizeScales[state.range(0)];
    OptionsInput open = {};
    open.choose = true;
    open.windowWidth = 1280, open.windowHeight = 720;
    optionsHighlight = 2;
    runOptions(open);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        beginSpriteDrawing();
        drawOptionsScreen(screenWidth / screenHeight, kRestingSticks);
        endSpriteDrawing();
        glFinish();
    }
    optionsChosen.textSize = kTextSizeScales[0];
}

// A window-size change between 1280 x 720 and 1024 x 768 as the options
// make it: the textures let go, the mode set again (SDL makes a new GL
// context), the overlay's sheet and capture buffers and every texture
// loaded again.
void BM_WindowSizeChange(benchmark::State& state)
{
    readyOnce();
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        releaseTextures();
        releaseOverlaySheet();
        if (!changeVideoMode(wide ? 1024 : 1280, wide ? 768 : 720, false)) {
            state.SkipWithError("no video mode");
            return;
        }
        reloadOverlay();
        loadTextures();
        glFinish();
    }
}

BENCHMARK(BM_OpenOptions)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(9);
BENCHMARK(BM_OptionsFrame)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(9);
BENCHMARK(BM_WindowSizeChange)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(9);

}  // namespace

BENCHMARK_MAIN();
