// Start-up of the game proper, the frame dispatcher and the main loop.
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdio>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "app/pad.h"
#include "overlay/overlay.h"
#include "render/draw.h"
#include "render/view.h"
#include "world/savefile.h"
#include "world/world.h"

static const char* const kTitle = "Vellgrave 2";
static const float kVersion = 0.8f;

// One-time start-up after the display and overlay: title, textures and frame
// tables, an empty world, and the best score kept from earlier runs.
void initGame()
{
    snprintf(titleText, sizeof titleText, "%s", kTitle);
    versionNumber = kVersion;
    loadTextures();
    buildGlyphFrames();
    resetWorld();
    readBestScore();
}

// Shows the menu or steps and draws the game, inside the GL state every
// drawing routine relies on (texturing, blending, alpha test, client arrays).
void runFrame()
{
    beginSpriteDrawing();
    float speedFactor = speedFactorFor(framesPerSecond);
    if (gameState == kStatePlaying) {
        playStep(speedFactor);
        renderWorld();
    } else {
        chooseMenuEntry(runMainMenu());
    }
    endSpriteDrawing();
}

// Discards what pollInput left in the queue, watching for the window closing.
static void drainEvents()
{
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_ALLEVENTS) > 0)
        if (event.type == SDL_QUIT)
            quitRequested = true;
}

// Passes until quitting: clear, keys, mouse and pad, game frame unless
// paused, overlay (which paces the frame), swap, then the rest of the events.
// Quitting ends the game in progress, whose recording is kept.
void runMainLoop()
{
    while (!quitRequested) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_PumpEvents();
        pollInput();
        pollPad();
        if (pauseFade == 0.0f)
            runFrame();
        overlayFrame();
        SDL_GL_SwapBuffers();
        drainEvents();
    }
    finishGame();
}
