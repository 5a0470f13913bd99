// A generated city crowded around the player, for the timing harnesses, the
// drawing tests and the heap-free step.
#pragma once

#include <SDL/SDL_keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/input.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "world/collision.h"
#include "sim/player.h"
#include "sim/shots.h"
#include "sim/zombies.h"
#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/world.h"

// How crowded the world around the player is: how many actors (zombies first,
// then civilians past kMaxZombies), projectiles, explosions and decals, all
// within `radius` cells of the player.
struct Crowd {
    int actors, projectiles, explosions, decals, radius;
};

const Crowd kBusiestCrowd = {kMaxPopulation, kMaxProjectiles, kMaxExplosions, kMaxDecals, 10};

// A random free point within `radius` cells of the player.
inline void freePointNearPlayer(int radius, float& x, float& y)
{
    do {
        x = actors[0].x + (rand() % (2000 * radius)) * 0.001f - radius;
        y = actors[0].y + (rand() % (2000 * radius)) * 0.001f - radius;
    } while (isBlocked(x, y, kActorRadius, true));
}

// A new city from a fixed seed with the crowd placed around the player:
// actors at rest, projectiles flying outwards, fresh explosions, decals.
inline void buildCrowdedWorld(const Crowd& crowd)
{
    srand(12345);
    playerCount = 1;
    startNewGame();
    float x, y;
    for (int i = 0; i < crowd.actors; i++) {
        freePointNearPlayer(crowd.radius, x, y);
        addActor(i < kMaxZombies ? kActorZombie : kActorCivilian, x, y, 0, 0, 0);
    }
    for (int k = 0; k < crowd.projectiles; k++) {
        freePointNearPlayer(crowd.radius, x, y);
        float a = (rand() % 360) * kDegreesToRadians;
        projectiles[projectileCount++] = Projectile{0, x, y, cosf(a) * 0.11f, sinf(a) * 0.11f, a, 100};
    }
    for (int e = 0; e < crowd.explosions; e++) {
        freePointNearPlayer(crowd.radius, x, y);
        explosions[explosionCount++] = Explosion{x, y, 0, kExplosionStrength};
    }
    for (int d = 0; d < crowd.decals; d++) {
        freePointNearPlayer(crowd.radius, x, y);
        addDecal(d % 2, x, y, 0);
    }
    thinkTick = 3;
}

// The busiest world at play zoom in a 4:3 window, with
// the controls held as in a fight on the run: walking right at a sprint, both
// buttons held, aiming off centre.
inline void buildBusyWorld()
{
    buildCrowdedWorld(kBusiestCrowd);
    cameraZoom = 7.5f;
    screenWidth = 800;
    screenHeight = 600;
    aspectRatio = screenWidth / screenHeight;
    keyState[SDLK_d] = keyState[SDLK_LSHIFT] = kInputHeld;
    mouseButtonState[kGunButton] = mouseButtonState[kThrowButton] = kInputHeld;
    mouseX = 600;
    mouseY = 200;
    readStepInput(1.0f);
}
