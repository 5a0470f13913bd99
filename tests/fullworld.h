// A world with every list full, for saving and loading at the largest: each
// entry's values differ from its neighbours', so a shifted or swapped entry shows.
#pragma once

#include "world/world.h"

// Fills the actors (players first, then zombies and civilians, some chasing),
// tracers, decals, projectiles and explosions to capacity, and gives the
// players, camera and counters values of their own. The map, its wall boxes
// and obstacles are left as they are.
inline void fillBusyLists(int players)
{
    actorCount = decalCount = 0;
    for (int32_t& count : actorTypeCount)
        count = 0;
    playerCount = players;
    for (int i = 0; i < kMaxActors; i++) {
        int type = i < players ? kActorPlayer : i % 2 ? kActorZombie : kActorCivilian;
        addActor(type, 10 + i * 0.25f, 20 + i * 0.125f, i * 0.001f, -i * 0.002f, i * 0.01f);
        Actor& a = actors[i];
        a.hasTarget = i % 3 == 0;
        a.target = (i * 7) % kMaxActors;
        a.thinkSlot = i % 11 - 1;
        a.health = 100 - i * 0.05f;
        a.bleedTimer = 3 + i;
    }
    for (tracerCount = 0; tracerCount < kMaxTracers; tracerCount++) {
        float f = (float)tracerCount;
        tracers[tracerCount] = Tracer{f * 0.02f, f, f + 0.5f, f + 1.5f, f + 2.5f};
    }
    for (int i = 0; i < kMaxDecals; i++)
        addDecal(i % 2, 30 + i * 0.5f, 40 + i * 0.25f, i * 0.03f);
    for (projectileCount = 0; projectileCount < kMaxProjectiles; projectileCount++) {
        float f = (float)projectileCount;
        projectiles[projectileCount] = Projectile{projectileCount % players, f, f + 1, 0.1f * f, -0.1f * f, f * 0.2f, 100 - f};
    }
    for (explosionCount = 0; explosionCount < kMaxExplosions; explosionCount++) {
        float f = (float)explosionCount;
        explosions[explosionCount] = Explosion{f * 3, f * 4, f * 0.5f, 100 - f};
    }
    for (int p = 0; p < kMaxPlayers; p++) {
        aimScreenX[p] = 0.1f * p, aimScreenY[p] = -0.2f * p, aimWorldX[p] = 50.5f + p, aimWorldY[p] = 60.25f + p;
        fireCooldown[p] = 3 - p, healthRegenDelay[p] = 7.5f + p, energy[p] = 90 - p, energyRegenDelay[p] = -1.5f - p;
    }
    cameraX = 128.5f, cameraY = 127.25f, cameraZoom = 4.75f;
    killCount = 321, thinkTick = 7;
}

// Gives every cell its most wall boxes and obstacles: the largest save there is.
inline void fillEveryCell()
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++) {
            for (int k = 0; k < kMaxWallBoxesPerCell; k++)
                wallBoxes[x][y][k] = WallBox{x + k * 0.1f, y + 0.05f, 0.05f + k * 0.01f, 0.9f};
            for (int k = 0; k < kMaxObstaclesPerCell; k++)
                obstacles[x][y][k] = Obstacle{(x + y + k) % 5, x + 0.5f, y + 0.5f, 0, 0, k * 1.5f, 100};
            wallBoxCount[x][y] = kMaxWallBoxesPerCell;
            obstacleCount[x][y] = kMaxObstaclesPerCell;
        }
}
