// A small hand-made world for the simulation tests: walkable floor (kind 7)
// around the camera at (128, 128) and in the map's first corner, void elsewhere.
#pragma once

#include <cstdlib>
#include <initializer_list>

#include "world/world.h"

// Empties the world onto the open patches with one player slot, nothing
// counted yet, no regeneration pause and a fixed random sequence.
inline void openWorld()
{
    resetWorld();
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            tileKind[x][y] = (x >= 100 && x < 160 && y >= 100 && y < 160) || (x < 8 && y < 8) ? 7 : 0;
    playerCount = 1;
    cameraX = cameraY = 128;
    killCount = thinkTick = 0;
    healthRegenDelay[0] = 0;
    srand(7);
}

// One actor of a scene: its type and where it stands, at rest.
struct Placed {
    int type;
    float x, y;
};

// The open world with the listed actors added in order, so index k is the k-th.
inline void openWorldWith(std::initializer_list<Placed> scene)
{
    openWorld();
    for (const Placed& p : scene)
        addActor(p.type, p.x, p.y, 0, 0, 0);
}

// Adds a wall box to cell (cx, cy).
inline void putWallBox(int cx, int cy, float x, float y, float width, float height)
{
    wallBoxes[cx][cy][wallBoxCount[cx][cy]++] = WallBox{x, y, width, height};
}
