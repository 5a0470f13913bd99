// The best runs and their recordings in "runs/".
#include "sim/bestruns.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "sim/recording.h"
#include "sim/recordingfile.h"
#include "world/files.h"
#include "world/savefile.h"

// ---- Constants --------------------------------------------------------------

static const char* const kRunsDir = "runs";
static const char* const kRunsIndexPath = "runs/index.dat";
static const char* const kBestRunPath = "runs/run-%06u.rec";
static const char* const kDayRunPath = "runs/day-%06u.rec";
static const int kRunNameLength = 14;            // "run-" or "day-", six digits, ".rec"
static const unsigned char kIndexMagic[8] = {'V', 'G', '2', 'R', 'U', 'N', 'S', 0x1A};
static const int kRecordingFormatAt = 8;         // where a recording's format number sits
static const mode_t kRunsDirMode = 0755;
static const mode_t kRunFileMode = 0644;
static const uint32_t kLastRunNumber = 999999;   // six digits in the names
static const int kNumberTries = 64;              // numbers tried past ones already taken on disk
static const int kCopyChunkBytes = 1 << 16;
static const int32_t kUnknownScore = -1;

// ---- Records ----------------------------------------------------------------

// The list as a whole, so that a change is made on a copy and only kept once
// the index holding it is on disk.
struct RunList {
    RunEntry best[kBestRunCount];
    int32_t bestCount;
    RunEntry day;
    bool hasDay;
    uint32_t nextNumber;
};

// The recording reader's globals, which reading a kept run must leave as it
// found them.
struct ReaderState {
    RecordingHeader header;
    StepInput input;
    uint32_t steps;
};

// ---- Globals ----------------------------------------------------------------

RunEntry bestRuns[kBestRunCount] = {};
int32_t bestRunCount = 0;
RunEntry dayRun = {};
bool hasDayRun = false;
uint32_t nextRunNumber = 1;

static unsigned char indexBytes[kMaxRunsIndexBytes + 1] = {};  // the index being written or read; one spare byte
static unsigned char copyChunk[kCopyChunkBytes] = {};          // a recording on its way into runs/

// ---- Days -------------------------------------------------------------------

// The UTC day of a calendar time as yyyymmdd; 0 for a time gmtime cannot take.
int32_t utcDay(int64_t time)
{
    time_t t = (time_t)time;
    struct tm parts = {};
    if (gmtime_r(&t, &parts) == nullptr || parts.tm_year < 0 || parts.tm_year > 8000)
        return 0;
    return (parts.tm_year + 1900) * 10000 + (parts.tm_mon + 1) * 100 + parts.tm_mday;
}

// The seed of the city of a day: the day itself, so that anyone can tell from
// a recording's seed which day's city it is.
uint32_t daySeed(int32_t day)
{
    return (uint32_t)day;
}

// A recorded game played in the city of the day it began on.
static bool isCityOfTheDay(const RecordingHeader& h)
{
    return h.start == kStartNewCity && h.draws == 0 && h.seed == daySeed(utcDay(h.date)) && h.seed != 0;
}

// ---- Paths ------------------------------------------------------------------

// The path of a kept run's recording.
void runRecordingPath(const RunEntry& run, char* path, int size)
{
    snprintf(path, (size_t)size, run.kind == kRunOfTheDay ? kDayRunPath : kBestRunPath, (unsigned)run.number);
}

// The kind and number a file name in runs/ stands for; false for any other name.
static bool parseRunName(const char* name, int32_t& kind, uint32_t& number)
{
    unsigned n = 0;
    int used = 0;
    if (strlen(name) != (size_t)kRunNameLength)
        return false;
    if (sscanf(name, "run-%6u.rec%n", &n, &used) == 1 && used == kRunNameLength)
        kind = kRunBest;
    else if (sscanf(name, "day-%6u.rec%n", &n, &used) == 1 && used == kRunNameLength)
        kind = kRunOfTheDay;
    else
        return false;
    number = n;
    return n > 0;
}

// ---- Reading a recording ----------------------------------------------------

// Opens a regular file for reading without waiting (a pipe in its place would
// block); -1 for anything else.
static int openRegularFile(const char* path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st = {};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads the 32-bit little-endian value at byte `at` of the file.
static bool readU32At(int fd, off_t at, uint32_t& value)
{
    unsigned char b[4];
    if (at < 0 || pread(fd, b, sizeof b, at) != (ssize_t)sizeof b)
        return false;
    value = (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
    return true;
}

// Whether the file starts as a recording of this game in a format this build
// reads; kRunDamaged when it is too short to tell.
static int recordingKind(int fd)
{
    uint8_t b[kRecordingFormatAt];
    uint32_t format = 0;
    if (pread(fd, b, sizeof b, 0) != (ssize_t)sizeof b)
        return kRunDamaged;
    if (!isRecordingMagic(b, (int)sizeof b))
        return kRunForeign;
    if (!readU32At(fd, kRecordingFormatAt, format))
        return kRunDamaged;
    return format == 0 || format > kRecordingFormat ? kRunForeign : kRunSound;
}

// Reads the recording at path from end to end into e (score, steps, time,
// date, day and CRC) and returns what it found, kRunSound when all of it
// reads. The reader's globals are left as they were.
static int summariseRecording(const char* path, RunEntry& e)
{
    int fd = openRegularFile(path);
    if (fd < 0)
        return kRunDamaged;
    int found = recordingKind(fd);
    FILE* file = found == kRunSound ? fdopen(fd, "rb") : nullptr;
    if (file == nullptr) {
        close(fd);
        return found == kRunSound ? kRunDamaged : found;
    }
    ReaderState kept = {recordingHeader, stepInput, replayedSteps};
    found = openRecording(file, path) && scanRecording(e.steps, e.score, &e.timeSurvived) ? kRunSound : kRunDamaged;
    if (found == kRunSound) {
        e.date = recordingHeader.date;
        e.day = isCityOfTheDay(recordingHeader) ? utcDay(recordingHeader.date) : 0;
        found = readU32At(fd, lseek(fd, 0, SEEK_END) - 4, e.crc) ? kRunSound : kRunDamaged;
    }
    fclose(file);
    recordingHeader = kept.header;
    stepInput = kept.input;
    replayedSteps = kept.steps;
    return found;
}

// ---- The index --------------------------------------------------------------

// Little-endian writers and readers over a byte cursor.
static unsigned char* putU32(unsigned char* at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        at[i] = (unsigned char)(v >> (8 * i));
    return at + 4;
}

static unsigned char* putU64(unsigned char* at, uint64_t v)
{
    return putU32(putU32(at, (uint32_t)v), (uint32_t)(v >> 32));
}

static uint32_t getU32(const unsigned char* at)
{
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

static uint64_t getU64(const unsigned char* at)
{
    return (uint64_t)getU32(at) | (uint64_t)getU32(at + 4) << 32;
}

// One run's stored fields.
static unsigned char* putEntry(unsigned char* at, const RunEntry& e)
{
    uint32_t seconds;
    memcpy(&seconds, &e.timeSurvived, sizeof seconds);
    at = putU32(putU32(putU32(at, e.number), (uint32_t)e.score), seconds);
    at = putU32(putU64(at, (uint64_t)e.date), (uint32_t)e.day);
    return putU32(putU32(at, e.steps), e.crc);
}

static RunEntry getEntry(const unsigned char* at, int32_t kind)
{
    RunEntry e = {};
    uint32_t seconds = getU32(at + 8);
    e.kind = kind;
    e.number = getU32(at);
    e.score = (int32_t)getU32(at + 4);
    memcpy(&e.timeSurvived, &seconds, sizeof seconds);
    e.date = (int64_t)getU64(at + 12);
    e.day = (int32_t)getU32(at + 20);
    e.steps = getU32(at + 24);
    e.crc = getU32(at + 28);
    return e;
}

// Encodes the list into indexBytes; returns the size.
static int32_t encodeIndex(const RunList& list)
{
    unsigned char* at = indexBytes;
    memcpy(at, kIndexMagic, sizeof kIndexMagic);
    at = putU32(at + sizeof kIndexMagic, kRunsIndexFormat);
    at = putU32(putU32(at, list.nextNumber), (uint32_t)list.bestCount);
    at = putU32(at, list.hasDay ? 1 : 0);
    for (int i = 0; i < list.bestCount; i++)
        at = putEntry(at, list.best[i]);
    if (list.hasDay)
        at = putEntry(at, list.day);
    int32_t size = (int32_t)(at - indexBytes);
    putU32(at, (uint32_t)crc32(0, indexBytes, (uInt)size));
    return size + 4;
}

// Equal scores keep the older run first; a lower number is older.
static bool ranksBefore(const RunEntry& a, const RunEntry& b)
{
    return a.score > b.score || (a.score == b.score && a.number < b.number);
}

// A stored run the list can hold: a number in range, a time that is a time,
// a score no lower than "unknown".
static bool plausibleEntry(const RunEntry& e, uint32_t nextNumber)
{
    return e.number > 0 && e.number < nextNumber && e.score >= kUnknownScore && std::isfinite(e.timeSurvived) &&
           e.timeSurvived >= 0;
}

// Checks the fields and order of a decoded list.
static bool plausibleList(const RunList& list)
{
    for (int i = 0; i < list.bestCount; i++) {
        if (!plausibleEntry(list.best[i], list.nextNumber))
            return false;
        if (i > 0 && !ranksBefore(list.best[i - 1], list.best[i]))
            return false;
    }
    return !list.hasDay || plausibleEntry(list.day, list.nextNumber);
}

// Decodes size bytes of indexBytes into list; false unless they are exactly
// one sound index.
static bool decodeIndex(int32_t size, RunList& list)
{
    if (size < kRunsIndexHeaderBytes + 4 || memcmp(indexBytes, kIndexMagic, sizeof kIndexMagic) != 0)
        return false;
    if (getU32(indexBytes + size - 4) != (uint32_t)crc32(0, indexBytes, (uInt)(size - 4)))
        return false;
    uint32_t count = getU32(indexBytes + 16);
    uint32_t hasDay = getU32(indexBytes + 20);
    if (getU32(indexBytes + 8) != kRunsIndexFormat || count > (uint32_t)kBestRunCount || hasDay > 1)
        return false;
    if (size != kRunsIndexHeaderBytes + (int32_t)(count + hasDay) * kRunEntryBytes + 4)
        return false;
    list = RunList{};
    list.nextNumber = getU32(indexBytes + 12);
    list.bestCount = (int32_t)count;
    for (uint32_t i = 0; i < count; i++)
        list.best[i] = getEntry(indexBytes + kRunsIndexHeaderBytes + i * kRunEntryBytes, kRunBest);
    list.hasDay = hasDay == 1;
    if (list.hasDay)
        list.day = getEntry(indexBytes + kRunsIndexHeaderBytes + count * kRunEntryBytes, kRunOfTheDay);
    return plausibleList(list);
}

// Reads the index into list; false when it is missing, unreadable or damaged.
static bool readIndex(RunList& list)
{
    int fd = openRegularFile(kRunsIndexPath);
    if (fd < 0)
        return false;
    ssize_t size = read(fd, indexBytes, sizeof indexBytes);
    close(fd);
    return size > 0 && size <= kMaxRunsIndexBytes && decodeIndex((int32_t)size, list);
}

// Writes the list as the new index, creating runs/ when needed.
static bool writeIndex(const RunList& list)
{
    mkdir(kRunsDir, kRunsDirMode);
    int32_t size = encodeIndex(list);
    return writeFileAtomically(kRunsIndexPath, indexBytes, size);
}

// ---- Keeping the list -------------------------------------------------------

// The list as the globals hold it, and back.
static RunList currentList()
{
    RunList list = {};
    memcpy(list.best, bestRuns, sizeof list.best);
    list.bestCount = bestRunCount;
    list.day = dayRun;
    list.hasDay = hasDayRun;
    list.nextNumber = nextRunNumber;
    return list;
}

static void makeCurrent(const RunList& list)
{
    memcpy(bestRuns, list.best, sizeof bestRuns);
    bestRunCount = list.bestCount;
    dayRun = list.day;
    hasDayRun = list.hasDay;
    nextRunNumber = list.nextNumber;
}

// Puts a run into the ranked list where it belongs, after every run that
// ranks before it; a run ranking below a full list stays out. True when the
// tenth was pushed out, into dropped.
static bool rankRun(RunList& list, const RunEntry& run, RunEntry& dropped)
{
    int at = list.bestCount;
    while (at > 0 && ranksBefore(run, list.best[at - 1]))
        at--;
    if (at >= kBestRunCount)
        return false;
    bool full = list.bestCount == kBestRunCount;
    if (full)
        dropped = list.best[--list.bestCount];
    for (int i = list.bestCount; i > at; i--)
        list.best[i] = list.best[i - 1];
    list.best[at] = run;
    list.bestCount++;
    return full;
}

// A new run enters the ten when there is room or it beats the tenth; a tie
// keeps the older run.
static bool entersBest(const RunList& list, const RunEntry& run)
{
    return list.bestCount < kBestRunCount || run.score > list.best[kBestRunCount - 1].score;
}

// A run of the day takes the slot from a run of an earlier day, or from one
// of the same day that it outscores (equal scores keep the older).
static bool beatsDayRun(const RunList& list, const RunEntry& run)
{
    if (run.day == 0)
        return false;
    if (!list.hasDay || run.day > list.day.day)
        return true;
    return run.day == list.day.day && run.score > list.day.score;
}

// The list already holds this very recording (a game that ended without a
// new recording leaves the older one in place).
static bool alreadyKept(const RunList& list, const RunEntry& run)
{
    for (int i = 0; i < list.bestCount; i++)
        if (list.best[i].crc == run.crc && list.best[i].date == run.date && list.best[i].steps == run.steps)
            return true;
    return list.hasDay && list.day.crc == run.crc && list.day.date == run.date && list.day.steps == run.steps;
}

// Copies a recording into a new file, written whole and synced, for file
// systems that cannot link; the new file is removed on any failure.
static bool copyRecording(const char* from, const char* to)
{
    int in = openRegularFile(from);
    int out = in < 0 ? -1 : open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kRunFileMode);
    bool copied = out >= 0;
    for (ssize_t n = 1; copied && n > 0;) {
        n = read(in, copyChunk, sizeof copyChunk);
        copied = n >= 0 && writeAll(out, copyChunk, (int32_t)n);
    }
    copied = copied && fsync(out) == 0;
    if (out >= 0)
        copied = close(out) == 0 && copied;
    if (in >= 0)
        close(in);
    if (!copied && out >= 0)
        unlink(to);
    return copied;
}

// Gives the run a number whose file is free and puts its recording there: a
// second name for the same file where the file system allows, else a copy.
static bool placeRecording(const char* from, RunList& list, RunEntry& run)
{
    char path[kRunPathLength];
    for (int tries = 0; tries < kNumberTries && list.nextNumber <= kLastRunNumber; tries++) {
        run.number = list.nextNumber++;
        runRecordingPath(run, path, sizeof path);
        if (link(from, path) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        return errno != ENOENT && copyRecording(from, path);
    }
    return false;
}

// Removes a kept run's recording.
static void removeRecording(const RunEntry& run)
{
    char path[kRunPathLength];
    runRecordingPath(run, path, sizeof path);
    unlink(path);
}

// ---- Rebuilding -------------------------------------------------------------

// Adds one recording found in runs/ to a list being rebuilt.
static void rebuildWith(RunList& list, int32_t kind, uint32_t number)
{
    RunEntry run = {};
    run.kind = kind;
    run.number = number;
    char path[kRunPathLength];
    runRecordingPath(run, path, sizeof path);
    run.status = summariseRecording(path, run);
    if (run.status != kRunSound)
        run.score = kUnknownScore;
    if (number >= list.nextNumber)
        list.nextNumber = number + 1;
    RunEntry dropped = {};
    if (kind == kRunBest) {
        rankRun(list, run, dropped);
        return;
    }
    if (!list.hasDay || run.day > list.day.day || (run.day == list.day.day && ranksBefore(run, list.day))) {
        list.day = run;
        list.hasDay = true;
    }
}

// Builds the list again from the recordings in runs/, when its index is
// missing or damaged. Recordings left out stay on disk.
static RunList rebuildList()
{
    RunList list = {};
    list.nextNumber = 1;
    DIR* dir = opendir(kRunsDir);
    while (dirent* d = dir ? readdir(dir) : nullptr) {
        int32_t kind = 0;
        uint32_t number = 0;
        if (parseRunName(d->d_name, kind, number))
            rebuildWith(list, kind, number);
    }
    if (dir)
        closedir(dir);
    return list;
}

// ---- The list's operations --------------------------------------------------

// Loads the list from the index, or rebuilds it from the recordings when the
// index is missing or damaged (and writes the rebuilt index where it can).
void loadBestRuns()
{
    RunList list = {};
    if (!readIndex(list)) {
        list = rebuildList();
        if (list.bestCount > 0 || list.hasDay)
            writeIndex(list);
    }
    makeCurrent(list);
}

// Whether a kept run's recording reads whole and is the run the list names.
static int checkRun(const RunEntry& run)
{
    char path[kRunPathLength];
    runRecordingPath(run, path, sizeof path);
    RunEntry found = run;
    int status = summariseRecording(path, found);
    if (status != kRunSound)
        return status;
    bool same = found.crc == run.crc && found.score == run.score && found.steps == run.steps && found.date == run.date;
    return same ? kRunSound : kRunForeign;
}

// Reads every kept run's recording and notes what it found, for the list.
void checkBestRuns()
{
    for (int i = 0; i < bestRunCount; i++)
        bestRuns[i].status = checkRun(bestRuns[i]);
    if (hasDayRun)
        dayRun.status = checkRun(dayRun);
}

// Puts the run's recording into runs/ as a kept run of the given kind and
// into the list; a run pushed out goes to dropped. False when the recording
// could not be placed.
static bool keepAs(int32_t kind, const char* recordingPath, RunList& list, RunEntry run, RunEntry* placed,
                   int& placedCount, RunEntry* dropped, int& droppedCount)
{
    run.kind = kind;
    if (!placeRecording(recordingPath, list, run))
        return false;
    placed[placedCount++] = run;
    if (kind == kRunBest && rankRun(list, run, dropped[droppedCount]))
        droppedCount++;
    if (kind == kRunOfTheDay) {
        if (list.hasDay)
            dropped[droppedCount++] = list.day;
        list.day = run;
        list.hasDay = true;
    }
    return true;
}

// Offers the recording of a game that just ended, of the given steps and
// score, to the list (a recording that holds another game, such as an older
// one left when the new one could not be written, is refused). It is kept
// when its score beats the tenth (or the list has room), and as the run of
// the day when it was played in the city of its day and beats that day's run.
// The index is written before anything leaves, so on any failure the list
// stays whole as it was. True when the run was kept.
bool offerRun(const char* recordingPath, uint32_t steps, int32_t score)
{
    loadBestRuns();
    RunEntry run = {};
    if (summariseRecording(recordingPath, run) != kRunSound || run.steps != steps || run.score != score)
        return false;
    run.status = kRunSound;
    RunList list = currentList();
    bool asBest = entersBest(list, run);
    bool asDay = beatsDayRun(list, run);
    if (alreadyKept(list, run) || (!asBest && !asDay))
        return false;
    mkdir(kRunsDir, kRunsDirMode);
    RunEntry placed[2] = {};
    RunEntry dropped[2] = {};
    int placedCount = 0;
    int droppedCount = 0;
    bool kept = !asBest || keepAs(kRunBest, recordingPath, list, run, placed, placedCount, dropped, droppedCount);
    kept = kept && (!asDay || keepAs(kRunOfTheDay, recordingPath, list, run, placed, placedCount, dropped,
                                     droppedCount));
    if (!kept || !writeIndex(list)) {
        for (int i = 0; i < placedCount; i++)
            removeRecording(placed[i]);
        return false;
    }
    makeCurrent(list);
    for (int i = 0; i < droppedCount; i++)
        removeRecording(dropped[i]);
    return true;
}

// Removes a kept run (rank 0.. among the best, or the run of the day) with its
// recording; the index changes first, so a failure removes nothing.
bool removeRun(int kind, int rank)
{
    RunList list = currentList();
    RunEntry gone = {};
    if (kind == kRunOfTheDay && list.hasDay) {
        gone = list.day;
        list.hasDay = false;
        list.day = RunEntry{};
    } else if (kind == kRunBest && rank >= 0 && rank < list.bestCount) {
        gone = list.best[rank];
        for (int i = rank; i + 1 < list.bestCount; i++)
            list.best[i] = list.best[i + 1];
        list.bestCount--;
    } else {
        return false;
    }
    if (!writeIndex(list))
        return false;
    makeCurrent(list);
    removeRecording(gone);
    return true;
}
