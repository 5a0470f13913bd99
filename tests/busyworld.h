// A generated city crowded around the player, for the timing harnesses and the
// drawing tests, and a snapshot of everything a step changes so each run starts the same.
#pragma once

#include <SDL/SDL_keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/input.h"
#include "app/settings.h"
#include "sim/collision.h"
#include "sim/player.h"
#include "sim/shots.h"
#include "sim/zombies.h"
#include "world/levelgen.h"
#include "world/world.h"

const int kSavedColumns = 40;     // map columns around the camera restored by a snapshot

// How crowded the world around the player is: how many actors (zombies first,
// then civilians past kMaxZombies), projectiles, explosions and decals, all
// within `radius` cells of the player.
struct Crowd {
    int actors, projectiles, explosions, decals, radius;
};

const Crowd kBusiestCrowd = {kMaxPopulation, kMaxProjectiles, kMaxExplosions, kMaxDecals, 10};

// One stretch of memory a step may change.
struct Region {
    void* at;
    size_t size;
};

inline unsigned char savedBytes[2 << 20] = {};   // the snapshot: the regions' bytes one after another
inline int savedFirstColumn = 0;                 // first of the map columns the snapshot holds

// A random free point within `radius` cells of the player.
inline void freePointNearPlayer(int radius, float& x, float& y)
{
    do {
        x = actors[0].x + (rand() % (2000 * radius)) * 0.001f - radius;
        y = actors[0].y + (rand() % (2000 * radius)) * 0.001f - radius;
    } while (isBlocked(x, y, kActorRadius, true));
}

// Copies everything a step changes into the snapshot (save) or back out of it:
// the lists and their counts, the per-player values, the camera, and the walls
// of the saved columns.
inline void copySnapshot(bool save)
{
    const int c = savedFirstColumn;
    const Region regions[] = {
        {actors, sizeof actors}, {&actorCount, sizeof actorCount}, {actorTypeCount, sizeof actorTypeCount},
        {tracers, sizeof tracers}, {&tracerCount, sizeof tracerCount},
        {projectiles, sizeof projectiles}, {&projectileCount, sizeof projectileCount},
        {explosions, sizeof explosions}, {&explosionCount, sizeof explosionCount},
        {decals, sizeof decals}, {&decalCount, sizeof decalCount},
        {&killCount, sizeof killCount}, {&thinkTick, sizeof thinkTick},
        {aimScreenX, sizeof aimScreenX}, {aimScreenY, sizeof aimScreenY},
        {aimWorldX, sizeof aimWorldX}, {aimWorldY, sizeof aimWorldY},
        {fireCooldown, sizeof fireCooldown}, {energy, sizeof energy},
        {healthRegenDelay, sizeof healthRegenDelay}, {energyRegenDelay, sizeof energyRegenDelay},
        {&cameraX, sizeof cameraX}, {&cameraY, sizeof cameraY}, {&cameraZoom, sizeof cameraZoom},
        {wallBoxCount[c], kSavedColumns * sizeof wallBoxCount[0]}, {wallBoxes[c], kSavedColumns * sizeof wallBoxes[0]},
    };
    size_t at = 0;
    for (const Region& r : regions) {
        if (at + r.size > sizeof savedBytes)
            abort();
        memcpy(save ? savedBytes + at : (unsigned char*)r.at, save ? r.at : savedBytes + at, r.size);
        at += r.size;
    }
}

// Saves the world around the camera as it stands now.
inline void takeSnapshot()
{
    savedFirstColumn = std::min(std::max((int)cameraX - kSavedColumns / 2, 0), kMapSize - kSavedColumns);
    copySnapshot(true);
}

// Puts back the world the last snapshot saved.
inline void restoreSnapshot() { copySnapshot(false); }

// A new city from a fixed seed with the crowd placed around the player:
// actors at rest, projectiles flying outwards, fresh explosions, decals.
// Takes the snapshot the timed runs restore.
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
    takeSnapshot();
}

// The busiest world at play zoom in a 4:3 window, kept as the snapshot, with
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
    takeSnapshot();
}
