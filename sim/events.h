// What happened in the last game step and where, for whatever wants to react
// to it outside the world (the sound layer, the run's statistics). The step
// only appends; nothing in the world or the step ever reads these back.
#pragma once

#include <cstdint>

// ---- Constants --------------------------------------------------------------

const int kMaxGameEvents = 256;      // events one step keeps; later ones are dropped

// Event kinds.
const int kEventShot = 0;            // a player fired the gun, at the player
const int kEventThrow = 1;           // a player threw an explosive, at the player
const int kEventExplosion = 2;       // a projectile went off, at the blast
const int kEventPlayerBitten = 3;    // a zombie's bite drew a player's blood
const int kEventZombieKilled = 4;    // a zombie died and left its corpse
const int kEventCivilianBitten = 5;  // a zombie's bite drew a civilian's blood
const int kEventCivilianKilled = 6;  // a civilian died and rises as a zombie
const int kEventPlayerDied = 7;      // a player's health ran out; the game ends
const int kEventShotHit = 8;         // a gun shot struck at least one zombie, at the hit
const int kEventBlastKill = 9;       // an explosion took a zombie's last health, where it stands
const int kEventKinds = 10;

// ---- Records ----------------------------------------------------------------

// One thing that happened in the step.
struct GameEvent {
    int32_t kind;     // kEventShot .. kEventBlastKill
    float x, y;       // where, cells
};

// ---- Globals ----------------------------------------------------------------

extern GameEvent gameEvents[kMaxGameEvents];  // events of the last step, in the order they happened
extern int32_t gameEventCount;                // 0..256

// ---- Functions --------------------------------------------------------------

void clearGameEvents();
void addGameEvent(int kind, float x, float y);
