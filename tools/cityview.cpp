// Builds a new city from a seed and draws it through the game's own renderer:
// the view around the start at play zoom, and the whole map from far above.
// Run from the build directory: cityview [seed [x y]] (writes citystart.png and
// citymap.png); x y move the play view from the start to that cell.
#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/display.h"
#include "platform/settings.h"
#include "render/draw.h"
#include "render/view.h"
#include "tools/windowpng.h"
#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/world.h"

static const int kPageSize = 1024;
static const float kPlayZoom = 7.5f;     // the view of a player at full health
static const float kMapZoom = 256.0f;    // the whole map in one picture
static const unsigned kDefaultSeed = 1767225600u;  // 2026-01-01 00:00:00 UTC

// The frame dispatcher's state, then one frame of the world at the given camera.
static bool drawCityPicture(float x, float y, float zoom, const char* path)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginSpriteDrawing();
    cameraX = x;
    cameraY = y;
    cameraZoom = zoom;
    renderWorld();
    return writeWindowPng(path, kPageSize, kPageSize);
}

int main(int argc, char** argv)
{
    srand(argc > 1 ? (unsigned)strtoul(argv[1], nullptr, 10) : kDefaultSeed);
    screenWidth = kPageSize;
    screenHeight = kPageSize;
    mipmapping = true;
    setupDisplay();
    loadTextures();
    buildGlyphFrames();
    playerCount = 1;
    startNewGame();
    float x = argc > 3 ? (float)atof(argv[2]) : actors[0].x;
    float y = argc > 3 ? (float)atof(argv[3]) : actors[0].y;
    bool written = drawCityPicture(x, y, kPlayZoom, "citystart.png") &&
                   drawCityPicture(kMapSize * 0.5f, kMapSize * 0.5f, kMapZoom, "citymap.png");
    SDL_Quit();
    if (!written) {
        fprintf(stderr, "cityview: could not write the pictures\n");
        return 1;
    }
    return 0;
}
