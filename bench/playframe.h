// What the frame harnesses share: the window, the typical and busiest worlds
// with the camera on the player, the controls held, and the statistics.
#pragma once

#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "app/input.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "bench/snapshot.h"
#include "render/draw.h"
#include "tests/busyworld.h"

const int kFrames = 300;                  // frames timed per case
const int kWarmUpFrames = 10;             // frames drawn before the timing starts
const float kPlayZoom = 7.5f;             // the view at full health
const Crowd kTypicalCrowd = {30, 0, 1, 100, 4};

inline int openWidth = 0, openHeight = 0;   // the window open now, pixels
inline int builtCrowd = -1;                 // the world built now: 0 typical, 1 busiest
inline bool fontCut = false;                // buildGlyphFrames has run

// Opens (or reopens at another size) the window and loads the art into it.
// The font is cut once: cutting it shrinks the glyph size it reads.
inline void openWindow(int width, int height)
{
    if (width == openWidth && height == openHeight)
        return;
    screenWidth = (float)width;
    screenHeight = (float)height;
    setupDisplay();
    loadTextures();
    if (!fontCut)
        buildGlyphFrames();
    fontCut = true;
    openWidth = width, openHeight = height;
}

// The typical (0) or busiest (1) world with the camera on the player at play zoom.
inline void buildWorld(int busiest)
{
    if (builtCrowd == busiest)
        return;
    buildCrowdedWorld(busiest ? kBusiestCrowd : kTypicalCrowd);
    cameraX = actors[0].x, cameraY = actors[0].y, cameraZoom = kPlayZoom;
    takeSnapshot();
    builtCrowd = busiest;
}

// Walking right, firing, the cursor a little right of the window's middle:
// the step's input record as the game reads it from those controls.
inline void holdControls()
{
    keyState[SDLK_d] = kInputHeld;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputHeld;
    mouseX = (int)(screenWidth * 0.6f);
    mouseY = (int)(screenHeight * 0.5f);
    readStepInput(1.0f);
}

// Milliseconds since `start`.
inline double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Processor time used by every thread of the process so far, in milliseconds.
inline double processCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

// The value below which `share` of the samples lie.
inline double percentile(double* samples, int count, double share)
{
    std::sort(samples, samples + count);
    return samples[std::min(count - 1, (int)(share * count))];
}

// The scenes of play every frame harness times: width, height, and 0 for
// typical play or 1 for the busiest world.
inline void playScenes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"w", "h", "busiest"});
    for (int h : {720, 1080})
        for (int busiest : {0, 1})
            b->Args({h * 16 / 9, h, busiest});
}
