// Zombies and civilians: spawning on a ring around the camera, chasing and
// fleeing, bites, deaths and despawning, and the actor stage that moves every
// actor (players included) with wall pushes and friction.
#pragma once

// ---- Constants --------------------------------------------------------------

const int kMaxZombies = 400;               // zombies spawn only while fewer than this
const int kMaxCivilians = 100;             // civilians spawn only while fewer than this
const int kMaxPopulation = 500;            // neither spawns while zombies + civilians reach this
const float kSpawnRingRadius = 8.0f;       // cells from the camera centre, nearest spawn
const float kSpawnRingStep = 0.1f;         // cells per ring draw (rand() % 30)
const int kSpawnRingDraws = 30;
const int kAngleDraws = 36000;             // random directions in hundredths of a degree
const float kAngleDrawUnit = 0.01f;        // degrees per angle draw
const float kDegreesToRadians = 0.0174532925f;
const float kDespawnDistance = 14.0f;      // cells from the camera along x or y before vanishing
const float kZombieSightRange = 20.0f;     // zombies look for players within this many cells
const float kCivilianAlertRange = 2.5f;    // civilians run from zombies within this many cells
const float kZombieAcceleration = 0.0045f; // cells per step unit, per step unit
const float kCivilianAcceleration = 0.0055f;
const float kActorRadius = 0.23f;          // an actor's circle against walls
const float kContactDistance = 0.46f;      // centres closer than this touch
const float kBiteDamage = 0.5f;            // health per step unit of contact
const float kPlayerHurtPause = 60.0f;      // step units without regeneration after harm
const float kSeparationRate = 0.015f;      // velocity per cell of overlap, per step unit
const float kFriction = 0.2f;              // share of velocity lost per step unit
const float kRisenHealth = 100.0f;         // health of a civilian risen as a zombie
const float kBleedPause = 10.0f;           // step units between blood decals of one actor
const int kThinkSlots = 10;                // thinkTick runs 0..9

// ---- Functions --------------------------------------------------------------

float findTarget(int i, int type, float radius);
bool beyondCameraSquare(float x, float y);
void spawnActors(float f);
void advanceThinkTick();
void runActorStage(float f);
