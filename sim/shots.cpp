// Shots and hits: the instant gun trace, projectiles in flight, explosions and
// the craters they cut out of the wall boxes.
#include "sim/shots.h"

#include <cmath>
#include <cstdlib>

#include "world/collision.h"
#include "sim/events.h"
#include "sim/zombies.h"
#include "world/levelgen.h"
#include "world/world.h"

// A zombie hurt by a player chases player 0 from now on and never re-plans:
// players are never removed, so the target stays valid.
void lockOnPlayer(int i)
{
    actors[i].hasTarget = 1;
    actors[i].target = 0;
    actors[i].thinkSlot = -1;
}

// Drops a blood decal under a hurt actor, spread around the given direction,
// unless the actor bled too recently. The spread is drawn only when it bleeds.
static void bleedAround(Actor& a, float direction)
{
    if (!(a.bleedTimer < 0))
        return;
    float spread = (drawRandom() % kBloodSpreadDraws) * kBloodSpreadUnit - kBloodSpreadHalf;
    addDecal(kDecalBlood, a.x, a.y, direction + spread * kDegreesToRadians);
    a.bleedTimer = kBleedPause;
}

// Hits every actor (but the shooter) within reach of the sample point. A player
// hit cuts the damage to a quarter for itself and anyone else hit here.
// Returns true when anything was hit, which ends the trace after this sample;
// zombieStruck is set when one of them was a zombie.
static bool hitActorsAt(Tracer& t, float px, float py, float c, float s, float& damage,
                        int ignoredActor, bool& zombieStruck)
{
    bool hit = false;
    for (int j = 0; j < actorCount; j++) {
        Actor& b = actors[j];
        if (!(fabsf(px - b.x) < kTraceHitRadius && fabsf(py - b.y) < kTraceHitRadius))
            continue;
        if (j == ignoredActor || !(distance(px, py, b.x, b.y) < kTraceHitRadius))
            continue;
        if (b.type == kActorZombie) {
            lockOnPlayer(j);
            zombieStruck = true;
        }
        t.endX = px;
        t.endY = py;
        b.vx += c * kTraceShove;
        b.vy += s * kTraceShove;
        if (b.type == kActorPlayer)
            damage *= kPlayerTraceShare;
        b.health -= damage;
        bleedAround(b, t.angle);
        hit = true;
    }
    return hit;
}

// Strikes every projectile within reach of the sample point: each explodes in
// the next step. Returns true when any was struck.
static bool strikeProjectilesAt(Tracer& t, float px, float py)
{
    bool hit = false;
    for (int k = 0; k < projectileCount; k++) {
        Projectile& p = projectiles[k];
        if (!(fabsf(px - p.x) < kTraceHitRadius && fabsf(py - p.y) < kTraceHitRadius))
            continue;
        if (!(distance(px, py, p.x, p.y) < kTraceHitRadius))
            continue;
        p.fuse = 0;
        t.endX = px;
        t.endY = py;
        hit = true;
    }
    return hit;
}

// One gun shot: walks evenly spaced samples from the start towards the end,
// testing actors, then projectiles, then walls at each, and stops at the first
// sample that hits; a shot that struck a zombie is told as a hit. A full
// tracer list loses the shot entirely.
void fireTracer(float angle, float x, float y, float startDistance, float endDistance,
                float damage, int ignoredActor)
{
    if (tracerCount >= kMaxTracers)
        return;
    float c = cosf(angle);
    float s = sinf(angle);
    Tracer& t = tracers[tracerCount];
    t.angle = angle;
    t.startX = x + c * startDistance;
    t.startY = y + s * startDistance;
    t.endX = x + c * endDistance;
    t.endY = y + s * endDistance;
    float stepX = c * (endDistance - startDistance) / kTraceSamples;
    float stepY = s * (endDistance - startDistance) / kTraceSamples;
    float px = t.startX;
    float py = t.startY;
    bool zombieStruck = false;
    for (int n = 0; n < kTraceSamples; n++) {
        bool hit = hitActorsAt(t, px, py, c, s, damage, ignoredActor, zombieStruck);
        hit = strikeProjectilesAt(t, px, py) || hit;
        if (hit)
            break;
        if (isBlocked(px, py, 0, false)) {
            t.endX = px;
            t.endY = py;
            break;
        }
        px += stepX;
        py += stepY;
    }
    if (zombieStruck)
        addGameEvent(kEventShotHit, t.endX, t.endY);
    tracerCount++;
}

// Removes projectile k, moving the later ones down one place.
static void removeProjectile(int k)
{
    for (int i = k; i + 1 < projectileCount; i++)
        projectiles[i] = projectiles[i + 1];
    projectileCount--;
}

// Removes explosion e, moving the later ones down one place.
static void removeExplosion(int e)
{
    for (int i = e; i + 1 < explosionCount; i++)
        explosions[i] = explosions[i + 1];
    explosionCount--;
}

// Moves a flying projectile; it strikes when it touches a wall or obstacle
// (solid tiles let it pass) or any actor but its thrower, and stays there.
static void flyProjectile(Projectile& p, float f)
{
    p.x += p.vx * f;
    p.y += p.vy * f;
    if (isBlocked(p.x, p.y, kProjectileWallRadius, false)) {
        p.fuse = 0;
        return;
    }
    for (int j = 0; j < actorCount; j++) {
        const Actor& b = actors[j];
        if (!(fabsf(p.x - b.x) < kProjectileActorRadius && fabsf(p.y - b.y) < kProjectileActorRadius))
            continue;
        if (j != p.owner && distance(p.x, p.y, b.x, b.y) < kProjectileActorRadius) {
            p.fuse = 0;
            return;
        }
    }
}

// A struck projectile cuts its crater and, if there is room, becomes an
// explosion. The crater is cut, and the blast heard, even when the explosion
// list is full.
static void detonate(const Projectile& p)
{
    addGameEvent(kEventExplosion, p.x, p.y);
    carveWalls(p.x - kCraterHalf, p.y - kCraterHalf, kCraterSize, kCraterSize);
    if (explosionCount >= kMaxExplosions)
        return;
    Explosion& e = explosions[explosionCount];
    e.x = p.x;
    e.y = p.y;
    e.angle = p.angle;
    e.strength = kExplosionStrength;
    explosionCount++;
}

// Projectile stage: projectiles far from the camera fall away unexploded,
// flying ones move and may strike, and those struck in an earlier step explode.
void runProjectileStage(float f)
{
    for (int k = 0; k < projectileCount; k++) {
        Projectile& p = projectiles[k];
        if (beyondCameraSquare(p.x, p.y)) {
            removeProjectile(k--);
            continue;
        }
        if (p.fuse > 0) {
            flyProjectile(p, f);
            continue;
        }
        detonate(p);
        removeProjectile(k--);
    }
}

// One explosion acting on actor j: hurt and shove it by how close it stands.
// Players feel a tenth and stop regenerating; zombies turn on player 0, and
// one whose last health it takes is told as the blast's kill.
static void blast(const Explosion& e, int j, float f)
{
    Actor& b = actors[j];
    if (!(fabsf(e.x - b.x) < kExplosionRadius && fabsf(e.y - b.y) < kExplosionRadius))
        return;
    float d = distance(e.x, e.y, b.x, b.y);
    if (!(d < kExplosionRadius))
        return;
    float force = kExplosionRadius - d;
    if (b.type == kActorPlayer) {
        force *= kPlayerExplosionShare;
        if (j < kMaxPlayers)
            healthRegenDelay[j] = kPlayerHurtPause;
    } else if (b.type == kActorZombie) {
        lockOnPlayer(j);
    }
    float direction = atan2f(e.y - b.y, e.x - b.x);
    bool wasAlive = b.health > 0;
    b.health -= force * kExplosionDamage * f;
    if (wasAlive && b.health <= 0 && b.type == kActorZombie)
        addGameEvent(kEventBlastKill, b.x, b.y);
    bleedAround(b, direction);
    float shove = f * kExplosionShove * force;
    b.vx -= cosf(direction) * shove;
    b.vy -= sinf(direction) * shove;
}

// Explosion stage: every explosion acts on every actor near it (walls give no
// shelter), then fades; a spent explosion is removed.
void runExplosionStage(float f)
{
    for (int e = 0; e < explosionCount; e++) {
        for (int j = 0; j < actorCount; j++)
            blast(explosions[e], j, f);
        explosions[e].strength -= kExplosionDecay * f;
        if (explosions[e].strength <= 0)
            removeExplosion(e--);
    }
}

// Removes wall box k of a cell, moving the later ones down one place.
static void removeWallBox(int cx, int cy, int k)
{
    for (int i = k; i + 1 < wallBoxCount[cx][cy]; i++)
        wallBoxes[cx][cy][i] = wallBoxes[cx][cy][i + 1];
    wallBoxCount[cx][cy]--;
}

// Keeps the parts of box b outside the rectangle as new boxes of the cell: left
// and right pieces at full height, then top and bottom ones of the middle width.
// b itself shrinks to the part inside the rectangle.
static void cutAround(int cx, int cy, WallBox& b, float x, float y, float x2, float y2)
{
    if (b.x < x) {
        addWallBox(cx, cy, b.x, b.y, x - b.x, b.height);
        b.width = b.x + b.width - x;
        b.x = x;
    }
    if (x2 < b.x + b.width) {
        addWallBox(cx, cy, x2, b.y, b.x + b.width - x2, b.height);
        b.width = x2 - b.x;
    }
    if (b.y < y) {
        addWallBox(cx, cy, b.x, b.y, b.width, y - b.y);
        b.height = b.y + b.height - y;
        b.y = y;
    }
    if (y2 < b.y + b.height) {
        addWallBox(cx, cy, b.x, y2, b.width, b.y + b.height - y2);
        b.height = y2 - b.y;
    }
}

// Cuts the rectangle out of the boxes one cell held on arrival. Pieces made
// here sit past those boxes and are left alone; too thin or surplus pieces are
// lost, so a full cell opens wider than the crater.
static void carveCell(int cx, int cy, float x, float y, float x2, float y2)
{
    int n = wallBoxCount[cx][cy];
    int k = 0;
    while (k < n) {
        WallBox& b = wallBoxes[cx][cy][k];
        if (!(x < b.x + b.width && b.x < x2 && y < b.y + b.height && b.y < y2)) {
            k++;
            continue;
        }
        cutAround(cx, cy, b, x, y, x2, y2);
        removeWallBox(cx, cy, k);
        n--;
    }
}

// A cell coordinate limited to -1..kMapSize before it becomes an integer, so
// that far-off rectangles give empty ranges instead of overflowing.
static int cellBound(float c)
{
    return (int)fminf(kMapSize, fmaxf(-1, c));
}

// Cuts the rectangle with corner (x, y) out of the walls of every cell it may
// reach; cells off the map are skipped.
void carveWalls(float x, float y, float width, float height)
{
    float x2 = x + width;
    float y2 = y + height;
    int cxFirst = cellBound(fmaxf(0, floorf(x)));
    int cyFirst = cellBound(fmaxf(0, floorf(y)));
    int cxLast = cellBound(fminf(kMapSize - 1, ceilf(x2)));
    int cyLast = cellBound(fminf(kMapSize - 1, ceilf(y2)));
    for (int cx = cxFirst; cx <= cxLast; cx++)
        for (int cy = cyFirst; cy <= cyLast; cy++)
            carveCell(cx, cy, x, y, x2, y2);
}
