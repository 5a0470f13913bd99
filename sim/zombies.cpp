// The population of the world: spawning, planning and steering, despawning,
// deaths, contacts and movement of every actor.
#include "sim/zombies.h"

#include <cmath>
#include <cstdlib>

#include "world/collision.h"
#include "sim/events.h"
#include "world/world.h"

const int kNearbyWords = (kMaxActors + 63) / 64;  // 64-bit words of the nearby set

// The actor stage files every actor under the map cell it stands in, so that
// contacts are looked for only among the actors of the nine cells around.
static int32_t firstInCell[kMapSize][kMapSize] = {};  // 1 + index of an actor filed in the cell, 0: none
static int32_t nextInCell[kMaxActors] = {};           // 1 + index of the next actor in the same cell, 0: none
static int32_t filedCellX[kMaxActors] = {};           // cell each actor is filed under, 0..255
static int32_t filedCellY[kMaxActors] = {};
static uint64_t nearby[kNearbyWords] = {};            // set of the actors around the one moving, bit = index

// Makes the nearest actor of the given type closer than radius the target of
// actor i and returns its distance, or radius when there is none. Never clears
// hasTarget; on a tie the earlier index stays. The search stops once every
// other actor of the type has been seen (players lead the list).
float findTarget(int i, int type, float radius)
{
    const float ax = actors[i].x;
    const float ay = actors[i].y;
    float best = radius;
    int found = -1;
    int left = actorTypeCount[type] - (actors[i].type == type ? 1 : 0);
    for (int j = 0; j < actorCount && left > 0; j++) {
        const Actor& b = actors[j];
        if (b.type != type || j == i)
            continue;
        left--;
        if (!(ax < b.x + best && b.x - best < ax && ay < b.y + best && b.y - best < ay))
            continue;
        float d = distance(ax, ay, b.x, b.y);
        if (d < best) {
            best = d;
            found = j;
        }
    }
    if (found >= 0) {
        actors[i].hasTarget = 1;
        actors[i].target = found;
    }
    return best;
}

// True when the point lies more than the despawn distance from the camera
// centre along either axis: actors vanish there, projectiles fall away.
bool beyondCameraSquare(float x, float y)
{
    return x > cameraX + kDespawnDistance || x < cameraX - kDespawnDistance ||
           y > cameraY + kDespawnDistance || y < cameraY - kDespawnDistance;
}

// A random direction in hundredths of a degree, in radians: one drawRandom() draw.
static float randomAngle()
{
    return (drawRandom() % kAngleDraws) * kAngleDrawUnit * kDegreesToRadians;
}

// Tries once to place an actor of the given type on the ring around the camera;
// a blocked point means no spawn this step.
static void spawnOnRing(int type)
{
    float a = randomAngle();
    float d = kSpawnRingRadius + (drawRandom() % kSpawnRingDraws) * kSpawnRingStep;
    float x = cameraX + cosf(a) * d;
    float y = cameraY + sinf(a) * d;
    if (isBlocked(x, y, kActorRadius, true))
        return;
    addActor(type, x, y, 0, 0, randomAngle());
}

// Spawning stage: at most one zombie, then at most one civilian, each only
// while its limits hold (the civilian sees the zombie just made).
void spawnActors(float f)
{
    (void)f;
    int zombies = actorTypeCount[kActorZombie];
    int civilians = actorTypeCount[kActorCivilian];
    if (zombies < kMaxZombies && zombies + civilians < kMaxPopulation)
        spawnOnRing(kActorZombie);
    zombies = actorTypeCount[kActorZombie];
    if (civilians < kMaxCivilians && zombies + civilians < kMaxPopulation)
        spawnOnRing(kActorCivilian);
}

// Moves the think tick on by one, wrapping from 9 to 0.
void advanceThinkTick()
{
    thinkTick++;
    if (thinkTick >= kThinkSlots)
        thinkTick = 0;
}

// Turns the actor to the angle and speeds it up along it at the given rate.
static void accelerateFacing(Actor& a, float angle, float rate, float f)
{
    a.angle = angle;
    a.vx += cosf(angle) * rate * f;
    a.vy += sinf(angle) * rate * f;
}

// Zombies re-plan on their think slot or when they have no target: the nearest
// player within sight, unless a civilian is strictly closer. Then they lurch
// towards whatever they chase.
static void steerZombie(int i, float f)
{
    Actor& a = actors[i];
    if (a.thinkSlot == thinkTick || a.hasTarget == 0) {
        a.hasTarget = 0;
        float r = findTarget(i, kActorPlayer, kZombieSightRange);
        findTarget(i, kActorCivilian, r);
    }
    if (a.hasTarget != 1)
        return;
    const Actor& t = actors[a.target];
    accelerateFacing(a, atan2f(t.y - a.y, t.x - a.x), kZombieAcceleration, f);
}

// Civilians look for a zombie close by on their slot (or when calm) and run
// straight away from it.
static void steerCivilian(int i, float f)
{
    Actor& a = actors[i];
    if (a.thinkSlot == thinkTick || a.hasTarget == 0) {
        a.hasTarget = 0;
        findTarget(i, kActorZombie, kCivilianAlertRange);
    }
    if (a.hasTarget != 1)
        return;
    const Actor& t = actors[a.target];
    accelerateFacing(a, atan2f(a.y - t.y, a.x - t.x), kCivilianAcceleration, f);
}

// A zombie's bite on actor j: damage over time, a regeneration pause for a
// player, and blood once the victim's bleed pause has run out; a bite that
// draws blood is heard.
static void bite(int j, float f)
{
    Actor& b = actors[j];
    b.health -= kBiteDamage * f;
    if (b.type == kActorPlayer && j < kMaxPlayers)
        healthRegenDelay[j] = kPlayerHurtPause;
    if (b.bleedTimer < 0) {
        if (b.type == kActorPlayer || b.type == kActorCivilian)
            addGameEvent(b.type == kActorPlayer ? kEventPlayerBitten : kEventCivilianBitten, b.x, b.y);
        addDecal(kDecalBlood, b.x, b.y, randomAngle());
        b.bleedTimer = kBleedPause;
    }
}

// Actors i and j touch when their centres are closer than the contact
// distance: a zombie i bites a non-zombie j, and both are pushed apart. The
// push is split by the sum of the absolute offsets; coincident actors cannot be
// told apart and stay together.
static void touch(int i, int j, float f)
{
    Actor& a = actors[i];
    Actor& b = actors[j];
    float d = distance(a.x, a.y, b.x, b.y);
    if (!(d < kContactDistance))
        return;
    if (a.type == kActorZombie && b.type != kActorZombie)
        bite(j, f);
    float dx = a.x - b.x;
    float dy = a.y - b.y;
    float s = fabsf(dx) + fabsf(dy);
    if (s == 0)
        return;
    float push = (kContactDistance - d) * kSeparationRate * f;
    a.vx += push * dx / s;
    a.vy += push * dy / s;
    b.vx -= push * dx / s;
    b.vy -= push * dy / s;
}

// The cell a coordinate files under, kept on the map (a point off the map
// files under the edge cell, which only adds candidates).
static int32_t fileCell(float c)
{
    if (!(c >= 1.0f))
        return 0;
    if (c >= (float)(kMapSize - 1))
        return kMapSize - 1;
    return (int32_t)c;
}

// Files actor i under the cell it stands in.
static void fileActor(int i)
{
    int32_t cx = fileCell(actors[i].x);
    int32_t cy = fileCell(actors[i].y);
    filedCellX[i] = cx;
    filedCellY[i] = cy;
    nextInCell[i] = firstInCell[cx][cy];
    firstInCell[cx][cy] = i + 1;
}

// Takes actor i out of its cell's list.
static void unfileActor(int i)
{
    int32_t* link = &firstInCell[filedCellX[i]][filedCellY[i]];
    while (*link != 0 && *link != i + 1)
        link = &nextInCell[*link - 1];
    if (*link != 0)
        *link = nextInCell[i];
}

// Files every actor; the cells are empty between stages.
static void fileAllActors()
{
    for (int i = 0; i < actorCount; i++)
        fileActor(i);
}

// Empties the cells in use.
static void unfileAllActors()
{
    for (int i = 0; i < actorCount; i++)
        firstInCell[filedCellX[i]][filedCellY[i]] = 0;
}

// Marks the actors filed in the nine cells around actor i in the nearby set.
static void gatherNearby(int i)
{
    for (int cx = filedCellX[i] - 1; cx <= filedCellX[i] + 1; cx++)
        for (int cy = filedCellY[i] - 1; cy <= filedCellY[i] + 1; cy++) {
            if (cx < 0 || cy < 0 || cx >= kMapSize || cy >= kMapSize)
                continue;
            for (int32_t k = firstInCell[cx][cy]; k != 0; k = nextInCell[k - 1])
                nearby[(k - 1) >> 6] |= 1ull << ((k - 1) & 63);
        }
}

// Actor i touches every other actor within the contact box, in list order:
// the nearby set is read lowest index first, and emptied as it is read.
// Positions do not change here, so only the actors filed around it need
// looking at.
static void touchOthers(int i, float f)
{
    const float ax = actors[i].x;
    const float ay = actors[i].y;
    gatherNearby(i);
    for (int w = 0; w * 64 < actorCount; w++)
        for (uint64_t bits = nearby[w]; bits != 0; bits &= bits - 1) {
            int j = w * 64 + __builtin_ctzll(bits);
            const Actor& b = actors[j];
            if (fabsf(ax - b.x) < kContactDistance && fabsf(ay - b.y) < kContactDistance && j != i)
                touch(i, j, f);
        }
    for (int w = 0; w * 64 < actorCount; w++)
        nearby[w] = 0;
}

// Removes actor i; every later actor moves down one place, so the cells are
// filed afresh.
static void removeStageActor(int i)
{
    unfileAllActors();
    removeActor(i);
    fileAllActors();
}

// Handles a non-player at or below 0 health. A zombie leaves its corpse and
// scores; a civilian rises as a zombie and carries on. Returns true when the
// actor was removed.
static bool removedByDeath(int i)
{
    Actor& a = actors[i];
    if (a.type == kActorCivilian) {
        addGameEvent(kEventCivilianKilled, a.x, a.y);
        actorTypeCount[kActorCivilian]--;
        actorTypeCount[kActorZombie]++;
        a.type = kActorZombie;
        a.health = kRisenHealth;
        return false;
    }
    if (a.type == kActorZombie) {
        addDecal(kDecalCorpse, a.x, a.y, a.angle);
        addGameEvent(kEventZombieKilled, a.x, a.y);
        killCount++;
    }
    removeStageActor(i);
    return true;
}

// Moves an actor by its velocity, pushes it out of the walls, keeps only the
// displacement actually made as its velocity, then applies friction.
static void moveActor(Actor& a, float oldX, float oldY, float f)
{
    a.bleedTimer -= f;
    a.x += a.vx * f;
    a.y += a.vy * f;
    pushOutOfSolids(a.x, a.y, kActorRadius);
    a.vx = (a.x - oldX) / f;
    a.vy = (a.y - oldY) / f;
    a.vx -= a.vx * kFriction * f;
    a.vy -= a.vy * kFriction * f;
}

// Actor stage: every actor in list order plans, may vanish or die, touches the
// others and moves. A removed actor's place is taken by the next one, which is
// handled at the same index.
void runActorStage(float f)
{
    fileAllActors();
    for (int i = 0; i < actorCount; i++) {
        Actor& a = actors[i];
        float oldX = a.x;
        float oldY = a.y;
        if (a.type == kActorZombie)
            steerZombie(i, f);
        else if (a.type == kActorCivilian)
            steerCivilian(i, f);
        bool roams = a.type == kActorZombie || a.type == kActorCivilian;
        if (roams && beyondCameraSquare(a.x, a.y)) {
            removeStageActor(i--);
            continue;
        }
        if (a.type != kActorPlayer && a.health <= 0 && removedByDeath(i)) {
            i--;
            continue;
        }
        touchOthers(i, f);
        moveActor(a, oldX, oldY, f);
        unfileActor(i);
        fileActor(i);
    }
    unfileAllActors();
}
