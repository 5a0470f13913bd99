// The whole game world: fixed-size global arrays and scalars that live for the
// whole run. A game is simply their current contents; nothing is allocated.
#pragma once

#include <cstdint>

// ---- Capacities and sizes ---------------------------------------------------

const int kMapSize = 256;          // cells along each side of the map
const int kMaxWallBoxesPerCell = 7;
const int kMaxObstaclesPerCell = 2;
const int kMaxActors = 1000;
const int kMaxTracers = 250;
const int kMaxDecals = 500;
const int kMaxProjectiles = 50;
const int kMaxExplosions = 50;
const int kMaxPlayers = 4;
const int kActorTypeSlots = 6;     // counters kept per actor type (only 0..2 used)
const float kThinnestWallBox = 0.025f;  // wall boxes must be thicker than this both ways
const float kGameVersion = 0.8f;   // this build's version, as recordings and the title give it

// Actor types.
const int kActorPlayer = 0;
const int kActorZombie = 1;
const int kActorCivilian = 2;

// Decal kinds.
const int kDecalCorpse = 0;
const int kDecalBlood = 1;

// Obstacle kinds 0..3 are props; this one is a parked car.
const int kObstacleCar = 4;

// ---- Records -------------------------------------------------------------

// An axis-aligned solid rectangle inside one cell, in world units.
struct WallBox {
    float x, y;           // top-left corner
    float width, height;  // both above kThinnestWallBox
};

// A solid prop (kinds 0..3, 0.8 x 0.8) or parked car (kind 4, 1.8 x 0.8), centred on x, y.
struct Obstacle {
    int32_t kind;
    float x, y;
    float a, b;       // always 0; kept and saved, read by nothing
    float angle;      // radians
    float health;     // always 100; kept and saved, read by nothing
};

// Every moving creature, players included.
struct Actor {
    int32_t type;       // kActorPlayer, kActorZombie or kActorCivilian
    int32_t hasTarget;  // 1 while target names the actor chased or fled from
    int32_t target;     // index into actors, meaningful while hasTarget is 1
    int32_t thinkSlot;  // 0..9: re-plans when thinkTick equals it; -1 once locked on player 0
    float x, y;         // centre, cells
    float vx, vy;       // cells per step unit
    float angle;        // facing, radians
    float health;       // 0..100, dies at 0 or below
    float bleedTimer;   // step units until the next blood decal may drop
};

// The visible line of one gun shot; lives for one step.
struct Tracer {
    float angle;
    float startX, startY;
    float endX, endY;
};

// A mark on the ground: kDecalCorpse or kDecalBlood.
struct Decal {
    int32_t kind;
    float x, y;
    float angle;
};

// An explosive thrown by a player.
struct Projectile {
    int32_t owner;   // index of the throwing player
    float x, y;
    float vx, vy;    // cells per step unit
    float angle;     // direction of flight
    float fuse;      // 100 in flight; 0 or less explodes in the next step
};

// A blast that hurts and shoves while its strength lasts.
struct Explosion {
    float x, y;
    float angle;     // rotation of its picture
    float strength;  // 100 at the blast, falls by 15 per step unit
};

// ---- Map layers (indexed [x][y]) --------------------------------------------

extern int32_t tileKind[kMapSize][kMapSize];       // floor or wall piece kind, 0..15 (0 void)
extern int32_t tileRotation[kMapSize][kMapSize];   // quarter turns of the piece, 0..3
extern int32_t wallBoxCount[kMapSize][kMapSize];   // live entries of wallBoxes per cell, 0..7
extern WallBox wallBoxes[kMapSize][kMapSize][kMaxWallBoxesPerCell];  // solid wall rectangles per cell
extern int32_t obstacleCount[kMapSize][kMapSize];  // live entries of obstacles per cell, 0..2
extern Obstacle obstacles[kMapSize][kMapSize][kMaxObstaclesPerCell]; // props and cars held by each cell

// ---- Lists ------------------------------------------------------------------

extern Actor actors[kMaxActors];                   // players first, then zombies and civilians
extern int32_t actorCount;                         // live actors, 0..1000
extern int32_t actorTypeCount[kActorTypeSlots];    // live actors of each type
extern Tracer tracers[kMaxTracers];                // gun shots of the last step
extern int32_t tracerCount;                        // 0..250
extern Decal decals[kMaxDecals];                   // ground marks, oldest first
extern int32_t decalCount;                         // 0..500
extern Projectile projectiles[kMaxProjectiles];    // thrown explosives in flight
extern int32_t projectileCount;                    // 0..50
extern Explosion explosions[kMaxExplosions];       // blasts still acting
extern int32_t explosionCount;                     // 0..50

// ---- Players (player p is actors[p]) ----------------------------------------

extern int32_t playerCount;                        // players in the game, 1..4
extern float aimScreenX[kMaxPlayers];              // aim, normalised screen units -1..1
extern float aimScreenY[kMaxPlayers];              // aim, normalised screen units -1..1
extern float aimWorldX[kMaxPlayers];               // aim point, cells
extern float aimWorldY[kMaxPlayers];               // aim point, cells
extern float fireCooldown[kMaxPlayers];            // step units until the next shot or throw
extern float healthRegenDelay[kMaxPlayers];        // step units until health regenerates
extern float energy[kMaxPlayers];                  // stamina, 0..100
extern float energyRegenDelay[kMaxPlayers];        // step units until energy regenerates

// ---- Camera and counters ----------------------------------------------------

extern float cameraX;                              // centre of the view, cells
extern float cameraY;                              // centre of the view, cells
extern float cameraZoom;                           // height of the view, cells (2..7.5 in play)
extern int32_t killCount;                          // zombies killed this game
extern int32_t bestKillCount;                      // most zombies killed in any game
extern int32_t thinkTick;                          // 0..9, advances every step

// ---- Randomness -------------------------------------------------------------

extern uint32_t randomSeed;                        // the seed last given to srand by seedRandom
extern uint64_t randomDraws;                       // rand() draws taken by the game since that seed

// ---- Operations -------------------------------------------------------------

void resetWorld();
void addActor(int type, float x, float y, float vx, float vy, float angle);
void removeActor(int index);
void addDecal(int kind, float x, float y, float angle);
void seedRandom(uint32_t seed);
int drawRandom();
void skipRandomDraws(uint64_t draws);
