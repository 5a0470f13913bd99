// A generated city crowded around the player, for the timing harnesses and the
// drawing tests, and a snapshot of everything a step changes so each run starts the same.
#pragma once

#include <SDL/SDL_keysym.h>

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

// How crowded the world around the player is.
struct Crowd {
    int actors;        // zombies first, then civilians past kMaxZombies
    int projectiles;
    int explosions;
    int decals;
    int radius;        // everything stands within this many cells of the player
};

const Crowd kBusiestCrowd = {kMaxPopulation, kMaxProjectiles, kMaxExplosions, kMaxDecals, 10};

// Everything a step changes, the walls of the columns around the camera included.
struct Snapshot {
    Actor actors[kMaxActors];
    int32_t actorCount;
    int32_t actorTypeCount[kActorTypeSlots];
    Tracer tracers[kMaxTracers];
    int32_t tracerCount;
    Projectile projectiles[kMaxProjectiles];
    int32_t projectileCount;
    Explosion explosions[kMaxExplosions];
    int32_t explosionCount;
    Decal decals[kMaxDecals];
    int32_t decalCount;
    int32_t killCount;
    int32_t thinkTick;
    float aimScreenX[kMaxPlayers], aimScreenY[kMaxPlayers];
    float aimWorldX[kMaxPlayers], aimWorldY[kMaxPlayers];
    float fireCooldown[kMaxPlayers], energy[kMaxPlayers];
    float healthRegenDelay[kMaxPlayers], energyRegenDelay[kMaxPlayers];
    float cameraX, cameraY, cameraZoom;
    int32_t firstColumn;
    int32_t wallBoxCount[kSavedColumns][kMapSize];
    WallBox wallBoxes[kSavedColumns][kMapSize][kMaxWallBoxesPerCell];
};

inline Snapshot savedWorld = {};

// A random free point within `radius` cells of the player.
inline void freePointNearPlayer(int radius, float& x, float& y)
{
    do {
        x = actors[0].x + (rand() % (2000 * radius)) * 0.001f - radius;
        y = actors[0].y + (rand() % (2000 * radius)) * 0.001f - radius;
    } while (isBlocked(x, y, kActorRadius, true));
}

inline void takeSnapshot()
{
    Snapshot& s = savedWorld;
    memcpy(s.actors, actors, sizeof actors);
    s.actorCount = actorCount;
    memcpy(s.actorTypeCount, actorTypeCount, sizeof actorTypeCount);
    memcpy(s.tracers, tracers, sizeof tracers);
    s.tracerCount = tracerCount;
    memcpy(s.projectiles, projectiles, sizeof projectiles);
    s.projectileCount = projectileCount;
    memcpy(s.explosions, explosions, sizeof explosions);
    s.explosionCount = explosionCount;
    memcpy(s.decals, decals, sizeof decals);
    s.decalCount = decalCount;
    s.killCount = killCount;
    s.thinkTick = thinkTick;
    memcpy(s.aimScreenX, aimScreenX, sizeof aimScreenX);
    memcpy(s.aimScreenY, aimScreenY, sizeof aimScreenY);
    memcpy(s.aimWorldX, aimWorldX, sizeof aimWorldX);
    memcpy(s.aimWorldY, aimWorldY, sizeof aimWorldY);
    memcpy(s.fireCooldown, fireCooldown, sizeof fireCooldown);
    memcpy(s.energy, energy, sizeof energy);
    memcpy(s.healthRegenDelay, healthRegenDelay, sizeof healthRegenDelay);
    memcpy(s.energyRegenDelay, energyRegenDelay, sizeof energyRegenDelay);
    s.cameraX = cameraX, s.cameraY = cameraY, s.cameraZoom = cameraZoom;
    s.firstColumn = (int)cameraX - kSavedColumns / 2;
    if (s.firstColumn < 0)
        s.firstColumn = 0;
    if (s.firstColumn > kMapSize - kSavedColumns)
        s.firstColumn = kMapSize - kSavedColumns;
    memcpy(s.wallBoxCount, wallBoxCount[s.firstColumn], sizeof s.wallBoxCount);
    memcpy(s.wallBoxes, wallBoxes[s.firstColumn], sizeof s.wallBoxes);
}

inline void restoreSnapshot()
{
    const Snapshot& s = savedWorld;
    memcpy(actors, s.actors, sizeof actors);
    actorCount = s.actorCount;
    memcpy(actorTypeCount, s.actorTypeCount, sizeof actorTypeCount);
    memcpy(tracers, s.tracers, sizeof tracers);
    tracerCount = s.tracerCount;
    memcpy(projectiles, s.projectiles, sizeof projectiles);
    projectileCount = s.projectileCount;
    memcpy(explosions, s.explosions, sizeof explosions);
    explosionCount = s.explosionCount;
    memcpy(decals, s.decals, sizeof decals);
    decalCount = s.decalCount;
    killCount = s.killCount;
    thinkTick = s.thinkTick;
    memcpy(aimScreenX, s.aimScreenX, sizeof aimScreenX);
    memcpy(aimScreenY, s.aimScreenY, sizeof aimScreenY);
    memcpy(aimWorldX, s.aimWorldX, sizeof aimWorldX);
    memcpy(aimWorldY, s.aimWorldY, sizeof aimWorldY);
    memcpy(fireCooldown, s.fireCooldown, sizeof fireCooldown);
    memcpy(energy, s.energy, sizeof energy);
    memcpy(healthRegenDelay, s.healthRegenDelay, sizeof healthRegenDelay);
    memcpy(energyRegenDelay, s.energyRegenDelay, sizeof energyRegenDelay);
    cameraX = s.cameraX, cameraY = s.cameraY, cameraZoom = s.cameraZoom;
    memcpy(wallBoxCount[s.firstColumn], s.wallBoxCount, sizeof s.wallBoxCount);
    memcpy(wallBoxes[s.firstColumn], s.wallBoxes, sizeof s.wallBoxes);
}

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

// A 4:3 window with the player's controls held as in a fight on the run:
// walking right at a sprint, both buttons held, aiming off centre.
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

// The busiest world at play zoom with the controls held, kept as the snapshot.
inline void buildBusyWorld()
{
    buildCrowdedWorld(kBusiestCrowd);
    cameraZoom = 7.5f;
    holdBusyControls();
    takeSnapshot();
}
