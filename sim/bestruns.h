// The best runs, kept with their recordings in the folder "runs/" beside the
// saved game: the ten highest scores, and beside them the best run of the
// latest city of the day. A small index ("runs/index.dat") lists them and is
// replaced as one step; when it is missing or damaged the list is rebuilt
// from the recordings themselves. Nothing found in "runs/" can stop the game:
// a recording that does not read is listed as damaged or foreign and can be
// removed. Index layout, little-endian: "VG2RUNS" 0x1A, format, the next run
// number, the count of best runs, whether a run of the day follows, the runs
// (number, score, seconds survived, date, day, steps, the recording's CRC-32),
// and a CRC-32 of every byte before it.
#pragma once

#include <cstdint>

// ---- Constants --------------------------------------------------------------

const int kBestRunCount = 10;            // runs kept for their score
const int kRunPathLength = 64;           // "runs/run-000001.rec" and the like, with room
const uint32_t kRunsIndexFormat = 1;
const int kRunEntryBytes = 4 + 4 + 4 + 8 + 4 + 4 + 4;
const int kRunsIndexHeaderBytes = 8 + 4 + 4 + 4 + 4;
const int kMaxRunsIndexBytes = kRunsIndexHeaderBytes + (kBestRunCount + 1) * kRunEntryBytes + 4;

// Kinds of kept run.
const int kRunBest = 0;                  // one of the ten best
const int kRunOfTheDay = 1;              // the best run of the latest city of the day

// What reading a kept run's recording found.
const int kRunUnchecked = 0;             // not read since the list was loaded
const int kRunSound = 1;                 // the recording reads whole and is the run listed
const int kRunDamaged = 2;               // cut short, corrupted or missing
const int kRunForeign = 3;               // not a recording of this game, or another run than listed

// ---- Records ----------------------------------------------------------------

// One kept run.
struct RunEntry {
    int32_t kind;         // kRunBest or kRunOfTheDay
    uint32_t number;      // names its recording; numbers grow, so a lower one is older
    int32_t score;        // zombies killed; -1 when the recording could not tell
    float timeSurvived;   // seconds of play the recording holds
    int64_t date;         // when the game began, seconds since 1970
    int32_t day;          // the UTC day (yyyymmdd) of a city of the day, else 0
    uint32_t steps;       // steps the recording holds
    uint32_t crc;         // the recording's own CRC-32, which tells one run from another
    int32_t status;       // kRunUnchecked .. kRunForeign, found on reading; not stored
};

// ---- Globals ----------------------------------------------------------------

extern RunEntry bestRuns[kBestRunCount];  // best first; equal scores, older first
extern int32_t bestRunCount;              // 0..10
extern RunEntry dayRun;                   // the best run of the latest city of the day
extern bool hasDayRun;                    // dayRun holds a run
extern uint32_t nextRunNumber;            // the number the next kept recording takes

// ---- Functions --------------------------------------------------------------

int32_t utcDay(int64_t time);
uint32_t daySeed(int32_t day);
void runRecordingPath(const RunEntry& run, char* path, int size);
void loadBestRuns();
void checkBestRuns();
bool offerRun(const char* recordingPath, uint32_t steps, int32_t score);
bool removeRun(int kind, int rank);
