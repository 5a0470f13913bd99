// Gun traces, thrown projectiles, explosions and the craters they cut in the
// walls. Hits hurt and shove actors, drop blood and set zombies on player 0.
#pragma once

// ---- Constants --------------------------------------------------------------

const int kTraceSamples = 100;             // evenly spaced points tested along a shot
const float kTraceHitRadius = 0.25f;       // a sample this close hits an actor or projectile
const float kTraceShove = 0.075f;          // velocity added along the shot to an actor hit
const float kPlayerTraceShare = 0.25f;     // share of a shot's damage a player takes
const int kBloodSpreadDraws = 200;         // blood angle draw, tenths of a degree
const float kBloodSpreadUnit = 0.1f;       // degrees per spread draw
const float kBloodSpreadHalf = 10.0f;      // degrees either side of the hit direction
const float kProjectileWallRadius = 0.115f;
const float kProjectileActorRadius = 0.46f;
const float kCraterSize = 1.2f;            // side of the square cut out of the walls
const float kCraterHalf = 0.6f;
const float kExplosionRadius = 1.5f;
const float kExplosionStrength = 100.0f;   // strength of a fresh explosion
const float kExplosionDecay = 15.0f;       // strength lost per step unit
const float kExplosionDamage = 25.0f;      // health per step unit per cell of closeness
const float kExplosionShove = 0.045f;      // velocity per step unit per cell of closeness
const float kPlayerExplosionShare = 0.1f;  // share of an explosion's force a player feels

// ---- Functions --------------------------------------------------------------

void lockOnPlayer(int i);
void fireTracer(float angle, float x, float y, float startDistance, float endDistance,
                float damage, int ignoredActor);
void runProjectileStage(float f);
void runExplosionStage(float f);
void carveWalls(float x, float y, float width, float height);
