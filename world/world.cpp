// World storage and the list operations every subsystem shares.
#include "world/world.h"

#include <cstdlib>

int32_t tileKind[kMapSize][kMapSize] = {};
int32_t tileRotation[kMapSize][kMapSize] = {};
int32_t wallBoxCount[kMapSize][kMapSize] = {};
WallBox wallBoxes[kMapSize][kMapSize][kMaxWallBoxesPerCell] = {};
int32_t obstacleCount[kMapSize][kMapSize] = {};
Obstacle obstacles[kMapSize][kMapSize][kMaxObstaclesPerCell] = {};

Actor actors[kMaxActors] = {};
int32_t actorCount = 0;
int32_t actorTypeCount[kActorTypeSlots] = {};
Tracer tracers[kMaxTracers] = {};
int32_t tracerCount = 0;
Decal decals[kMaxDecals] = {};
int32_t decalCount = 0;
Projectile projectiles[kMaxProjectiles] = {};
int32_t projectileCount = 0;
Explosion explosions[kMaxExplosions] = {};
int32_t explosionCount = 0;

int32_t playerCount = 0;
float aimScreenX[kMaxPlayers] = {};
float aimScreenY[kMaxPlayers] = {};
float aimWorldX[kMaxPlayers] = {};
float aimWorldY[kMaxPlayers] = {};
float fireCooldown[kMaxPlayers] = {};
float healthRegenDelay[kMaxPlayers] = {};
float energy[kMaxPlayers] = {};
float energyRegenDelay[kMaxPlayers] = {};

float cameraX = 0;
float cameraY = 0;
float cameraZoom = 0;
int32_t killCount = 0;
int32_t bestKillCount = 0;
int32_t thinkTick = 0;

uint32_t randomSeed = 0;
uint64_t randomDraws = 0;

// Empties every list and per-cell list. The map layers, players' values, camera
// and counters stay: the old level remains until something replaces it.
void resetWorld()
{
    tracerCount = 0;
    while (actorCount > 0)
        removeActor(0);
    decalCount = 0;
    projectileCount = 0;
    explosionCount = 0;
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            obstacleCount[x][y] = 0;
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            wallBoxCount[x][y] = 0;
}

// Appends a fresh actor at full health. Its think slot is the one random draw;
// a full list takes nothing and draws nothing.
void addActor(int type, float x, float y, float vx, float vy, float angle)
{
    if (actorCount >= kMaxActors)
        return;
    Actor& a = actors[actorCount];
    a.type = type;
    a.hasTarget = 0;
    a.target = 0;
    a.thinkSlot = drawRandom() % 10;
    a.x = x;
    a.y = y;
    a.vx = vx;
    a.vy = vy;
    a.angle = angle;
    a.health = 100;
    a.bleedTimer = 0;
    actorTypeCount[type]++;
    actorCount++;
}

// Removes actor i by shifting the later ones down, then mends every target:
// targets past i follow their actor down, targets of i itself are dropped.
void removeActor(int index)
{
    actorTypeCount[actors[index].type]--;
    for (int i = index; i + 1 < actorCount; i++)
        actors[i] = actors[i + 1];
    actorCount--;
    for (int i = 0; i < actorCount; i++) {
        Actor& a = actors[i];
        if (a.hasTarget != 1)
            continue;
        if (a.target > index)
            a.target--;
        else if (a.target == index)
            a.hasTarget = 0;
    }
}

// Appends a ground mark; a full list forgets its oldest mark to make room.
void addDecal(int kind, float x, float y, float angle)
{
    if (decalCount >= kMaxDecals) {
        for (int i = 0; i + 1 < decalCount; i++)
            decals[i] = decals[i + 1];
        decalCount = kMaxDecals - 1;
    }
    Decal& d = decals[decalCount];
    d.kind = kind;
    d.x = x;
    d.y = y;
    d.angle = angle;
    decalCount++;
}

// Seeds the C library's generator and starts counting draws from it, so that
// the generator's position can be written down and reached again.
void seedRandom(uint32_t seed)
{
    srand(seed);
    randomSeed = seed;
    randomDraws = 0;
}

// The game's one source of chance: rand(), counted.
int drawRandom()
{
    randomDraws++;
    return rand();
}

// Moves the generator on by the given number of draws, as if the game had
// taken them: a recorded game starts where the generator stood.
void skipRandomDraws(uint64_t draws)
{
    for (uint64_t i = 0; i < draws; i++)
        drawRandom();
}
