// The world at its busiest, for the step's allocation test and the timing
// harnesses: a generated city, 500 zombies and civilians packed around the
// player, 50 projectiles in flight, 50 explosions and 500 decals, with the
// player walking right at a sprint, both buttons held and aiming off centre.
#pragma once

#include <SDL/SDL_keysym.h>

#include <cmath>
#include <cstdlib>

#include "app/input.h"
#include "app/settings.h"
#include "sim/collision.h"
#include "sim/player.h"
#include "sim/shots.h"
#include "sim/zombies.h"
#include "world/levelgen.h"
#include "world/world.h"

const int kPackRadius = 10;  // actors stand within this many cells of the player

// A random free point near the player.
inline void freePointNearPlayer(float& x, float& y)
{
    do {
        x = actors[0].x + (rand() % (2000 * kPackRadius)) * 0.001f - kPackRadius;
        y = actors[0].y + (rand() % (2000 * kPackRadius)) * 0.001f - kPackRadius;
    } while (isBlocked(x, y, kActorRadius, true));
}

// A 4:3 window with the player's controls held as in a fight on the run.
inline void holdBusyControls()
{
    screenWidth = 800;
    screenHeight = 600;
    aspectRatio = screenWidth / screenHeight;
    keyState[SDLK_d] = keyState[SDLK_LSHIFT] = kInputHeld;
    mouseButtonState[kGunButton] = mouseButtonState[kThrowButton] = kInputHeld;
    mouseX = 600;
    mouseY = 200;
}

// Builds the busiest world from a fixed seed and holds the controls.
inline void buildBusyWorld()
{
    srand(12345);
    playerCount = 1;
    startNewGame();
    cameraZoom = 7.5f;
    float x, y;
    for (int i = 0; i < kMaxPopulation; i++) {
        freePointNearPlayer(x, y);
        addActor(i < kMaxZombies ? kActorZombie : kActorCivilian, x, y, 0, 0, 0);
    }
    for (int k = 0; k < kMaxProjectiles; k++) {
        freePointNearPlayer(x, y);
        float a = (rand() % 360) * kDegreesToRadians;
        projectiles[projectileCount++] = Projectile{0, x, y, cosf(a) * 0.11f, sinf(a) * 0.11f, a, 100};
    }
    for (int e = 0; e < kMaxExplosions; e++) {
        freePointNearPlayer(x, y);
        explosions[explosionCount++] = Explosion{x, y, 0, kExplosionStrength};
    }
    for (int d = 0; d < kMaxDecals; d++) {
        freePointNearPlayer(x, y);
        addDecal(d % 2, x, y, 0);
    }
    thinkTick = 3;
    holdBusyControls();
}
