// Recorded games. The file is little-endian throughout:
//   header: "VG2REC" 0x1A 0x0A, format, game version, date, players, window
//           width, height and aspect, how the game started, seed, rand() draws,
//           the embedded save's size, packed size and deflated bytes (a
//           loaded game only);
//   steps:  one flags byte per step (held controls, and which of the move,
//           pointer and speed factor changed), then the changed values and a
//           one-byte fingerprint of the world after the step; after every
//           60th step a checkpoint of the world;
//   end:    the byte 0x80, a last checkpoint, the step count, the score and a
//           CRC-32 of every byte before it.
// A step whose input did not change costs two bytes.
#include "sim/recording.h"

#include <fcntl.h>
#include <unistd.h>

#include <zlib.h>

#include <cmath>
#include <cstring>

#include "app/app.h"
#include "platform/settings.h"
#include "world/levelgen.h"
#include "world/savefile.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const unsigned char kMagic[8] = {'V', 'G', '2', 'R', 'E', 'C', 0x1A, 0x0A};
static const char* const kRecordingPath = "lastgame.rec";
static const char* const kRecordingTempPath = "lastgame.rec.tmp";
static const mode_t kRecordingMode = 0644;
static const int kStepSprint = 0x01;
static const int kStepGun = 0x02;
static const int kStepThrow = 0x04;
static const int kStepMenuKeyFlag = 0x08;
static const int kStepMoveChanged = 0x10;
static const int kStepPointerChanged = 0x20;
static const int kStepSpeedChanged = 0x40;
static const int kStepsEnd = 0x80;
static const int32_t kPointerLimit = 32767;   // pointer coordinates are stored in 16 bits
static const uint32_t kHashStart = 2166136261u;
static const uint32_t kHashPrime = 16777619u;
static const float kLargestWindow = 65535.0f;
static const int kTrailerBytes = 1 + kCheckpointBytes + 4 + 4 + 4;

// ---- Globals ----------------------------------------------------------------

RecordingHeader recordingHeader = {};
bool recordingActive = false;
uint32_t recordedSteps = 0;
char recordingError[kRecordingErrorLength] = {};

static int recordingFd = -1;                                   // the temporary file being written
static unsigned char recordingBuffer[kRecordingBufferBytes] = {};  // bytes not yet written out
static int32_t recordingBufferUsed = 0;                        // 0..kRecordingBufferBytes
static bool recordingFailed = false;                           // a write failed: the file is dropped
static uint32_t recordingCrc = 0;                              // CRC-32 of the bytes so far, written or read
static StepInput previousInput = {};                           // the last step's input, which the next one changes
static FILE* replayFile = nullptr;                             // the recording being read
static const char* replayName = "";                            // its name, for messages
static int64_t replayOffset = 0;                               // bytes read so far
static uint32_t firstDifferentStep = 0;                        // first replayed step whose fingerprint differed, or 0
static unsigned char packedSave[kMaxPackedSaveBytes] = {};     // the embedded save, deflated
static unsigned char zlibArena[kZlibArenaBytes] = {};          // zlib's working memory, reused by every stream
static int32_t zlibArenaUsed = 0;                              // bytes of the arena handed out

// ---- Checksums ----------------------------------------------------------------

// Carries the running CRC-32 over more bytes.
static uint32_t updateCrc(uint32_t crc, const unsigned char* bytes, int64_t size)
{
    return (uint32_t)crc32(crc, bytes, (uInt)size);
}

// One word into a running world hash.
static uint32_t mix(uint32_t h, uint32_t v)
{
    return (h ^ v) * kHashPrime;
}

// A float by its exact bits.
static uint32_t mixFloat(uint32_t h, float v)
{
    uint32_t u;
    memcpy(&u, &v, sizeof u);
    return mix(h, u);
}

// Every live actor, field by field, and the counts by type.
static uint32_t hashActors()
{
    uint32_t h = mix(kHashStart, (uint32_t)actorCount);
    for (int t = 0; t < kActorTypeSlots; t++)
        h = mix(h, (uint32_t)actorTypeCount[t]);
    for (int i = 0; i < actorCount && i < kMaxActors; i++) {
        const Actor& a = actors[i];
        h = mix(mix(mix(mix(h, (uint32_t)a.type), (uint32_t)a.hasTarget), (uint32_t)a.target), (uint32_t)a.thinkSlot);
        h = mixFloat(mixFloat(mixFloat(mixFloat(h, a.x), a.y), a.vx), a.vy);
        h = mixFloat(mixFloat(mixFloat(h, a.angle), a.health), a.bleedTimer);
    }
    return h;
}

// Tracers, decals, projectiles and explosions with their counts.
static uint32_t hashShots()
{
    uint32_t h = mix(kHashStart, (uint32_t)tracerCount);
    for (int i = 0; i < tracerCount && i < kMaxTracers; i++) {
        const Tracer& t = tracers[i];
        h = mixFloat(mixFloat(mixFloat(mixFloat(mixFloat(h, t.angle), t.startX), t.startY), t.endX), t.endY);
    }
    h = mix(h, (uint32_t)decalCount);
    for (int i = 0; i < decalCount && i < kMaxDecals; i++)
        h = mixFloat(mixFloat(mixFloat(mix(h, (uint32_t)decals[i].kind), decals[i].x), decals[i].y), decals[i].angle);
    h = mix(h, (uint32_t)projectileCount);
    for (int i = 0; i < projectileCount && i < kMaxProjectiles; i++) {
        const Projectile& p = projectiles[i];
        h = mixFloat(mixFloat(mixFloat(mixFloat(mix(h, (uint32_t)p.owner), p.x), p.y), p.vx), p.vy);
        h = mixFloat(mixFloat(h, p.angle), p.fuse);
    }
    h = mix(h, (uint32_t)explosionCount);
    for (int i = 0; i < explosionCount && i < kMaxExplosions; i++) {
        const Explosion& e = explosions[i];
        h = mixFloat(mixFloat(mixFloat(mixFloat(h, e.x), e.y), e.angle), e.strength);
    }
    return h;
}

// The values of the players in the game, the camera and the think tick.
// (A slot no player uses keeps whatever an earlier game left there.)
static uint32_t hashPlayers()
{
    uint32_t h = mix(mix(kHashStart, (uint32_t)playerCount), (uint32_t)thinkTick);
    for (int p = 0; p < playerCount && p < kMaxPlayers; p++) {
        h = mixFloat(mixFloat(mixFloat(mixFloat(h, aimScreenX[p]), aimScreenY[p]), aimWorldX[p]), aimWorldY[p]);
        h = mixFloat(mixFloat(mixFloat(mixFloat(h, fireCooldown[p]), healthRegenDelay[p]), energy[p]),
                     energyRegenDelay[p]);
    }
    return mixFloat(mixFloat(mixFloat(h, cameraX), cameraY), cameraZoom);
}

// The tile kinds and every wall box, which explosions cut away.
static uint32_t hashMap()
{
    uint32_t h = kHashStart;
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++) {
            h = mix(mix(h, (uint32_t)tileKind[x][y]), (uint32_t)wallBoxCount[x][y]);
            for (int k = 0; k < wallBoxCount[x][y] && k < kMaxWallBoxesPerCell; k++) {
                const WallBox& b = wallBoxes[x][y][k];
                h = mixFloat(mixFloat(mixFloat(mixFloat(h, b.x), b.y), b.width), b.height);
            }
        }
    return h;
}

// The world after `step` steps, summed up.
Checkpoint takeCheckpoint(uint32_t step)
{
    Checkpoint c = {};
    c.step = step;
    c.draws = randomDraws;
    c.actorCount = actorCount;
    c.killCount = killCount;
    c.playerX = actorCount > 0 ? actors[0].x : 0.0f;
    c.playerY = actorCount > 0 ? actors[0].y : 0.0f;
    c.actorsSum = hashActors();
    c.shotsSum = hashShots();
    c.playersSum = hashPlayers();
    c.mapSum = hashMap();
    return c;
}

// One byte that changes with almost any difference a step makes to the
// counts, the generator or player 0, so a replay can name the very step at
// which it first went different.
static unsigned char stepFingerprint()
{
    uint32_t h = mix(mix(kHashStart, (uint32_t)randomDraws), (uint32_t)actorCount);
    h = mix(mix(mix(h, (uint32_t)killCount), (uint32_t)projectileCount), (uint32_t)explosionCount);
    if (actorCount > 0)
        h = mixFloat(mixFloat(mixFloat(h, actors[0].x), actors[0].y), actors[0].health);
    return (unsigned char)(h ^ h >> 8 ^ h >> 16 ^ h >> 24);
}

// Names the first value in which the world replayed differs from the world
// recorded, as "what recorded != replayed". False when they agree.
bool describeDivergence(const Checkpoint& expected, const Checkpoint& actual, char* d, int size)
{
    size_t left = (size_t)size;
    if (expected.draws != actual.draws)
        snprintf(d, left, "rand draws %llu != %llu", (unsigned long long)expected.draws,
                 (unsigned long long)actual.draws);
    else if (expected.actorCount != actual.actorCount)
        snprintf(d, left, "actor count %d != %d", (int)expected.actorCount, (int)actual.actorCount);
    else if (expected.killCount != actual.killCount)
        snprintf(d, left, "kills %d != %d", (int)expected.killCount, (int)actual.killCount);
    else if (memcmp(&expected.playerX, &actual.playerX, sizeof(float)) != 0)
        snprintf(d, left, "player 0 x %.4f != %.4f", (double)expected.playerX, (double)actual.playerX);
    else if (memcmp(&expected.playerY, &actual.playerY, sizeof(float)) != 0)
        snprintf(d, left, "player 0 y %.4f != %.4f", (double)expected.playerY, (double)actual.playerY);
    else if (expected.actorsSum != actual.actorsSum)
        snprintf(d, left, "actors checksum %08X != %08X", expected.actorsSum, actual.actorsSum);
    else if (expected.shotsSum != actual.shotsSum)
        snprintf(d, left, "shots checksum %08X != %08X", expected.shotsSum, actual.shotsSum);
    else if (expected.playersSum != actual.playersSum)
        snprintf(d, left, "players checksum %08X != %08X", expected.playersSum, actual.playersSum);
    else if (expected.mapSum != actual.mapSum)
        snprintf(d, left, "map checksum %08X != %08X", expected.mapSum, actual.mapSum);
    else
        return false;
    return true;
}

// ---- Encoding values ----------------------------------------------------------

// Little-endian, lowest byte first; returns the byte after.
static unsigned char* putU32(unsigned char* at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        *at++ = (unsigned char)(v >> (8 * i));
    return at;
}

// Low word first.
static unsigned char* putU64(unsigned char* at, uint64_t v)
{
    return putU32(putU32(at, (uint32_t)v), (uint32_t)(v >> 32));
}

// A float by its exact bits.
static unsigned char* putF32(unsigned char* at, float v)
{
    uint32_t u;
    memcpy(&u, &v, sizeof u);
    return putU32(at, u);
}

// The low 16 bits, two's complement.
static unsigned char* putI16(unsigned char* at, int32_t v)
{
    *at++ = (unsigned char)v;
    *at++ = (unsigned char)(v >> 8);
    return at;
}

// The readers of the values above.
static uint32_t getU32(const unsigned char* at)
{
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

static uint64_t getU64(const unsigned char* at)
{
    return (uint64_t)getU32(at) | (uint64_t)getU32(at + 4) << 32;
}

static float getF32(const unsigned char* at)
{
    uint32_t u = getU32(at);
    float v;
    memcpy(&v, &u, sizeof v);
    return v;
}

static int32_t getI16(const unsigned char* at)
{
    return (int16_t)(uint16_t)(at[0] | at[1] << 8);
}

// A pointer coordinate as 16 bits can hold it.
static int32_t pointerWithin(int32_t v)
{
    return v < -kPointerLimit ? -kPointerLimit : v > kPointerLimit ? kPointerLimit : v;
}

// One step's input as the file holds it, against the step before: the flags
// byte, then only what changed. Returns the bytes written.
static int encodeStep(const StepInput& in, const StepInput& before, unsigned char* out)
{
    unsigned char* at = out + 1;
    int flags = (in.sprint ? kStepSprint : 0) | (in.gun ? kStepGun : 0) | (in.throwing ? kStepThrow : 0) |
                (in.menuKey ? kStepMenuKeyFlag : 0);
    if (in.moveAcross != before.moveAcross || in.moveAlong != before.moveAlong) {
        flags |= kStepMoveChanged;
        at = putI16(putI16(at, in.moveAcross), in.moveAlong);
    }
    if (pointerWithin(in.pointerX) != before.pointerX || pointerWithin(in.pointerY) != before.pointerY) {
        flags |= kStepPointerChanged;
        at = putI16(putI16(at, pointerWithin(in.pointerX)), pointerWithin(in.pointerY));
    }
    if (memcmp(&in.speedFactor, &before.speedFactor, sizeof(float)) != 0) {
        flags |= kStepSpeedChanged;
        at = putF32(at, in.speedFactor);
    }
    out[0] = (unsigned char)flags;
    return (int)(at - out);
}

// A checkpoint's fields in order.
static void encodeCheckpoint(const Checkpoint& c, unsigned char* out)
{
    unsigned char* at = putU64(putU32(out, c.step), c.draws);
    at = putF32(putF32(putU32(putU32(at, (uint32_t)c.actorCount), (uint32_t)c.killCount), c.playerX), c.playerY);
    putU32(putU32(putU32(putU32(at, c.actorsSum), c.shotsSum), c.playersSum), c.mapSum);
}

// A checkpoint read back from its bytes.
static Checkpoint decodeCheckpoint(const unsigned char* in)
{
    Checkpoint c = {};
    c.step = getU32(in);
    c.draws = getU64(in + 4);
    c.actorCount = (int32_t)getU32(in + 12);
    c.killCount = (int32_t)getU32(in + 16);
    c.playerX = getF32(in + 20);
    c.playerY = getF32(in + 24);
    c.actorsSum = getU32(in + 28);
    c.shotsSum = getU32(in + 32);
    c.playersSum = getU32(in + 36);
    c.mapSum = getU32(in + 40);
    return c;
}

// The header's fields after the magic.
static void encodeHeader(const RecordingHeader& h, unsigned char* out)
{
    memcpy(out, kMagic, sizeof kMagic);
    unsigned char* at = putF32(putU32(out + sizeof kMagic, h.format), h.gameVersion);
    at = putU32(putU64(at, (uint64_t)h.date), (uint32_t)h.playerCount);
    at = putF32(putF32(putF32(at, h.screenWidth), h.screenHeight), h.aspectRatio);
    at = putU64(putU32(putU32(at, (uint32_t)h.start), h.seed), h.draws);
    putU32(putU32(at, (uint32_t)h.saveSize), (uint32_t)h.packedSize);
}

// ---- The embedded save ----------------------------------------------------------

// zlib's allocations come from a fixed arena that each stream starts afresh,
// so packing a save takes nothing from the heap.
static voidpf arenaAlloc(voidpf, uInt items, uInt size)
{
    int32_t bytes = (int32_t)((items * size + 15) & ~15u);
    if (zlibArenaUsed + bytes > kZlibArenaBytes)
        return Z_NULL;
    voidpf p = zlibArena + zlibArenaUsed;
    zlibArenaUsed += bytes;
    return p;
}

// The arena is emptied only when the next stream starts.
static void arenaFree(voidpf, voidpf) {}

// A zlib stream over the arena.
static z_stream arenaStream()
{
    z_stream z = {};
    z.zalloc = arenaAlloc;
    z.zfree = arenaFree;
    zlibArenaUsed = 0;
    return z;
}

// Deflates a save into packedSave; its packed size, or -1.
static int32_t packSave(const unsigned char* save, int32_t size)
{
    z_stream z = arenaStream();
    if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK)
        return -1;
    z.next_in = const_cast<unsigned char*>(save);
    z.avail_in = (uInt)size;
    z.next_out = packedSave;
    z.avail_out = (uInt)kMaxPackedSaveBytes;
    int r = deflate(&z, Z_FINISH);
    int32_t packed = (int32_t)z.total_out;
    deflateEnd(&z);
    return r == Z_STREAM_END ? packed : -1;
}

// Inflates packedSave into saveBytes; true when it gives exactly `size` bytes.
static bool unpackSave(int32_t packed, int32_t size)
{
    z_stream z = arenaStream();
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_in = packedSave;
    z.avail_in = (uInt)packed;
    z.next_out = saveBytes;
    z.avail_out = (uInt)size;
    int r = inflate(&z, Z_FINISH);
    bool whole = r == Z_STREAM_END && z.total_out == (uLong)size && z.avail_in == 0;
    inflateEnd(&z);
    return whole;
}

// The header's fields read back, after the magic.
static void decodeHeader(const unsigned char* b, RecordingHeader& h)
{
    h.format = getU32(b + 8);
    h.gameVersion = getF32(b + 12);
    h.date = (int64_t)getU64(b + 16);
    h.playerCount = (int32_t)getU32(b + 24);
    h.screenWidth = getF32(b + 28);
    h.screenHeight = getF32(b + 32);
    h.aspectRatio = getF32(b + 36);
    h.start = (int32_t)getU32(b + 40);
    h.seed = getU32(b + 44);
    h.draws = getU64(b + 48);
    h.saveSize = (int32_t)getU32(b + 56);
    h.packedSize = (int32_t)getU32(b + 60);
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
static void appendRecording(const unsigned char* bytes, int32_t size)
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

// Starts recording a game that begins now: a new city about to be generated
// from the generator as it stands, or the world just loaded from `save`. The
// file is written beside the old recording, which stays until this one ends.
void beginRecording(int start, const unsigned char* save, int32_t saveSize, int64_t date)
{
    recordingActive = false;
    if (recordingFd >= 0)
        close(recordingFd);
    recordingFd = open(kRecordingTempPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kRecordingMode);
    int32_t packed = start == kStartLoadedGame ? packSave(save, saveSize) : 0;
    if (recordingFd < 0 || randomDraws > kMaxRecordedDraws || packed < 0)
        return;
    recordingHeader = RecordingHeader{kRecordingFormat, versionNumber, date, start == kStartNewCity ? 1 : playerCount,
                                      screenWidth, screenHeight, aspectRatio, start, randomSeed, randomDraws,
                                      start == kStartLoadedGame ? saveSize : 0, packed};
    recordingActive = true;
    recordingFailed = false;
    recordingBufferUsed = 0;
    recordingCrc = 0;
    recordedSteps = 0;
    previousInput = StepInput{};
    unsigned char header[kRecordingHeaderBytes];
    encodeHeader(recordingHeader, header);
    appendRecording(header, kRecordingHeaderBytes);
    if (start == kStartLoadedGame)
        appendRecording(packedSave, packed);
}

// Writes this step's input and sets the step's input record by reading those
// very bytes back, so the game plays exactly what a replay will.
void recordStep(const StepInput& live)
{
    unsigned char bytes[kMaxStepBytes];
    int size = encodeStep(live, previousInput, bytes);
    StepInput decoded = previousInput;
    decoded.sprint = (bytes[0] & kStepSprint) != 0;
    decoded.gun = (bytes[0] & kStepGun) != 0;
    decoded.throwing = (bytes[0] & kStepThrow) != 0;
    decoded.menuKey = (bytes[0] & kStepMenuKeyFlag) != 0;
    const unsigned char* at = bytes + 1;
    if (bytes[0] & kStepMoveChanged) {
        decoded.moveAcross = getI16(at);
        decoded.moveAlong = getI16(at + 2);
        at += 4;
    }
    if (bytes[0] & kStepPointerChanged) {
        decoded.pointerX = getI16(at);
        decoded.pointerY = getI16(at + 2);
        at += 4;
    }
    if (bytes[0] & kStepSpeedChanged)
        decoded.speedFactor = getF32(at);
    stepInput = decoded;
    previousInput = decoded;
    if (recordingActive)
        appendRecording(bytes, size);
}

// After a step: its fingerprint, and after every 60th the world's checkpoint.
void recordStepResult()
{
    if (!recordingActive)
        return;
    recordedSteps++;
    unsigned char fingerprint = stepFingerprint();
    appendRecording(&fingerprint, 1);
    if (recordedSteps % kCheckpointSteps != 0)
        return;
    unsigned char bytes[kCheckpointBytes];
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
    unsigned char trailer[kTrailerBytes];
    trailer[0] = kStepsEnd;
    encodeCheckpoint(takeCheckpoint(recordedSteps), trailer + 1);
    putU32(putU32(trailer + 1 + kCheckpointBytes, recordedSteps), (uint32_t)score);
    recordingCrc = updateCrc(recordingCrc, trailer, kTrailerBytes - 4);
    putU32(trailer + kTrailerBytes - 4, recordingCrc);
    appendRecording(trailer, kTrailerBytes);
    flushRecording();
    bool written = !recordingFailed && fsync(recordingFd) == 0;
    written = close(recordingFd) == 0 && written;
    recordingFd = -1;
    if (!written || rename(kRecordingTempPath, kRecordingPath) != 0) {
        unlink(kRecordingTempPath);
        return;
    }
    syncWorkingDirectory();
}

// ---- Reading --------------------------------------------------------------------

// Reads exactly `size` bytes, counting them into the CRC; a short read is a
// truncated file.
static bool readRecording(unsigned char* bytes, int32_t size)
{
    size_t got = fread(bytes, 1, (size_t)size, replayFile);
    recordingCrc = updateCrc(recordingCrc, bytes, (int64_t)got);
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

// A window size a display could have had.
static bool soundSize(float v)
{
    return std::isfinite(v) && v >= 1.0f && v <= kLargestWindow;
}

// Checks the header's values and the embedded save; the save is left in
// saveBytes for startRecordedGame.
static bool checkHeader(const RecordingHeader& h)
{
    if (h.format > kRecordingFormat || h.format == 0) {
        snprintf(recordingError, sizeof recordingError, "%s: format %u is newer than this replayer reads (%u)",
                 replayName, (unsigned)h.format, (unsigned)kRecordingFormat);
        return false;
    }
    if (h.playerCount < 1 || h.playerCount > kMaxPlayers)
        return damaged("player count out of range");
    if (!soundSize(h.screenWidth) || !soundSize(h.screenHeight) || !std::isfinite(h.aspectRatio) ||
        h.aspectRatio <= 0.0f)
        return damaged("window size out of range");
    if (h.draws > kMaxRecordedDraws)
        return damaged("too many rand() draws before the game");
    if (h.start == kStartNewCity && h.saveSize == 0 && h.packedSize == 0)
        return true;
    if (h.start != kStartLoadedGame || h.saveSize <= 0 || h.saveSize > kMaxSaveBytes || h.packedSize <= 0 ||
        h.packedSize > kMaxPackedSaveBytes)
        return damaged("unknown start");
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
    recordingCrc = 0;
    recordedSteps = 0;
    firstDifferentStep = 0;
    previousInput = StepInput{};
    unsigned char b[kRecordingHeaderBytes];
    size_t got = fread(b, 1, sizeof b, file);
    recordingCrc = updateCrc(recordingCrc, b, (int64_t)got);
    replayOffset = (int64_t)got;
    if (got == 0)
        return refuse("empty file");
    if (got < sizeof kMagic || memcmp(b, kMagic, sizeof kMagic) != 0)
        return refuse("not a recorded game");
    if (got < sizeof b) {
        snprintf(recordingError, sizeof recordingError, "%s: truncated at byte %lld", name, (long long)got);
        return false;
    }
    decodeHeader(b, recordingHeader);
    return checkHeader(recordingHeader);
}

// Reads one move, pointer or speed value that the flags say changed.
static bool readChangedValues(int flags, StepInput& in)
{
    unsigned char b[4];
    if (flags & kStepMoveChanged) {
        if (!readRecording(b, 4))
            return false;
        in.moveAcross = getI16(b);
        in.moveAlong = getI16(b + 2);
        if (in.moveAcross < -kAxisFull || in.moveAlong < -kAxisFull)
            return damaged("walking axis out of range");
    }
    if (flags & kStepPointerChanged) {
        if (!readRecording(b, 4))
            return false;
        in.pointerX = getI16(b);
        in.pointerY = getI16(b + 2);
    }
    if (flags & kStepSpeedChanged) {
        if (!readRecording(b, 4))
            return false;
        in.speedFactor = getF32(b);
    }
    if (!(in.speedFactor >= 0.2f && in.speedFactor <= 2.0f))
        return damaged("speed factor out of range");
    return true;
}

// The next step's input into stepInput: 1 for a step, 0 at the end mark, -1
// when the file is damaged or cut short (recordingError says how).
int readRecordedStep()
{
    unsigned char flags;
    if (!readRecording(&flags, 1))
        return -1;
    if (flags == kStepsEnd)
        return 0;
    if (flags & kStepsEnd) {
        damaged("bad step flags");
        return -1;
    }
    StepInput in = previousInput;
    in.sprint = (flags & kStepSprint) != 0;
    in.gun = (flags & kStepGun) != 0;
    in.throwing = (flags & kStepThrow) != 0;
    in.menuKey = (flags & kStepMenuKeyFlag) != 0;
    if (!readChangedValues(flags, in))
        return -1;
    stepInput = in;
    previousInput = in;
    recordedSteps++;
    return 1;
}

// After a step read: its fingerprint, and after every 60th the checkpoint
// the recording holds for it (else expected.step is 0).
bool readStepResult(unsigned char& fingerprint, Checkpoint& expected)
{
    expected.step = 0;
    if (!readRecording(&fingerprint, 1))
        return false;
    if (recordedSteps % kCheckpointSteps != 0)
        return true;
    unsigned char b[kCheckpointBytes];
    if (!readRecording(b, kCheckpointBytes))
        return false;
    expected = decodeCheckpoint(b);
    if (expected.step != recordedSteps)
        return damaged("checkpoint out of order");
    return true;
}

// After the end mark: the last checkpoint, the step count and score, and the
// CRC that must match every byte read; nothing may follow.
bool readRecordingEnd(Checkpoint& expected, uint32_t& steps, int32_t& score)
{
    const int crcAt = kCheckpointBytes + 8;  // after the end mark: checkpoint, steps, score, CRC
    unsigned char b[crcAt + 4];
    if (!readRecording(b, crcAt))
        return false;
    uint32_t crc = recordingCrc;
    if (!readRecording(b + crcAt, 4))
        return false;
    expected = decodeCheckpoint(b);
    steps = getU32(b + kCheckpointBytes);
    score = (int32_t)getU32(b + kCheckpointBytes + 4);
    if (getU32(b + crcAt) != crc)
        return refuse("damaged: the file's checksum does not match its bytes");
    if (steps != recordedSteps || expected.step != steps)
        return damaged("step count does not match the steps");
    if (fgetc(replayFile) != EOF)
        return damaged("bytes after the end");
    return true;
}

// Sets the world and the display metrics up as the recorded game began: the
// generator where it stood, then a new city or the embedded save.
bool startRecordedGame()
{
    const RecordingHeader& h = recordingHeader;
    screenWidth = h.screenWidth;
    screenHeight = h.screenHeight;
    aspectRatio = h.aspectRatio;
    seedRandom(h.seed);
    skipRandomDraws(h.draws);
    if (h.start == kStartNewCity) {
        playerCount = 1;
        startNewGame();
    } else if (!decodeSave(h.saveSize, true)) {
        return false;
    }
    return true;
}

// Reads the whole recording without running it: every step, every checkpoint
// and the end, so that a damaged file is refused before anything is shown.
bool scanRecording(uint32_t& steps, int32_t& score)
{
    Checkpoint expected = {};
    unsigned char fingerprint = 0;
    for (;;) {
        int r = readRecordedStep();
        if (r < 0)
            return false;
        if (r == 0)
            break;
        if (!readStepResult(fingerprint, expected))
            return false;
    }
    return readRecordingEnd(expected, steps, score);
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
    unsigned char fingerprint = 0;
    if (!readStepResult(fingerprint, expected))
        return kReplayDamaged;
    if (fingerprint != stepFingerprint() && firstDifferentStep == 0)
        firstDifferentStep = recordedSteps;
    if (expected.step != 0 && !matchesCheckpoint(expected))
        return kReplayDiverged;
    return kReplayStepped;
}
