// "save.dat" (one saved game) and "stats.dat" (the best kill count).
// Both are written whole to a temporary file and renamed over the old one, so a
// failed write leaves the previous file as it was; a saved game is checked
// from end to end before any of it reaches the world.
#pragma once

#include <cstdint>

#include "world/world.h"

// ---- Sizes in "save.dat", bytes ---------------------------------------------

const int kTextRowBytes = kMapSize + 1;              // one map row and its line feed
const int kTextLayerBytes = kMapSize * kTextRowBytes;
const int kWallBoxBytes = 4 * 4;
const int kObstacleBytes = 7 * 4;
const int kActorBytes = 10 * 4;
const int kTracerBytes = 5 * 4;
const int kDecalBytes = 4 * 4;
const int kProjectileBytes = 7 * 4;
const int kExplosionBytes = 4 * 4;
const int kPlayerBytes = 8 * 4;
const int kActorHeaderBytes = (1 + kActorTypeSlots) * 4;
const int kCameraBytes = 5 * 4;
const int kSectionMarks = 7;
const int kMapCells = kMapSize * kMapSize;

// The largest save: every cell holding its most wall boxes and obstacles,
// every list full, four players.
const int kMaxSaveBytes = 4 * kTextLayerBytes + kSectionMarks + kMapCells * kMaxWallBoxesPerCell * kWallBoxBytes +
                          kMapCells * kMaxObstaclesPerCell * kObstacleBytes + kActorHeaderBytes +
                          kMaxActors * kActorBytes + 4 + kMaxTracers * kTracerBytes + 4 + kMaxDecals * kDecalBytes +
                          4 + kMaxProjectiles * kProjectileBytes + 4 + kMaxExplosions * kExplosionBytes + 4 +
                          kMaxPlayers * kPlayerBytes + kCameraBytes;

// ---- Globals ----------------------------------------------------------------

extern unsigned char saveBytes[kMaxSaveBytes + 1];  // the save being written or read back; one spare byte
                                                    // tells a longer file apart

// ---- Functions --------------------------------------------------------------

int32_t encodeSave();
bool decodeSave(int32_t size, bool apply);
bool saveGame();
int32_t readSave();
bool loadGame();
void readBestScore();
bool writeBestScore();
