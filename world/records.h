// The fields of every record the world saves and sums up, each listed once:
// one function per record walks its fields with a codec that writes them to
// "save.dat", reads them back with their checks, or mixes them into a
// recording's checksum.
#pragma once

#include "world/bytes.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

const int32_t kLastActorType = kActorCivilian;  // no other type is ever made
const int32_t kLastDecalKind = kDecalBlood;
const int32_t kLastObstacleKind = kObstacleCar;

// ---- Records ----------------------------------------------------------------

// One player's values beside its actor, in file order.
struct PlayerValues {
    float aimScreenX, aimScreenY;  // aim on screen, -1..1
    float aimWorldX, aimWorldY;    // aim in the world, cells
    float fireCooldown;            // step units
    float healthRegenDelay;        // step units
    float energy;                  // 0..100
    float energyRegenDelay;        // step units
};

// ---- Functions --------------------------------------------------------------

// Inline, so that a walk whose codec's mode is known where it starts (the
// checksums, once a second of play) runs without asking it at every field.

// A wall box: corner, then size.
inline void codeRecord(FieldCodec& c, WallBox& b)
{
    codeFloat(c, b.x);
    codeFloat(c, b.y);
    codeFloat(c, b.width);
    codeFloat(c, b.height);
}

// A prop (kinds 0..3) or car (kind 4): kind, centre, the two unused values,
// angle, health.
inline void codeRecord(FieldCodec& c, Obstacle& o)
{
    codeInt(c, o.kind, 0, kLastObstacleKind);
    codeFloat(c, o.x);
    codeFloat(c, o.y);
    codeFloat(c, o.a);
    codeFloat(c, o.b);
    codeFloat(c, o.angle);
    codeFloat(c, o.health);
}

// An actor of a list of actorCount. The bleed pause is not saved (a loaded
// actor's starts at 0, as a new one's) but counts in a checksum.
inline void codeRecord(FieldCodec& c, Actor& a, int32_t actorCount)
{
    codeInt(c, a.type, kActorPlayer, kLastActorType);
    codeInt(c, a.hasTarget, 0, 1);
    if (a.hasTarget)
        codeInt(c, a.target, 0, actorCount - 1);
    else
        codeInt(c, a.target);
    codeInt(c, a.thinkSlot);
    codeFloat(c, a.x);
    codeFloat(c, a.y);
    codeFloat(c, a.vx);
    codeFloat(c, a.vy);
    codeFloat(c, a.angle);
    codeFloat(c, a.health);
    if (c.mode == kCodeHash)
        codeFloat(c, a.bleedTimer);
    else if (c.mode == kCodeRead)
        a.bleedTimer = 0;
}

// A gun trace: direction, muzzle point, end point.
inline void codeRecord(FieldCodec& c, Tracer& t)
{
    codeFloat(c, t.angle);
    codeFloat(c, t.startX);
    codeFloat(c, t.startY);
    codeFloat(c, t.endX);
    codeFloat(c, t.endY);
}

// A corpse or blood mark: kind, centre, angle.
inline void codeRecord(FieldCodec& c, Decal& d)
{
    codeInt(c, d.kind, 0, kLastDecalKind);
    codeFloat(c, d.x);
    codeFloat(c, d.y);
    codeFloat(c, d.angle);
}

// An explosive in flight: thrower, position, velocity, angle, fuse.
inline void codeRecord(FieldCodec& c, Projectile& p)
{
    codeInt(c, p.owner);
    codeFloat(c, p.x);
    codeFloat(c, p.y);
    codeFloat(c, p.vx);
    codeFloat(c, p.vy);
    codeFloat(c, p.angle);
    codeFloat(c, p.fuse);
}

// A blast: centre, angle, strength.
inline void codeRecord(FieldCodec& c, Explosion& e)
{
    codeFloat(c, e.x);
    codeFloat(c, e.y);
    codeFloat(c, e.angle);
    codeFloat(c, e.strength);
}

// One player's values: aim on screen and in the world, the weapon and health
// pauses, energy and its pause.
inline void codeRecord(FieldCodec& c, PlayerValues& v)
{
    codeFloat(c, v.aimScreenX);
    codeFloat(c, v.aimScreenY);
    codeFloat(c, v.aimWorldX);
    codeFloat(c, v.aimWorldY);
    codeFloat(c, v.fireCooldown);
    codeFloat(c, v.healthRegenDelay);
    codeFloat(c, v.energy);
    codeFloat(c, v.energyRegenDelay);
}

// Player p's values, gathered from the per-player arrays.
inline PlayerValues playerValues(int p)
{
    return PlayerValues{aimScreenX[p], aimScreenY[p], aimWorldX[p],       aimWorldY[p],
                        fireCooldown[p], healthRegenDelay[p], energy[p], energyRegenDelay[p]};
}

// Stores player p's values in the per-player arrays.
inline void setPlayerValues(int p, const PlayerValues& v)
{
    aimScreenX[p] = v.aimScreenX;
    aimScreenY[p] = v.aimScreenY;
    aimWorldX[p] = v.aimWorldX;
    aimWorldY[p] = v.aimWorldY;
    fireCooldown[p] = v.fireCooldown;
    healthRegenDelay[p] = v.healthRegenDelay;
    energy[p] = v.energy;
    energyRegenDelay[p] = v.energyRegenDelay;
}
