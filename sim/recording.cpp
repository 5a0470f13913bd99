// The recorded-game format, written once: the header, a step's input, the
// checkpoints and fingerprints that sum the world up, the end, and the
// embedded save deflated. Nothing here touches a file.
#include "sim/recording.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "world/bytes.h"
#include "world/records.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const uint8_t kMagic[8] = {'V', 'G', '2', 'R', 'E', 'C', 0x1A, 0x0A};
static const int kStepSprint = 0x01;
static const int kStepGun = 0x02;
static const int kStepThrow = 0x04;
static const int kStepMenuKeyFlag = 0x08;
static const int kStepMoveChanged = 0x10;
static const int kStepPointerChanged = 0x20;
static const int kStepSpeedChanged = 0x40;
static const int32_t kPointerLimit = 32767;   // pointer coordinates are stored in 16 bits

// ---- Globals ----------------------------------------------------------------

uint8_t packedSave[kMaxPackedSaveBytes] = {};
static uint8_t zlibArena[kZlibArenaBytes] = {};  // zlib's working memory, reused by every stream
static int32_t zlibArenaUsed = 0;                 // bytes of the arena handed out

// ---- Checksums ----------------------------------------------------------------

// The entries of a list, each field by field, after its count.
template <typename Record>
static void hashList(FieldCodec& c, Record* list, int32_t count, int32_t capacity)
{
    codeInt(c, count);
    for (int i = 0; i < count && i < capacity; i++)
        codeRecord(c, list[i]);
}

// Every live actor, field by field, and the counts by type.
static uint32_t hashActors()
{
    FieldCodec c = fieldCodec(kCodeHash, nullptr, 0);
    codeInt(c, actorCount);
    for (int t = 0; t < kActorTypeSlots; t++)
        codeInt(c, actorTypeCount[t]);
    for (int i = 0; i < actorCount && i < kMaxActors; i++)
        codeRecord(c, actors[i], actorCount);
    return c.hash;
}

// Tracers, decals, projectiles and explosions with their counts.
static uint32_t hashShots()
{
    FieldCodec c = fieldCodec(kCodeHash, nullptr, 0);
    hashList(c, tracers, tracerCount, kMaxTracers);
    hashList(c, decals, decalCount, kMaxDecals);
    hashList(c, projectiles, projectileCount, kMaxProjectiles);
    hashList(c, explosions, explosionCount, kMaxExplosions);
    return c.hash;
}

// The values of the players in the game, the camera and the think tick.
// (A slot no player uses keeps whatever an earlier game left there.)
static uint32_t hashPlayers()
{
    FieldCodec c = fieldCodec(kCodeHash, nullptr, 0);
    codeInt(c, playerCount);
    codeInt(c, thinkTick);
    for (int p = 0; p < playerCount && p < kMaxPlayers; p++) {
        PlayerValues v = playerValues(p);
        codeRecord(c, v);
    }
    codeFloat(c, cameraX);
    codeFloat(c, cameraY);
    codeFloat(c, cameraZoom);
    return c.hash;
}

// The tile kinds and every wall box, which explosions cut away.
static uint32_t hashMap()
{
    FieldCodec c = fieldCodec(kCodeHash, nullptr, 0);
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++) {
            codeInt(c, tileKind[x][y]);
            codeInt(c, wallBoxCount[x][y]);
            for (int k = 0; k < wallBoxCount[x][y] && k < kMaxWallBoxesPerCell; k++)
                codeRecord(c, wallBoxes[x][y][k]);
        }
    return c.hash;
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

// One number for a whole checkpoint's sums, as the replay program prints it.
uint32_t checkpointSum(const Checkpoint& c)
{
    return c.actorsSum ^ c.shotsSum * 3u ^ c.playersSum * 5u ^ c.mapSum * 7u;
}

// One byte that changes with almost any difference a step makes to the
// counts, the generator or player 0, so a replay can name the very step at
// which it first went different.
uint8_t stepFingerprint()
{
    FieldCodec c = fieldCodec(kCodeHash, nullptr, 0);
    c.hash = mixHash(mixHash(c.hash, (uint32_t)randomDraws), (uint32_t)actorCount);
    codeInt(c, killCount);
    codeInt(c, projectileCount);
    codeInt(c, explosionCount);
    if (actorCount > 0) {
        codeFloat(c, actors[0].x);
        codeFloat(c, actors[0].y);
        codeFloat(c, actors[0].health);
    }
    uint32_t h = c.hash;
    return (uint8_t)(h ^ h >> 8 ^ h >> 16 ^ h >> 24);
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

// ---- The header -----------------------------------------------------------------

// True when the bytes start as a recorded game does.
bool isRecordingMagic(const uint8_t* bytes, int size)
{
    return size >= (int)sizeof kMagic && memcmp(bytes, kMagic, sizeof kMagic) == 0;
}

// Bytes of the header in the given format: the best score came with format 3.
int headerBytes(uint32_t format)
{
    return format >= kBestScoreFormat ? kRecordingHeaderBytes : kFirstHeaderBytes;
}

// The magic, then the header's fields in order: headerBytes(h.format) bytes.
void encodeHeader(const RecordingHeader& h, uint8_t* out)
{
    memcpy(out, kMagic, sizeof kMagic);
    uint8_t* at = putF32(putU32(out + sizeof kMagic, h.format), h.gameVersion);
    at = putU32(putU64(at, (uint64_t)h.date), (uint32_t)h.playerCount);
    at = putF32(putF32(putF32(at, h.viewWidth), h.viewHeight), h.viewAspect);
    at = putU64(putU32(putU32(at, (uint32_t)h.start), h.seed), h.draws);
    at = putU32(putU32(at, (uint32_t)h.saveSize), (uint32_t)h.packedSize);
    if (h.format >= kBestScoreFormat)
        putU32(at, (uint32_t)h.bestScore);
}

// The header's fields read back from its first kFirstHeaderBytes, after the
// magic; the best score, which follows in newer formats, is read apart.
RecordingHeader decodeHeader(const uint8_t* b)
{
    RecordingHeader h = {};
    h.format = getU32(b + 8);
    h.gameVersion = getF32(b + 12);
    h.date = (int64_t)getU64(b + 16);
    h.playerCount = (int32_t)getU32(b + 24);
    h.viewWidth = getF32(b + 28);
    h.viewHeight = getF32(b + 32);
    h.viewAspect = getF32(b + 36);
    h.start = (int32_t)getU32(b + 40);
    h.seed = getU32(b + 44);
    h.draws = getU64(b + 48);
    h.saveSize = (int32_t)getU32(b + 56);
    h.packedSize = (int32_t)getU32(b + 60);
    h.bestScore = kNoBestScore;
    return h;
}

// The best score from the header's bytes after the first kFirstHeaderBytes
// (formats from 3), or kNoBestScore for an older format.
int32_t decodeBestScore(const RecordingHeader& h, const uint8_t* in)
{
    return h.format >= kBestScoreFormat ? (int32_t)getU32(in) : kNoBestScore;
}

// A view a window could have had: sizes within 1..65535 pixels, a positive aspect.
static bool soundView(float width, float height, float aspect)
{
    return std::isfinite(width) && width >= 1.0f && width <= kLargestView && std::isfinite(height) &&
           height >= 1.0f && height <= kLargestView && std::isfinite(aspect) && aspect > 0.0f;
}

// What is wrong with the header's values, or null when they are sound (the
// format is checked by the reader, which names the versions).
const char* headerProblem(const RecordingHeader& h)
{
    if (h.playerCount < 1 || h.playerCount > kMaxPlayers)
        return "player count out of range";
    if (!soundView(h.viewWidth, h.viewHeight, h.viewAspect))
        return "window size out of range";
    if (h.draws > kMaxRecordedDraws)
        return "too many rand() draws before the game";
    if (h.format >= kBestScoreFormat && h.bestScore < 0)
        return "best score out of range";
    if (h.start == kStartNewCity && h.saveSize == 0 && h.packedSize == 0)
        return nullptr;
    if (h.start != kStartLoadedGame || h.saveSize <= 0 || h.saveSize > kMaxSaveBytes || h.packedSize <= 0 ||
        h.packedSize > kMaxPackedSaveBytes)
        return "unknown start";
    return nullptr;
}

// What the first step's input is measured against: nothing held or moved,
// the header's view.
StepInput firstStepInput(const RecordingHeader& h)
{
    StepInput in = {};
    in.viewWidth = h.viewWidth;
    in.viewHeight = h.viewHeight;
    in.viewAspect = h.viewAspect;
    return in;
}

// ---- Steps ----------------------------------------------------------------------

// A pointer coordinate as 16 bits can hold it.
static int32_t pointerWithin(int32_t v)
{
    return v < -kPointerLimit ? -kPointerLimit : v > kPointerLimit ? kPointerLimit : v;
}

// True when the two floats differ in any bit.
static bool changed(float a, float b)
{
    return memcmp(&a, &b, sizeof a) != 0;
}

// One step's input as the file holds it, against the step before: the view
// mark and the view when it changed, the flags byte, then only what changed.
// Returns the bytes written.
int encodeStep(const StepInput& in, const StepInput& before, uint8_t* out)
{
    uint8_t* at = out;
    if (changed(in.viewWidth, before.viewWidth) || changed(in.viewHeight, before.viewHeight) ||
        changed(in.viewAspect, before.viewAspect)) {
        *at++ = (uint8_t)kStepViewMark;
        at = putF32(putF32(putF32(at, in.viewWidth), in.viewHeight), in.viewAspect);
    }
    uint8_t* flagsAt = at++;
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
    if (changed(in.speedFactor, before.speedFactor)) {
        flags |= kStepSpeedChanged;
        at = putF32(at, in.speedFactor);
    }
    *flagsAt = (uint8_t)flags;
    return (int)(at - out);
}

// The bytes of changed values that follow a step's flags.
int stepValueBytes(int flags)
{
    return ((flags & kStepMoveChanged) ? 4 : 0) + ((flags & kStepPointerChanged) ? 4 : 0) +
           ((flags & kStepSpeedChanged) ? 4 : 0);
}

// A step's input read back from its bytes (as encodeStep wrote them) against
// the step before: what changed is taken, the rest kept.
StepInput decodeStep(const uint8_t* bytes, const StepInput& before)
{
    StepInput in = before;
    const uint8_t* at = bytes;
    if (*at == kStepViewMark) {
        in.viewWidth = getF32(at + 1);
        in.viewHeight = getF32(at + 5);
        in.viewAspect = getF32(at + 9);
        at += 1 + kViewBytes;
    }
    int flags = *at++;
    in.sprint = (flags & kStepSprint) != 0;
    in.gun = (flags & kStepGun) != 0;
    in.throwing = (flags & kStepThrow) != 0;
    in.menuKey = (flags & kStepMenuKeyFlag) != 0;
    if (flags & kStepMoveChanged) {
        in.moveAcross = getI16(at);
        in.moveAlong = getI16(at + 2);
        at += 4;
    }
    if (flags & kStepPointerChanged) {
        in.pointerX = getI16(at);
        in.pointerY = getI16(at + 2);
        at += 4;
    }
    if (flags & kStepSpeedChanged)
        in.speedFactor = getF32(at);
    return in;
}

// What is wrong with a step's input read from a file, or null when the step
// may run.
const char* stepProblem(const StepInput& in)
{
    if (in.moveAcross < -kAxisFull || in.moveAlong < -kAxisFull)
        return "walking axis out of range";
    if (!(in.speedFactor >= kMinSpeedFactor && in.speedFactor <= kMaxSpeedFactor))
        return "speed factor out of range";
    if (!soundView(in.viewWidth, in.viewHeight, in.viewAspect))
        return "window size out of range";
    return nullptr;
}

// ---- Checkpoints and the end ------------------------------------------------------

// A checkpoint's fields in order.
void encodeCheckpoint(const Checkpoint& c, uint8_t* out)
{
    uint8_t* at = putU64(putU32(out, c.step), c.draws);
    at = putF32(putF32(putU32(putU32(at, (uint32_t)c.actorCount), (uint32_t)c.killCount), c.playerX), c.playerY);
    putU32(putU32(putU32(putU32(at, c.actorsSum), c.shotsSum), c.playersSum), c.mapSum);
}

// A checkpoint read back from its bytes.
Checkpoint decodeCheckpoint(const uint8_t* in)
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

// The end mark, the last checkpoint, the step count and the score; the CRC
// that closes the file is the file handling's to add.
void encodeTrailer(const Checkpoint& last, uint32_t steps, int32_t score, uint8_t* out)
{
    out[0] = (uint8_t)kStepsEnd;
    encodeCheckpoint(last, out + 1);
    putU32(putU32(out + 1 + kCheckpointBytes, steps), (uint32_t)score);
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

// Deflates `size` bytes into at most `room` bytes at `out` at the given zlib
// level; the packed size, or -1 when it does not fit or fails.
int32_t packBytes(const uint8_t* in, int32_t size, uint8_t* out, int32_t room, int level)
{
    z_stream z = arenaStream();
    if (deflateInit(&z, level) != Z_OK)
        return -1;
    z.next_in = const_cast<uint8_t*>(in);
    z.avail_in = (uInt)size;
    z.next_out = out;
    z.avail_out = (uInt)room;
    int r = deflate(&z, Z_FINISH);
    int32_t packed = (int32_t)z.total_out;
    deflateEnd(&z);
    return r == Z_STREAM_END ? packed : -1;
}

// Inflates `packed` bytes into `out`; true when they give exactly `size` bytes.
bool unpackBytes(const uint8_t* in, int32_t packed, uint8_t* out, int32_t size)
{
    z_stream z = arenaStream();
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_in = const_cast<uint8_t*>(in);
    z.avail_in = (uInt)packed;
    z.next_out = out;
    z.avail_out = (uInt)size;
    int r = inflate(&z, Z_FINISH);
    bool whole = r == Z_STREAM_END && z.total_out == (uLong)size && z.avail_in == 0;
    inflateEnd(&z);
    return whole;
}

// Deflates a save into packedSave, as small as zlib makes it; its packed
// size, or -1.
int32_t packSave(const uint8_t* save, int32_t size)
{
    return packBytes(save, size, packedSave, kMaxPackedSaveBytes, Z_BEST_COMPRESSION);
}

// Inflates packedSave into saveBytes; true when it gives exactly `size` bytes.
bool unpackSave(int32_t packed, int32_t size)
{
    return unpackBytes(packedSave, packed, saveBytes, size);
}
