// Recorded games: "lastgame.rec" holds how a game started and the input of
// every step, with world checksums along the way, so that the very same steps
// can be run again and any difference named where it begins.
#pragma once

#include <cstdint>
#include <cstdio>

#include "sim/step.h"
#include "world/savefile.h"

// ---- Constants --------------------------------------------------------------

const uint32_t kRecordingFormat = 1;         // the layout this build writes and reads
const int kCheckpointSteps = 60;             // a world checksum after every 60th step (a second of play)
const int kStartNewCity = 0;                 // the game began with a freshly generated city
const int kStartLoadedGame = 1;              // the game began from the save embedded in the header
const uint64_t kMaxRecordedDraws = 1u << 28; // rand() draws before a game, at most (replay skips them one by one)
const int kRecordingBufferBytes = 1 << 16;   // steps gather here before going to disk in pieces
const int kMaxStepBytes = 16;                // one encoded step at its largest
const int kCheckpointBytes = 44;
const int kRecordingHeaderBytes = 64;
const int kMaxPackedSaveBytes = kMaxSaveBytes + kMaxSaveBytes / 1000 + 64;  // a deflated save at its largest
const int kZlibArenaBytes = 320 * 1024;      // deflate at its best compression needs about 270 KiB
const int kRecordingErrorLength = 160;
const int kReplayStepped = 1;                // replayStep ran a step
const int kReplayEnded = 0;                  // the recording ended where it should
const int kReplayDamaged = -1;               // the file is damaged or cut short
const int kReplayDiverged = -2;              // the world came out differently

// ---- Records ----------------------------------------------------------------

// How a recorded game began, and the display its aim depends on.
struct RecordingHeader {
    uint32_t format;      // kRecordingFormat
    float gameVersion;    // versionNumber of the game that recorded it
    int64_t date;         // calendar time at the start, seconds since 1970
    int32_t playerCount;  // players in the game, 1..4
    float screenWidth;    // window pixels
    float screenHeight;   // window pixels
    float aspectRatio;    // screenWidth / screenHeight as the game had it
    int32_t start;        // kStartNewCity or kStartLoadedGame
    uint32_t seed;        // the seed given to srand
    uint64_t draws;       // rand() draws taken since that seed, before the game began
    int32_t saveSize;     // bytes of the embedded save (kStartLoadedGame), else 0
    int32_t packedSize;   // bytes of that save deflated, as the file holds it, else 0
};

// The world as it stood after a step: enough to name what went different.
struct Checkpoint {
    uint32_t step;        // steps run so far
    uint64_t draws;       // rand() draws since the seed
    int32_t actorCount;
    int32_t killCount;
    float playerX, playerY;  // player 0, cells
    uint32_t actorsSum;   // every live actor and the type counts
    uint32_t shotsSum;    // tracers, decals, projectiles and explosions
    uint32_t playersSum;  // per-player values, camera, think tick
    uint32_t mapSum;      // tile kinds and wall boxes, which explosions cut
};

// ---- Globals ----------------------------------------------------------------

extern RecordingHeader recordingHeader;     // the header of the recording being written or read
extern bool recordingActive;                // a game is being recorded
extern uint32_t recordedSteps;              // steps written (or read back) so far
extern char recordingError[kRecordingErrorLength];  // what is wrong with a recording that failed to read

// ---- Functions --------------------------------------------------------------

Checkpoint takeCheckpoint(uint32_t step);
bool describeDivergence(const Checkpoint& expected, const Checkpoint& actual, char* what, int size);
void beginRecording(int start, const unsigned char* save, int32_t saveSize, int64_t date);
void recordStep(const StepInput& live);
void recordStepResult();
void endRecording(int32_t score);
bool openRecording(FILE* file, const char* name);
int readRecordedStep();
bool readStepResult(unsigned char& fingerprint, Checkpoint& expected);
bool readRecordingEnd(Checkpoint& expected, uint32_t& steps, int32_t& score);
bool startRecordedGame();
bool scanRecording(uint32_t& steps, int32_t& score);
int replayStep(int32_t& score);
