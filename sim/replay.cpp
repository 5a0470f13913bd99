// Playing a recorded game back, and the replay program's reports. The
// program itself keeps only its arguments, its window and its pace.
#include "sim/replay.h"

#include <cstring>
#include <ctime>

#include "sim/gamestart.h"
#include "sim/recordingfile.h"
#include "world/world.h"

// ---- Globals ----------------------------------------------------------------

uint32_t recordedFileSteps = 0;
int32_t recordedFileScore = 0;
static uint32_t firstDifferentStep = 0;   // first replayed step whose fingerprint differed, or 0

// ---- Playing back ---------------------------------------------------------------

// Opens a recording and reads it through once, so that a damaged file is
// refused before anything is shown; then it stands at the start of its steps
// again. False, with recordingError set, when it cannot be replayed.
bool openAndScanRecording(FILE* file, const char* name)
{
    firstDifferentStep = 0;
    if (!openRecording(file, name) || !scanRecording(recordedFileSteps, recordedFileScore))
        return false;
    rewind(file);
    return openRecording(file, name);
}

// Sets the world up as the recorded game began: the generator where it
// stood, then the game's start as the header gives it.
bool startRecordedGame()
{
    const RecordingHeader& h = recordingHeader;
    firstDifferentStep = 0;
    seedRandom(h.seed);
    skipRandomDraws(h.draws);
    return setUpGame(h.start, h.saveSize);
}

// Compares the world with a recorded checkpoint. On a difference the line
// naming it goes to recordingError: the first step whose fingerprint
// differed, or else the checkpoint's step, and what the checkpoint shows.
static bool matchesCheckpoint(const Checkpoint& expected)
{
    char what[kRecordingErrorLength / 2];
    if (!describeDivergence(expected, takeCheckpoint(expected.step), what, (int)sizeof what))
        return true;
    uint32_t first = firstDifferentStep != 0 ? firstDifferentStep : expected.step;
    if (first == expected.step)
        snprintf(recordingError, sizeof recordingError, "diverged at step %u: %s", (unsigned)first, what);
    else
        snprintf(recordingError, sizeof recordingError, "diverged at step %u: by step %u, %s", (unsigned)first,
                 (unsigned)expected.step, what);
    return false;
}

// Runs the next recorded step and checks the world where the recording has a
// checkpoint. kReplayStepped after a step, kReplayEnded once the end matched,
// kReplayDamaged or kReplayDiverged with recordingError saying what.
int replayStep(int32_t& score)
{
    Checkpoint expected = {};
    uint32_t steps = 0;
    int r = readRecordedStep();
    if (r < 0)
        return kReplayDamaged;
    if (r == 0) {
        if (!readRecordingEnd(expected, steps, score))
            return kReplayDamaged;
        return matchesCheckpoint(expected) ? kReplayEnded : kReplayDiverged;
    }
    stepGame(stepInput.speedFactor);
    uint8_t fingerprint = 0;
    if (!readStepResult(fingerprint, expected))
        return kReplayDamaged;
    if (fingerprint != stepFingerprint() && firstDifferentStep == 0)
        firstDifferentStep = replayedSteps;
    if (expected.step != 0 && !matchesCheckpoint(expected))
        return kReplayDiverged;
    return kReplayStepped;
}

// ---- The replay program's reports -------------------------------------------------

// Replays the whole file as fast as it runs: the one line of --check in
// `text`, and the program's exit status. The world must also end with the
// score the file holds.
int checkRecording(FILE* file, const char* name, char* text, int size)
{
    if (!openAndScanRecording(file, name) || !startRecordedGame()) {
        snprintf(text, (size_t)size, "%s", recordingError);
        return kReplayUnreadable;
    }
    int32_t score = 0;
    int r = kReplayStepped;
    while (r == kReplayStepped)
        r = replayStep(score);
    if (r == kReplayDamaged) {
        snprintf(text, (size_t)size, "%s", recordingError);
        return kReplayUnreadable;
    }
    if (r == kReplayDiverged) {
        snprintf(text, (size_t)size, "%s", recordingError);
        return kReplayWentDifferent;
    }
    if (score != killCount) {
        snprintf(text, (size_t)size, "diverged at step %u: score %d != %d", (unsigned)replayedSteps, (int)score,
                 (int)killCount);
        return kReplayWentDifferent;
    }
    snprintf(text, (size_t)size, "ok: %u steps, score %d, checksum %08X", (unsigned)replayedSteps, (int)score,
             checkpointSum(takeCheckpoint(replayedSteps)));
    return kReplayMatched;
}

// The lines of --info in `text`: the header and what the end of the file
// says, and the best score the game was played against when the header
// holds one; the exit status.
int describeRecording(FILE* file, const char* name, char* text, int size)
{
    if (!openAndScanRecording(file, name)) {
        snprintf(text, (size_t)size, "%s", recordingError);
        return kReplayUnreadable;
    }
    const RecordingHeader& h = recordingHeader;
    time_t date = (time_t)h.date;
    char when[64] = "unknown";
    struct tm utc;
    if (gmtime_r(&date, &utc))
        strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
    int used = snprintf(text, (size_t)size,
                        "format: %u\ngame version: %.1f\ndate: %s\nwindow: %.0f x %.0f (aspect %.4f)\nplayers: %d\n",
                        (unsigned)h.format, (double)h.gameVersion, when, (double)h.viewWidth,
                        (double)h.viewHeight, (double)h.viewAspect, (int)h.playerCount);
    if (used < 0 || used >= size)
        return kReplayMatched;
    if (h.start == kStartNewCity)
        used += snprintf(text + used, (size_t)(size - used), "start: a new city (seed %u, %llu rand draws before)\n",
                         (unsigned)h.seed, (unsigned long long)h.draws);
    else
        used += snprintf(text + used, (size_t)(size - used),
                         "start: a loaded game (%d bytes of save, seed %u, %llu rand draws before)\n",
                         (int)h.saveSize, (unsigned)h.seed, (unsigned long long)h.draws);
    if (used < 0 || used >= size)
        return kReplayMatched;
    used += snprintf(text + used, (size_t)(size - used), "steps: %u\nscore: %d", (unsigned)recordedFileSteps,
                     (int)recordedFileScore);
    if (used >= 0 && used < size && h.bestScore != kNoBestScore)
        snprintf(text + used, (size_t)(size - used), "\nbest score when played: %d", (int)h.bestScore);
    return kReplayMatched;
}
