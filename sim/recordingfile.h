// The file handling of recorded games: "lastgame.rec" streamed out through a
// fixed buffer while a game is played and put in place whole when it ends;
// and a recording read back step by step, its damage named where it lies.
#pragma once

#include <cstdint>
#include <cstdio>

#include "sim/recording.h"

// ---- Constants --------------------------------------------------------------

const char* const kLastGamePath = "lastgame.rec";  // the recording of the last game that ended
const int kRecordingBufferBytes = 1 << 16;   // steps gather here before going to disk in pieces
const int kRecordingErrorLength = 160;

// ---- Records ----------------------------------------------------------------

// Where the reader of a recording stands, to come back to without reading
// the file again from its start.
struct ReaderPlace {
    int64_t offset;      // bytes read so far
    uint32_t crc;        // CRC-32 of those bytes
    StepInput input;     // the last step's input read, which the next one changes
    uint32_t steps;      // steps read so far
};

// Told by scanRecording, after each step it reads, the seconds of play so far.
typedef void (*ScannedStep)(float seconds);

// ---- Globals ----------------------------------------------------------------

extern RecordingHeader recordingHeader;     // the header of the recording being read
extern bool recordingActive;                // a game is being recorded
extern uint32_t recordedSteps;              // steps written so far to the recording of the game in progress
extern uint32_t replayedSteps;              // steps read back so far from the recording being read
extern char recordingError[kRecordingErrorLength];  // what is wrong with a recording that failed to read

// ---- Functions --------------------------------------------------------------

void beginRecording(const RecordingHeader& header, const uint8_t* save);
void recordStep(const StepInput& live);
void recordStepResult();
void endRecording(int32_t score);
bool openRecording(FILE* file, const char* name);
int readRecordedStep();
bool readStepResult(uint8_t& fingerprint, Checkpoint& expected);
bool readRecordingEnd(Checkpoint& expected, uint32_t& steps, int32_t& score);
bool scanRecording(uint32_t& steps, int32_t& score, float* seconds = nullptr, ScannedStep eachStep = nullptr);
ReaderPlace readerPlace();
bool returnToPlace(const ReaderPlace& place);
