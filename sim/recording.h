// The recorded-game format: the header, each step's input as a change from
// the step before, the world's fingerprints and checkpoints, and the end.
// Written once here and used alike by the recorder and the reader; the file
// handling is in sim/recordingfile.h.
//
// The file is little-endian throughout:
//   header: "VG2REC" 0x1A 0x0A, format, game version, date, players, the
//           view's width, height and aspect for the first step, how the game
//           started, seed, rand() draws, the embedded save's size, packed size,
//           from format 3 the best score when the game began, then the save's
//           deflated bytes (a loaded game only);
//   steps:  one flags byte per step (held controls, and which of the move,
//           pointer and speed factor changed), then the changed values and a
//           one-byte fingerprint of the world after the step; after every
//           60th step a checkpoint of the world. From format 2, a step whose
//           view changed starts with the view mark and the view's width,
//           height and aspect;
//   end:    the byte 0x80, a last checkpoint, the step count, the score and a
//           CRC-32 of every byte before it.
// A step whose input did not change costs two bytes.
#pragma once

#include <cstdint>

#include "sim/step.h"
#include "world/savefile.h"

// ---- Constants --------------------------------------------------------------

const uint32_t kRecordingFormat = 3;         // the layout this build writes; it reads 1 to 3
const uint32_t kViewChangesFormat = 2;       // the first format that may change the view mid-game
const uint32_t kBestScoreFormat = 3;         // the first format whose header holds the best score
const int32_t kNoBestScore = -1;             // the header holds no best score (formats before 3)
const int kCheckpointSteps = 60;             // a world checksum after every 60th step (a second of play)
const int kStartNewCity = 0;                 // the game began with a freshly generated city
const int kStartLoadedGame = 1;              // the game began from the save embedded in the header
const uint64_t kMaxRecordedDraws = 1u << 28; // rand() draws before a game, at most (replay skips them one by one)
const int kViewBytes = 12;                   // a view's width, height and aspect
const int kMaxStepBytes = 32;                // one encoded step at its largest
const int kCheckpointBytes = 44;
const int kFirstHeaderBytes = 64;            // the header of formats 1 and 2
const int kRecordingHeaderBytes = kFirstHeaderBytes + 4;  // this format's: the best score follows
const int kTrailerBytes = 1 + kCheckpointBytes + 4 + 4 + 4;  // end mark, checkpoint, steps, score, CRC
const int kMaxPackedSaveBytes = kMaxSaveBytes + kMaxSaveBytes / 1000 + 64;  // a deflated save at its largest
const int kZlibArenaBytes = 320 * 1024;      // deflate at its best compression needs about 270 KiB
const int kFastPacking = 1;                  // zlib's fastest level, for the snapshots of watching
const int kStepsEnd = 0x80;                  // in place of a step's flags: the steps are over
const int kStepViewMark = 0x81;              // in place of a step's flags: the view changed, then the flags
const float kLargestView = 65535.0f;         // window pixels

// ---- Records ----------------------------------------------------------------

// How a recorded game began, and the view its first step had.
struct RecordingHeader {
    uint32_t format;      // kRecordingFormat when written; 1..kRecordingFormat when read
    float gameVersion;    // kGameVersion of the game that recorded it
    int64_t date;         // calendar time at the start, seconds since 1970
    int32_t playerCount;  // players in the game, 1..4
    float viewWidth;      // window pixels
    float viewHeight;     // window pixels
    float viewAspect;     // viewWidth / viewHeight as the game had it
    int32_t start;        // kStartNewCity or kStartLoadedGame
    uint32_t seed;        // the seed given to srand
    uint64_t draws;       // rand() draws taken since that seed, before the game began
    int32_t saveSize;     // bytes of the embedded save (kStartLoadedGame), else 0
    int32_t packedSize;   // bytes of that save deflated, as the file holds it, else 0
    int32_t bestScore;    // the player's best score when the game began, 0..; kNoBestScore before format 3
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

extern uint8_t packedSave[kMaxPackedSaveBytes];  // the embedded save, deflated

// ---- Functions --------------------------------------------------------------

Checkpoint takeCheckpoint(uint32_t step);
uint32_t checkpointSum(const Checkpoint& c);
uint8_t stepFingerprint();
bool describeDivergence(const Checkpoint& expected, const Checkpoint& actual, char* what, int size);
bool isRecordingMagic(const uint8_t* bytes, int size);
int headerBytes(uint32_t format);
void encodeHeader(const RecordingHeader& h, uint8_t* out);
int32_t decodeBestScore(const RecordingHeader& h, const uint8_t* in);
RecordingHeader decodeHeader(const uint8_t* in);
const char* headerProblem(const RecordingHeader& h);
StepInput firstStepInput(const RecordingHeader& h);
int encodeStep(const StepInput& in, const StepInput& before, uint8_t* out);
int stepValueBytes(int flags);
StepInput decodeStep(const uint8_t* bytes, const StepInput& before);
const char* stepProblem(const StepInput& in);
void encodeCheckpoint(const Checkpoint& c, uint8_t* out);
Checkpoint decodeCheckpoint(const uint8_t* in);
void encodeTrailer(const Checkpoint& last, uint32_t steps, int32_t score, uint8_t* out);
int32_t packBytes(const uint8_t* in, int32_t size, uint8_t* out, int32_t room, int level);
bool unpackBytes(const uint8_t* in, int32_t packed, uint8_t* out, int32_t size);
int32_t packSave(const uint8_t* save, int32_t size);
bool unpackSave(int32_t packed, int32_t size);
