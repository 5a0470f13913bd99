// The fields of every record the world saves and sums up, each listed once:
// one function per record walks its fields with a codec that writes them to
// "save.dat", reads them back with their checks, or mixes them into a
// recording's checksum.
#pragma once

#include "world/bytes.h"
#include "world/world.h"

// One player's values beside its actor, in file order.
struct PlayerValues {
    float aimScreenX, aimScreenY;  // aim on screen, -1..1
    float aimWorldX, aimWorldY;    // aim in the world, cells
    float fireCooldown;            // step units
    float healthRegenDelay;        // step units
    float energy;                  // 0..100
    float energyRegenDelay;        // step units
};

void codeRecord(FieldCodec& c, WallBox& b);
void codeRecord(FieldCodec& c, Obstacle& o);
void codeRecord(FieldCodec& c, Actor& a, int32_t actorCount);
void codeRecord(FieldCodec& c, Tracer& t);
void codeRecord(FieldCodec& c, Decal& d);
void codeRecord(FieldCodec& c, Projectile& p);
void codeRecord(FieldCodec& c, Explosion& e);
void codeRecord(FieldCodec& c, PlayerValues& v);
PlayerValues playerValues(int p);
void setPlayerValues(int p, const PlayerValues& v);
