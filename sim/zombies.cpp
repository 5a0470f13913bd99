// The population of the world: spawning, planning and steering, despawning,
// deaths, contacts and movement of every actor.
#include "sim/zombies.h"

#include <cmath>
#include <cstdlib>

#include "sim/collision.h"
#include "sim/events.h"
#include "world/world.h"

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
    removeActor(i);
    return true;
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

// Actor i touches every other actor within the contact box. Positions do not
// change here, so the loop only compares.
static void touchOthers(int i, float f)
{
    const float ax = actors[i].x;
    const float ay = actors[i].y;
    for (int j = 0; j < actorCount; j++) {
        const Actor& b = actors[j];
        if (fabsf(ax - b.x) < kContactDistance && fabsf(ay - b.y) < kContactDistance && j != i)
            touch(i, j, f);
    }
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
            removeActor(i--);
            continue;
        }
        if (a.type != kActorPlayer && a.health <= 0 && removedByDeath(i)) {
            i--;
            continue;
        }
        touchOthers(i, f);
        moveActor(a, oldX, oldY, f);
    }
}
