// Watching a recording with seeking: the snapshots and the time marks.
#include "sim/seeking.h"

#include <cstring>

#include "sim/recording.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "sim/runstats.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const uint32_t kWidestInterval = 1u << 30;   // thinning stops here

// ---- Records ----------------------------------------------------------------

// A world kept outside the table: the one watched while the snapshots are
// built ahead, or the furthest one reached, for the next slice to go on from.
struct KeptWorld {
    bool held;          // the bytes hold a world
    uint32_t step;      // steps played when it was kept
    uint32_t seed;      // the generator's seed and draws since
    uint64_t draws;
    float seconds;      // seconds played
    int32_t saveSize;   // bytes of the save encoding, which the bleed pauses follow
    ReaderPlace place;  // where the reader stood
};

// ---- Globals ----------------------------------------------------------------

Snapshot snapshots[kMaxSnapshots] = {};
int32_t snapshotCount = 0;
int32_t snapshotArenaUsed = 0;
uint32_t snapshotInterval = kFirstSnapshotInterval;
uint32_t watchStep = 0;
uint32_t watchSteps = 0;
float watchSeconds = 0;
float watchTotalSeconds = 0;
int32_t watchScore = 0;
uint32_t watchBuiltStep = 0;

static unsigned char snapshotArena[kSnapshotArenaBytes] = {};  // the snapshots' save encodings
static float timeMarks[kMaxTimeMarks] = {};                    // seconds played after step k * kCheckpointSteps
static int32_t timeMarkCount = 0;                              // 0..kMaxTimeMarks
static FILE* watchFile = nullptr;                              // the recording being watched, or none
static const char* watchName = "";                             // its name, for messages
static unsigned char hereBytes[kMaxSnapshotBytes] = {};        // the watched world while building ahead
static KeptWorld here = {};
static unsigned char aheadBytes[kMaxSnapshotBytes] = {};       // the furthest world reached
static KeptWorld ahead = {};

// ---- Reading the recording --------------------------------------------------

// Keeps the seconds played after every kCheckpointSteps-th step as a time mark.
static void markTime(float seconds)
{
    if (replayedSteps % kCheckpointSteps == 0 && timeMarkCount < kMaxTimeMarks)
        timeMarks[timeMarkCount++] = seconds;
}

// Reads the whole opened recording without running it: its length in steps
// and seconds, its score, and the time marks.
static bool measureRecording()
{
    timeMarks[0] = 0;
    timeMarkCount = 1;
    return scanRecording(watchSteps, watchScore, &watchTotalSeconds, markTime);
}

// Opens the recording again from its start, ready for its first step.
static bool reopenRecording()
{
    rewind(watchFile);
    return openRecording(watchFile, watchName);
}

// Reads the inputs of the next `steps` steps without running them, so that
// the reader stands where a snapshot was taken.
static bool skipSteps(uint32_t steps)
{
    Checkpoint expected = {};
    unsigned char fingerprint = 0;
    for (uint32_t s = 0; s < steps; s++)
        if (readRecordedStep() != 1 || !readStepResult(fingerprint, expected))
            return false;
    return true;
}

// ---- Snapshots --------------------------------------------------------------

// The index of the first snapshot taken at or after the step.
static int firstSnapshotFrom(uint32_t step)
{
    int at = 0;
    while (at < snapshotCount && snapshots[at].step < step)
        at++;
    return at;
}

// Moves the kept snapshots' bytes down to the start of the arena, lowest
// offset first, so nothing not yet moved is overwritten.
static void compactArena()
{
    int32_t used = 0;
    for (int moved = 0; moved < snapshotCount; moved++) {
        int next = -1;
        for (int i = 0; i < snapshotCount; i++)
            if (snapshots[i].offset >= used && (next < 0 || snapshots[i].offset < snapshots[next].offset))
                next = i;
        memmove(snapshotArena + used, snapshotArena + snapshots[next].offset, (size_t)snapshots[next].size);
        snapshots[next].offset = used;
        used += snapshots[next].size;
    }
    snapshotArenaUsed = used;
}

// Doubles the spacing and keeps only the snapshots that fall on it. False
// when the spacing is already as wide as it goes.
static bool thinSnapshots()
{
    if (snapshotInterval >= kWidestInterval)
        return false;
    snapshotInterval *= 2;
    int kept = 0;
    for (int i = 0; i < snapshotCount; i++)
        if (snapshots[i].step % snapshotInterval == 0)
            snapshots[kept++] = snapshots[i];
    snapshotCount = kept;
    compactArena();
    return true;
}

// Puts the actors' bleed pauses at the given place, one float each.
static void putBleedPauses(unsigned char* at)
{
    for (int i = 0; i < actorCount; i++)
        memcpy(at + i * sizeof(float), &actors[i].bleedTimer, sizeof(float));
}

// Gives the actors back their bleed pauses from the given place.
static void takeBleedPauses(const unsigned char* at)
{
    for (int i = 0; i < actorCount; i++)
        memcpy(&actors[i].bleedTimer, at + i * sizeof(float), sizeof(float));
}

// Keeps the world after the current step, unless a snapshot of it exists:
// its save encoding deflated (fast) into the arena, then its bleed pauses.
// Thins the others when there is no room, and gives up when this step no
// longer falls on the spacing.
static void takeSnapshot()
{
    int at = firstSnapshotFrom(watchStep);
    if (at < snapshotCount && snapshots[at].step == watchStep)
        return;
    int32_t saveSize = encodeSave();
    int32_t bleed = actorCount * (int32_t)sizeof(float);
    int32_t packed = -1;
    while (packed < 0) {
        int32_t room = kSnapshotArenaBytes - snapshotArenaUsed - bleed;
        if (snapshotCount < kMaxSnapshots && room > 0)
            packed = packBytes(saveBytes, saveSize, snapshotArena + snapshotArenaUsed, room, kFastPacking);
        if (packed < 0 && (!thinSnapshots() || watchStep % snapshotInterval != 0))
            return;
    }
    at = firstSnapshotFrom(watchStep);
    for (int i = snapshotCount; i > at; i--)
        snapshots[i] = snapshots[i - 1];
    snapshots[at] = Snapshot{watchStep, randomSeed, randomDraws, watchSeconds, snapshotArenaUsed, packed + bleed,
                             saveSize, packed};
    putBleedPauses(snapshotArena + snapshotArenaUsed + packed);
    snapshotArenaUsed += packed + bleed;
    snapshotCount++;
}

// Forgets snapshot k; its bytes are reclaimed at the next thinning.
static void dropSnapshot(int k)
{
    for (int i = k; i + 1 < snapshotCount; i++)
        snapshots[i] = snapshots[i + 1];
    snapshotCount--;
}

// Inflates snapshot k's save encoding into saveBytes; true when it decodes.
static bool fetchSnapshot(int k)
{
    const Snapshot& s = snapshots[k];
    return unpackBytes(snapshotArena + s.offset, s.packedSize, saveBytes, s.saveSize) &&
           decodeSave(s.saveSize, false);
}

// Restores the latest snapshot at or before the step whose world loads (one
// that does not is dropped), or else starts the recorded game afresh; the
// reader is left just after the snapshot's step.
static bool restoreBefore(uint32_t step)
{
    int k = firstSnapshotFrom(step + 1) - 1;
    while (k >= 0 && !fetchSnapshot(k))
        dropSnapshot(k--);
    watchStep = 0;
    watchSeconds = 0;
    if (!reopenRecording())
        return false;
    if (k < 0)
        return startRecordedGame();
    const Snapshot s = snapshots[k];
    if (!skipSteps(s.step) || !fetchSnapshot(k))
        return false;
    decodeSave(s.saveSize, true);
    takeBleedPauses(snapshotArena + s.offset + s.packedSize);
    seedRandom(s.seed);
    skipRandomDraws(s.draws);
    watchStep = s.step;
    watchSeconds = s.seconds;
    return true;
}

// Keeps the world as it stands, with the reader's place, in the bytes given.
static void keepWorld(unsigned char* bytes, KeptWorld& w)
{
    w.saveSize = encodeSave();
    memcpy(bytes, saveBytes, (size_t)w.saveSize);
    putBleedPauses(bytes + w.saveSize);
    w.step = watchStep;
    w.seed = randomSeed;
    w.draws = randomDraws;
    w.seconds = watchSeconds;
    w.place = readerPlace();
    w.held = true;
}

// Puts a kept world back as it stood, the reader where it stood; false when
// it does not load or the file cannot be moved.
static bool bringWorld(const unsigned char* bytes, const KeptWorld& w)
{
    memcpy(saveBytes, bytes, (size_t)w.saveSize);
    if (!decodeSave(w.saveSize, true) || !returnToPlace(w.place))
        return false;
    takeBleedPauses(bytes + w.saveSize);
    seedRandom(w.seed);
    skipRandomDraws(w.draws);
    watchStep = w.step;
    watchSeconds = w.seconds;
    return true;
}

// ---- Watching ---------------------------------------------------------------

// Starts watching an opened recording from its start: reads it through once
// (a damaged file is refused here, recordingError saying why) and sets the
// world up as the game began. The caller keeps the file open while watching.
bool beginWatching(FILE* file, const char* name)
{
    watchFile = file;
    watchName = name;
    snapshotCount = 0;
    snapshotArenaUsed = 0;
    snapshotInterval = kFirstSnapshotInterval;
    watchStep = 0;
    watchSeconds = 0;
    watchBuiltStep = 0;
    ahead.held = false;
    if (!openRecording(file, name) || !measureRecording() || !reopenRecording() || !startRecordedGame()) {
        watchFile = nullptr;
        return false;
    }
    return true;
}

// Plays the next recorded step, keeping a snapshot where the spacing falls;
// returns what replayStep did (kReplayEnded after the last step).
int watchNextStep()
{
    if (watchFile == nullptr)
        return kReplayDamaged;
    int r = replayStep(watchScore);
    if (r != kReplayStepped)
        return r;
    watchStep++;
    watchSeconds += stepInput.speedFactor / kStepUnitsPerSecond;
    if (watchStep % snapshotInterval == 0)
        takeSnapshot();
    if (watchStep > watchBuiltStep)
        watchBuiltStep = watchStep;
    if (ahead.held && watchStep >= ahead.step)
        ahead.held = false;
    return r;
}

// Brings the world towards where it stood after the given step (the end at
// most), playing at most mostSteps steps: plays on when nothing kept lies
// nearer, else first restores the nearest snapshot at or before it, or the
// furthest world reached when that is nearer still. Leaving the furthest
// point reached keeps it. Says whether the target was reached, is still
// ahead, or the recording failed.
int seekWatchingWithin(uint32_t step, uint32_t mostSteps)
{
    if (watchFile == nullptr)
        return kSeekFailed;
    if (step > watchSteps)
        step = watchSteps;
    int k = firstSnapshotFrom(step + 1) - 1;
    uint32_t nearest = k >= 0 ? snapshots[k].step : 0;
    bool fromAhead = ahead.held && ahead.step <= step && ahead.step > watchStep && ahead.step > nearest;
    bool nearer = k >= 0 && nearest > watchStep;
    if (step < watchStep && watchStep >= watchBuiltStep)
        keepWorld(aheadBytes, ahead);
    if (fromAhead) {
        if (!bringWorld(aheadBytes, ahead))
            return kSeekFailed;
    } else if ((step < watchStep || nearer) && !restoreBefore(step))
        return kSeekFailed;
    for (uint32_t played = 0; watchStep < step; played++) {
        if (played >= mostSteps)
            return kSeekGoing;
        if (watchNextStep() != kReplayStepped)
            return kSeekFailed;
    }
    return kSeekReached;
}

// Builds snapshots beyond the furthest step reached, playing at most
// mostSteps steps from the furthest world kept (or from the watched world
// when it is the furthest; else from the last snapshot before the furthest
// step, playing up to it first),
// then keeps where it got to and brings the watched world back.
// kSeekReached once the end was reached, kSeekGoing while more remains.
int buildAheadWithin(uint32_t mostSteps)
{
    if (watchFile == nullptr)
        return kSeekFailed;
    if (watchBuiltStep >= watchSteps)
        return kSeekReached;
    keepWorld(hereBytes, here);
    bool ok = true;
    if (ahead.held && ahead.step > watchStep)
        ok = bringWorld(aheadBytes, ahead);
    else if (watchBuiltStep > watchStep)
        ok = restoreBefore(watchBuiltStep);
    for (uint32_t played = 0; ok && (played < mostSteps || watchStep < watchBuiltStep) && watchStep < watchSteps;
         played++)
        ok = watchNextStep() == kReplayStepped;
    if (ok && watchStep >= watchBuiltStep)
        keepWorld(aheadBytes, ahead);
    if (!bringWorld(hereBytes, here) || !ok)
        return kSeekFailed;
    return watchBuiltStep >= watchSteps ? kSeekReached : kSeekGoing;
}

// Brings the world to where it stood after the given step, however many
// steps that takes. False when the recording failed.
bool seekWatching(uint32_t step)
{
    return seekWatchingWithin(step, watchSteps) == kSeekReached;
}

// The step at which the given seconds of play had passed, to the nearest
// time mark before it; the end for anything past the end.
uint32_t stepAtSeconds(float seconds)
{
    if (!(seconds < watchTotalSeconds))
        return watchSteps;
    int k = 0;
    while (k + 1 < timeMarkCount && timeMarks[k + 1] <= seconds)
        k++;
    uint32_t step = (uint32_t)k * kCheckpointSteps;
    return step < watchSteps ? step : watchSteps;
}

// Seeks to the given seconds of play, as a click on the bar or an arrow key does.
bool seekWatchingSeconds(float seconds)
{
    return seekWatching(stepAtSeconds(seconds));
}

// Stops watching; the snapshots go with the recording.
void endWatching()
{
    watchFile = nullptr;
    snapshotCount = 0;
    snapshotArenaUsed = 0;
    ahead.held = false;
}
