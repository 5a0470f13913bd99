// Playing a recorded game back: the game set up as its header describes, its
// steps run one by one against its checkpoints, and the reports of the
// replay program (--check and --info) as text.
#pragma once

#include <cstdint>
#include <cstdio>

// ---- Constants --------------------------------------------------------------

const int kReplayStepped = 1;                // replayStep ran a step
const int kReplayEnded = 0;                  // the recording ended where it should
const int kReplayDamaged = -1;               // the file is damaged or cut short
const int kReplayDiverged = -2;              // the world came out differently
const int kReplayMatched = 0;                // exit status: the recording replays as it was played
const int kReplayWentDifferent = 1;          // exit status: the world went different
const int kReplayUnreadable = 2;             // exit status: the file cannot be replayed
const int kReplayTextLength = 512;           // a report at its longest, with its line feeds

// ---- Globals ----------------------------------------------------------------

extern uint32_t recordedFileSteps;           // steps the opened recording holds, from its end
extern int32_t recordedFileScore;            // the score the opened recording holds

// ---- Functions --------------------------------------------------------------

bool openAndScanRecording(FILE* file, const char* name);
bool startRecordedGame();
int replayStep(int32_t& score);
int checkRecording(FILE* file, const char* name, char* text, int size);
int describeRecording(FILE* file, const char* name, char* text, int size);
