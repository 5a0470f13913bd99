// Feeds arbitrary bytes to the saved-game loader. Whatever it accepts must be
// a sound world, one the simulation and the renderer can trust, and must save
// back to the very same bytes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "world/savefile.h"
#include "world/world.h"

// Stops the run, so the fuzzer keeps the input that broke a rule.
static void require(bool fact)
{
    if (!fact)
        abort();
}

static bool finite(float a, float b, float c, float d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// Every cell: a kind, a rotation, and wall boxes and obstacles within their capacities.
static void checkCells()
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++) {
            require(tileKind[x][y] >= 0 && tileKind[x][y] <= 15);
            require(tileRotation[x][y] >= 0 && tileRotation[x][y] <= 3);
            require(wallBoxCount[x][y] >= 0 && wallBoxCount[x][y] <= kMaxWallBoxesPerCell);
            require(obstacleCount[x][y] >= 0 && obstacleCount[x][y] <= kMaxObstaclesPerCell);
            for (int k = 0; k < wallBoxCount[x][y]; k++) {
                const WallBox& b = wallBoxes[x][y][k];
                require(finite(b.x, b.y, b.width, b.height));
            }
            for (int k = 0; k < obstacleCount[x][y]; k++) {
                const Obstacle& o = obstacles[x][y][k];
                require(o.kind >= 0 && o.kind <= kObstacleCar);
                require(finite(o.x, o.y, o.a, o.b) && finite(o.angle, o.health, 0, 0));
            }
        }
}

// The actors: known types, counted right, players first, targets in the list.
static void checkActors()
{
    require(actorCount >= 0 && actorCount <= kMaxActors);
    require(playerCount >= 1 && playerCount <= kMaxPlayers && playerCount <= actorCount);
    int32_t seen[kActorTypeSlots] = {};
    for (int i = 0; i < actorCount; i++) {
        const Actor& a = actors[i];
        require(a.type >= kActorPlayer && a.type <= kActorCivilian);
        require(i >= playerCount || a.type == kActorPlayer);
        require(a.hasTarget == 0 || (a.hasTarget == 1 && a.target >= 0 && a.target < actorCount));
        require(finite(a.x, a.y, a.vx, a.vy) && finite(a.angle, a.health, 0, 0));
        require(a.bleedTimer == 0);
        seen[a.type]++;
    }
    for (int t = 0; t < kActorTypeSlots; t++)
        require(seen[t] == actorTypeCount[t]);
}

// The effect lists within their capacities, decals of known kinds.
static void checkLists()
{
    require(tracerCount >= 0 && tracerCount <= kMaxTracers);
    require(decalCount >= 0 && decalCount <= kMaxDecals);
    require(projectileCount >= 0 && projectileCount <= kMaxProjectiles);
    require(explosionCount >= 0 && explosionCount <= kMaxExplosions);
    for (int i = 0; i < decalCount; i++)
        require(decals[i].kind == kDecalCorpse || decals[i].kind == kDecalBlood);
    require(finite(cameraX, cameraY, cameraZoom, 0));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (size_t)kMaxSaveBytes)
        return 0;
    memcpy(saveBytes, data, size);
    if (!decodeSave((int32_t)size, false))
        return 0;
    decodeSave((int32_t)size, true);
    checkCells();
    checkActors();
    checkLists();
    require(encodeSave() == (int32_t)size && memcmp(saveBytes, data, size) == 0);
    return 0;
}
