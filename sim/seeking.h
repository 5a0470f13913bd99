// Watching a recorded game with seeking: the recording is read through once
// to know its length, then played step by step; every so often the world is
// kept as a snapshot (its save encoding deflated, what a save leaves out, and
// the generator's position) in a
// fixed arena, and a seek restores the nearest snapshot at or before the
// target and plays on from there; a seek past what was watched plays every
// step on the way, a share at a time if the caller wants the bar to move
// meanwhile. When the arena or the table is full the
// snapshots are thinned to twice the spacing, so any length of game fits.
// Beyond what was watched, the snapshots are built ahead a slice at a time
// (the watched world kept aside meanwhile, and the furthest world reached
// kept for the next slice), so that a later seek finds one near.
#pragma once

#include <cstdint>
#include <cstdio>

#include "world/savefile.h"

// ---- Constants --------------------------------------------------------------

const int kSnapshotArenaBytes = 32 << 20;        // room for every snapshot, bytes
const int kMaxSnapshots = 512;
const uint32_t kFirstSnapshotInterval = 120;     // steps between snapshots at first (2 s of play)
const int kMaxTimeMarks = 1 << 16;               // seconds played, every kCheckpointSteps steps
const int kSeekFailed = -1;                      // the recording failed on the way (recordingError says how)
const int kSeekGoing = 0;                        // on the way: the target is further than the steps allowed
const int kSeekReached = 1;                      // the world stands at the target
const int kMaxSnapshotBytes = kMaxSaveBytes + kMaxActors * 4;
static_assert(kSnapshotArenaBytes >= 2 * kMaxSnapshotBytes, "the arena holds two of the largest worlds");

// ---- Records ----------------------------------------------------------------

// The world as it stood after a step of the recording being watched: its
// save encoding deflated, then the actors' bleed pauses, which a save leaves out.
struct Snapshot {
    uint32_t step;     // steps played when it was taken
    uint32_t seed;     // the generator's seed
    uint64_t draws;    // rand() draws since that seed
    float seconds;     // seconds played
    int32_t offset;    // where its bytes start in the arena
    int32_t size;      // bytes in the arena
    int32_t saveSize;  // bytes of the save encoding
    int32_t packedSize;  // bytes of it deflated, which the bleed pauses follow
};

// ---- Globals ----------------------------------------------------------------

extern Snapshot snapshots[kMaxSnapshots];  // by step, earliest first
extern int32_t snapshotCount;              // 0..kMaxSnapshots
extern int32_t snapshotArenaUsed;          // bytes of the arena the snapshots take, 0..kSnapshotArenaBytes
extern uint32_t snapshotInterval;          // steps between snapshots; doubles as they are thinned
extern uint32_t watchStep;                 // steps of the recording played so far
extern uint32_t watchSteps;                // steps the recording holds
extern float watchSeconds;                 // seconds of play shown so far
extern float watchTotalSeconds;            // seconds of play the recording holds
extern int32_t watchScore;                 // the score the recording ends with
extern uint32_t watchBuiltStep;            // the furthest step any play of the recording reached, 0..watchSteps

// ---- Functions --------------------------------------------------------------

bool beginWatching(FILE* file, const char* name);
int watchNextStep();
int seekWatchingWithin(uint32_t step, uint32_t mostSteps);
bool seekWatching(uint32_t step);
bool seekWatchingSeconds(float seconds);
uint32_t stepAtSeconds(float seconds);
int buildAheadWithin(uint32_t mostSteps);
void endWatching();
