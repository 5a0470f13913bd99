// The file handling of recorded games: the recording streams through a fixed
// buffer to a temporary file, started on its way to the disk as it goes, and
// takes its name only once it is whole; a recording read back is counted into
// its CRC as it goes and every damage is named with where it lies.
#include "sim/recordingfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <zlib.h>

#include <cstring>

#include "sim/runstats.h"
#include "world/bytes.h"
#include "world/files.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const char* const kRecordingTempPath = "lastgame.rec.tmp";
static const mode_t kRecordingMode = 0644;

// ---- Globals ----------------------------------------------------------------

RecordingHeader recordingHeader = {};
bool recordingActive = false;
uint32_t recordedSteps = 0;
uint32_t replayedSteps = 0;
char recordingError[kRecordingErrorLength] = {};

static int recordingFd = -1;                               // the temporary file being written
static uint8_t recordingBuffer[kRecordingBufferBytes] = {};  // bytes not yet written out
static int32_t recordingBufferUsed = 0;                    // 0..kRecordingBufferBytes
static bool recordingFailed = false;                       // a write failed: the file is dropped
static uint32_t recordingCrc = 0;                          // CRC-32 of the bytes written so far
static StepInput recordedInput = {};                       // the last step's input written, which the next one changes
static uint32_t replayCrc = 0;                             // CRC-32 of the bytes read so far
static StepInput replayedInput = {};                       // the last step's input read back
static FILE* replayFile = nullptr;                         // the recording being read
static const char* replayName = "";                        // its name, for messages
static int64_t replayOffset = 0;                           // bytes read so far

// ---- Functions --------------------------------------------------------------

// Carries the running CRC-32 over more bytes.
static uint32_t updateCrc(uint32_t crc, const uint8_t* bytes, int64_t size)
{
    return (uint32_t)crc32(crc, bytes, (uInt)size);
}

// ---- Writing ------------------------------------------------------------------

// Writes out what the buffer holds and starts it on its way to the disk
// without waiting, so the sync at the end of a long game finds little left to
// do; after a failure nothing more is written.
static void flushRecording()
{
    if (!recordingFailed && !writeAll(recordingFd, recordingBuffer, recordingBufferUsed))
        recordingFailed = true;
    recordingBufferUsed = 0;
    if (!recordingFailed)
        sync_file_range(recordingFd, 0, 0, SYNC_FILE_RANGE_WRITE);
}

// Appends bytes through the buffer, counting them into the CRC.
static void appendRecording(const uint8_t* bytes, int32_t size)
{
    recordingCrc = updateCrc(recordingCrc, bytes, size);
    if (recordingBufferUsed + size > kRecordingBufferBytes)
        flushRecording();
    if (size > kRecordingBufferBytes) {
        if (!recordingFailed && !writeAll(recordingFd, bytes, size))
            recordingFailed = true;
        return;
    }
    memcpy(recordingBuffer + recordingBufferUsed, bytes, (size_t)size);
    recordingBufferUsed += size;
}

// Starts recording a game that begins now as the header says, with the
// save it began from (a loaded game). The file is written beside the old
// recording, which stays until this one ends.
void beginRecording(const RecordingHeader& header, const uint8_t* save)
{
    recordingActive = false;
    if (recordingFd >= 0)
        close(recordingFd);
    recordingFd = open(kRecordingTempPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kRecordingMode);
    int32_t packed = header.start == kStartLoadedGame ? packSave(save, header.saveSize) : 0;
    if (recordingFd < 0 || header.draws > kMaxRecordedDraws || packed < 0)
        return;
    RecordingHeader written = header;
    written.packedSize = packed;
    recordingActive = true;
    recordingFailed = false;
    recordingBufferUsed = 0;
    recordingCrc = 0;
    recordedSteps = 0;
    recordedInput = firstStepInput(written);
    uint8_t bytes[kRecordingHeaderBytes];
    encodeHeader(written, bytes);
    appendRecording(bytes, headerBytes(written.format));
    if (header.start == kStartLoadedGame)
        appendRecording(packedSave, packed);
}

// Writes this step's input and sets the step's input record by reading those
// very bytes back, so the game plays exactly what a replay will.
void recordStep(const StepInput& live)
{
    uint8_t bytes[kMaxStepBytes];
    int size = encodeStep(live, recordedInput, bytes);
    stepInput = decodeStep(bytes, recordedInput);
    recordedInput = stepInput;
    if (recordingActive)
        appendRecording(bytes, size);
}

// After a step: its fingerprint, and after every 60th the world's checkpoint.
void recordStepResult()
{
    if (!recordingActive)
        return;
    recordedSteps++;
    uint8_t fingerprint = stepFingerprint();
    appendRecording(&fingerprint, 1);
    if (recordedSteps % kCheckpointSteps != 0)
        return;
    uint8_t bytes[kCheckpointBytes];
    encodeCheckpoint(takeCheckpoint(recordedSteps), bytes);
    appendRecording(bytes, kCheckpointBytes);
}

// Ends the game's recording: the end mark, a last checkpoint, the step count,
// the score and the CRC, then the file reaches the disk and takes the name
// "lastgame.rec". A recording that could not be written whole is dropped and
// the older one stays.
void endRecording(int32_t score)
{
    if (!recordingActive)
        return;
    recordingActive = false;
    uint8_t trailer[kTrailerBytes];
    encodeTrailer(takeCheckpoint(recordedSteps), recordedSteps, score, trailer);
    recordingCrc = updateCrc(recordingCrc, trailer, kTrailerBytes - 4);
    putU32(trailer + kTrailerBytes - 4, recordingCrc);
    appendRecording(trailer, kTrailerBytes);
    flushRecording();
    bool written = !recordingFailed && fsync(recordingFd) == 0;
    written = close(recordingFd) == 0 && written;
    recordingFd = -1;
    if (!written || rename(kRecordingTempPath, kLastGamePath) != 0) {
        unlink(kRecordingTempPath);
        return;
    }
    syncDirectoryOf(kLastGamePath);
}

// ---- Reading --------------------------------------------------------------------

// Reads exactly `size` bytes, counting them into the CRC; a short read is a
// truncated file.
static bool readRecording(uint8_t* bytes, int32_t size)
{
    size_t got = fread(bytes, 1, (size_t)size, replayFile);
    replayCrc = updateCrc(replayCrc, bytes, (int64_t)got);
    replayOffset += (int64_t)got;
    if (got == (size_t)size)
        return true;
    snprintf(recordingError, sizeof recordingError, "%s: truncated at byte %lld", replayName,
             (long long)replayOffset);
    return false;
}

// Records what is wrong with the file as a whole; always false.
static bool refuse(const char* what)
{
    snprintf(recordingError, sizeof recordingError, "%s: %s", replayName, what);
    return false;
}

// Records the first problem found in the file and where; always false.
static bool damaged(const char* what)
{
    snprintf(recordingError, sizeof recordingError, "%s: damaged at byte %lld: %s", replayName,
             (long long)replayOffset, what);
    return false;
}

// Checks the header's values and the embedded save; the save is left in
// saveBytes for the game's start.
static bool checkHeader(const RecordingHeader& h)
{
    if (h.format > kRecordingFormat || h.format == 0) {
        snprintf(recordingError, sizeof recordingError, "%s: format %u is newer than this replayer reads (%u)",
                 replayName, (unsigned)h.format, (unsigned)kRecordingFormat);
        return false;
    }
    const char* problem = headerProblem(h);
    if (problem)
        return damaged(problem);
    if (h.start != kStartLoadedGame)
        return true;
    if (!readRecording(packedSave, h.packedSize))
        return false;
    if (!unpackSave(h.packedSize, h.saveSize) || !decodeSave(h.saveSize, false))
        return damaged("the embedded save does not load");
    return true;
}

// Opens a recording for reading and checks its header; `name` is how messages
// call it. False, with recordingError set, when it cannot be replayed.
bool openRecording(FILE* file, const char* name)
{
    replayFile = file;
    replayName = name;
    replayOffset = 0;
    replayCrc = 0;
    replayedSteps = 0;
    uint8_t b[kRecordingHeaderBytes];
    size_t got = fread(b, 1, kFirstHeaderBytes, file);
    replayCrc = updateCrc(replayCrc, b, (int64_t)got);
    replayOffset = (int64_t)got;
    if (got == 0)
        return refuse("empty file");
    if (!isRecordingMagic(b, (int)got))
        return refuse("not a recorded game");
    if (got < (size_t)kFirstHeaderBytes) {
        snprintf(recordingError, sizeof recordingError, "%s: truncated at byte %lld", name, (long long)got);
        return false;
    }
    recordingHeader = decodeHeader(b);
    int rest = headerBytes(recordingHeader.format) - kFirstHeaderBytes;
    if (recordingHeader.format <= kRecordingFormat && rest > 0) {
        if (!readRecording(b + kFirstHeaderBytes, rest))
            return false;
        recordingHeader.bestScore = decodeBestScore(recordingHeader, b + kFirstHeaderBytes);
    }
    replayedInput = firstStepInput(recordingHeader);
    return checkHeader(recordingHeader);
}

// The next step's input into stepInput: 1 for a step, 0 at the end mark, -1
// when the file is damaged or cut short (recordingError says how).
int readRecordedStep()
{
    uint8_t b[kMaxStepBytes];
    if (!readRecording(b, 1))
        return -1;
    if (b[0] == kStepsEnd)
        return 0;
    int flagsAt = 0;
    if (b[0] == kStepViewMark && recordingHeader.format >= kViewChangesFormat) {
        flagsAt = 1 + kViewBytes;
        if (!readRecording(b + 1, kViewBytes + 1))
            return -1;
    }
    if (b[flagsAt] & kStepsEnd) {
        damaged("bad step flags");
        return -1;
    }
    if (!readRecording(b + flagsAt + 1, stepValueBytes(b[flagsAt])))
        return -1;
    StepInput in = decodeStep(b, replayedInput);
    const char* problem = stepProblem(in);
    if (problem) {
        damaged(problem);
        return -1;
    }
    stepInput = in;
    replayedInput = in;
    replayedSteps++;
    return 1;
}

// After a step read: its fingerprint, and after every 60th the checkpoint
// the recording holds for it (else expected.step is 0).
bool readStepResult(uint8_t& fingerprint, Checkpoint& expected)
{
    expected.step = 0;
    if (!readRecording(&fingerprint, 1))
        return false;
    if (replayedSteps % kCheckpointSteps != 0)
        return true;
    uint8_t b[kCheckpointBytes];
    if (!readRecording(b, kCheckpointBytes))
        return false;
    expected = decodeCheckpoint(b);
    if (expected.step != replayedSteps)
        return damaged("checkpoint out of order");
    return true;
}

// After the end mark: the last checkpoint, the step count and score, and the
// CRC that must match every byte read; nothing may follow.
bool readRecordingEnd(Checkpoint& expected, uint32_t& steps, int32_t& score)
{
    const int crcAt = kCheckpointBytes + 8;  // after the end mark: checkpoint, steps, score, CRC
    uint8_t b[crcAt + 4];
    if (!readRecording(b, crcAt))
        return false;
    uint32_t crc = replayCrc;
    if (!readRecording(b + crcAt, 4))
        return false;
    expected = decodeCheckpoint(b);
    steps = getU32(b + kCheckpointBytes);
    score = (int32_t)getU32(b + kCheckpointBytes + 4);
    if (getU32(b + crcAt) != crc)
        return refuse("damaged: the file's checksum does not match its bytes");
    if (steps != replayedSteps || expected.step != steps)
        return damaged("step count does not match the steps");
    if (fgetc(replayFile) != EOF)
        return damaged("bytes after the end");
    return true;
}

// Reads the rest of the opened recording without running it: every step,
// every checkpoint and the end, so that a damaged file is refused before
// anything is shown. Gives the steps and score the end holds and, when asked,
// the seconds of play the steps took; `eachStep`, when given, is told the
// seconds played so far after every step read.
bool scanRecording(uint32_t& steps, int32_t& score, float* seconds, ScannedStep eachStep)
{
    Checkpoint expected = {};
    uint8_t fingerprint = 0;
    float played = 0;
    for (;;) {
        int r = readRecordedStep();
        if (r < 0)
            return false;
        if (r == 0)
            break;
        played += stepInput.speedFactor / kStepUnitsPerSecond;
        if (!readStepResult(fingerprint, expected))
            return false;
        if (eachStep != nullptr)
            eachStep(played);
    }
    if (seconds != nullptr)
        *seconds = played;
    return readRecordingEnd(expected, steps, score);
}

// Where the reader stands now.
ReaderPlace readerPlace()
{
    return ReaderPlace{replayOffset, replayCrc, replayedInput, replayedSteps};
}

// Puts the reader of the open recording back where it stood, as if it had
// read its way there; stepInput becomes the last step's input read. False
// when the file cannot be moved there.
bool returnToPlace(const ReaderPlace& place)
{
    if (replayFile == nullptr || fseeko(replayFile, (off_t)place.offset, SEEK_SET) != 0)
        return false;
    replayOffset = place.offset;
    replayCrc = place.crc;
    replayedInput = place.input;
    replayedSteps = place.steps;
    stepInput = place.input;
    return true;
}
