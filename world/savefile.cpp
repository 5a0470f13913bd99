// The saved game and the best score. "save.dat" is the whole world in file
// order: four text layers (one byte per cell, value + 32, a line feed after
// every map row), the wall boxes and obstacles cell by cell (x-major), the
// lists each after its count, the players, the camera and the counters; a line
// feed marks the end of most sections. Numbers are little-endian int32 and
// float32; there is no header. "stats.dat" is the best kill count, 4 bytes.
#include "world/savefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

// ---- Constants --------------------------------------------------------------

const char* const kSavePath = "save.dat";
const char* const kStatsPath = "stats.dat";
const char* const kTempSuffix = ".tmp";  // a file being written, renamed over the real one once complete
const unsigned char kLineFeed = 10;      // ends every text row and marks sections
const int32_t kTextOffset = 32;          // text layers store value + 32, so 0 is a space
const int32_t kLastTileKind = 15;
const int32_t kLastRotation = 3;
const int32_t kLastActorType = kActorCivilian;  // no other type is ever made
const int32_t kLastDecalKind = kDecalBlood;
const int32_t kLastObstacleKind = kObstacleCar;
const int32_t kStatsBytes = 4;
const mode_t kFileMode = 0644;

// ---- Records ----------------------------------------------------------------

// Where the next value of a save goes.
struct SaveWriter {
    unsigned char* at;
};

// A pass over a save read back: the next byte, the end of the file, whether
// everything so far was sound, whether values are stored in the world, and how
// many actors at the head of the list are players.
struct SaveReader {
    const unsigned char* at;
    const unsigned char* end;
    bool ok;
    bool apply;
    int32_t leadingPlayers;
};

// ---- Globals ----------------------------------------------------------------

unsigned char saveBytes[kMaxSaveBytes + 1] = {};

// ---- Writing values ---------------------------------------------------------

// The low byte of v.
static void putByte(SaveWriter& w, uint32_t v)
{
    *w.at++ = (unsigned char)v;
}

// Little-endian, lowest byte first.
static void putInt(SaveWriter& w, int32_t v)
{
    uint32_t u = (uint32_t)v;
    putByte(w, u);
    putByte(w, u >> 8);
    putByte(w, u >> 16);
    putByte(w, u >> 24);
}

// The float's bits as an int32, so every value comes back exactly.
static void putFloat(SaveWriter& w, float v)
{
    uint32_t u;
    memcpy(&u, &v, sizeof u);
    putInt(w, (int32_t)u);
}

// A count as far as the arrays behind it reach; whatever else the world holds,
// encoding never reads or writes past an array.
static int32_t within(int32_t count, int32_t capacity)
{
    return count < 0 ? 0 : count > capacity ? capacity : count;
}

// ---- Encoding the world -------------------------------------------------------

// One text layer: map row by map row, each cell's value + 32, a line feed per row.
static void putTextLayer(SaveWriter& w, const int32_t layer[kMapSize][kMapSize])
{
    for (int y = 0; y < kMapSize; y++) {
        for (int x = 0; x < kMapSize; x++)
            putByte(w, (uint32_t)layer[x][y] + kTextOffset);
        putByte(w, kLineFeed);
    }
}

// A wall box: corner, then size.
static void putRecord(SaveWriter& w, const WallBox& b)
{
    putFloat(w, b.x);
    putFloat(w, b.y);
    putFloat(w, b.width);
    putFloat(w, b.height);
}

// A prop or car: kind, centre, the two unused values, angle, health.
static void putRecord(SaveWriter& w, const Obstacle& o)
{
    putInt(w, o.kind);
    putFloat(w, o.x);
    putFloat(w, o.y);
    putFloat(w, o.a);
    putFloat(w, o.b);
    putFloat(w, o.angle);
    putFloat(w, o.health);
}

// Every field but the bleed pause.
static void putRecord(SaveWriter& w, const Actor& a)
{
    putInt(w, a.type);
    putInt(w, a.hasTarget);
    putInt(w, a.target);
    putInt(w, a.thinkSlot);
    putFloat(w, a.x);
    putFloat(w, a.y);
    putFloat(w, a.vx);
    putFloat(w, a.vy);
    putFloat(w, a.angle);
    putFloat(w, a.health);
}

// A gun trace: direction, muzzle point, end point.
static void putRecord(SaveWriter& w, const Tracer& t)
{
    putFloat(w, t.angle);
    putFloat(w, t.startX);
    putFloat(w, t.startY);
    putFloat(w, t.endX);
    putFloat(w, t.endY);
}

// A ground mark: kind, centre, angle.
static void putRecord(SaveWriter& w, const Decal& d)
{
    putInt(w, d.kind);
    putFloat(w, d.x);
    putFloat(w, d.y);
    putFloat(w, d.angle);
}

// An explosive in flight: thrower, position, velocity, angle, fuse.
static void putRecord(SaveWriter& w, const Projectile& p)
{
    putInt(w, p.owner);
    putFloat(w, p.x);
    putFloat(w, p.y);
    putFloat(w, p.vx);
    putFloat(w, p.vy);
    putFloat(w, p.angle);
    putFloat(w, p.fuse);
}

// A blast: centre, angle, strength.
static void putRecord(SaveWriter& w, const Explosion& e)
{
    putFloat(w, e.x);
    putFloat(w, e.y);
    putFloat(w, e.angle);
    putFloat(w, e.strength);
}

// The live entries of a list, in order.
template <typename Record>
static void putEntries(SaveWriter& w, const Record* list, int32_t count, int32_t capacity)
{
    for (int i = 0; i < within(count, capacity); i++)
        putRecord(w, list[i]);
}

// A list after its count, then a section mark.
template <typename Record>
static void putList(SaveWriter& w, const Record* list, int32_t count, int32_t capacity)
{
    putInt(w, count);
    putEntries(w, list, count, capacity);
    putByte(w, kLineFeed);
}

// Every cell's entries of a per-cell list, column by column, then a section mark.
template <typename Record, int kCapacity>
static void putCellLists(SaveWriter& w, const Record lists[kMapSize][kMapSize][kCapacity],
                         const int32_t counts[kMapSize][kMapSize])
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            putEntries(w, lists[x][y], counts[x][y], kCapacity);
    putByte(w, kLineFeed);
}

// The players' values, then the camera and the counters that end the file.
static void putPlayersAndCamera(SaveWriter& w)
{
    putInt(w, playerCount);
    for (int p = 0; p < within(playerCount, kMaxPlayers); p++) {
        putFloat(w, aimScreenX[p]);
        putFloat(w, aimScreenY[p]);
        putFloat(w, aimWorldX[p]);
        putFloat(w, aimWorldY[p]);
        putFloat(w, fireCooldown[p]);
        putFloat(w, healthRegenDelay[p]);
        putFloat(w, energy[p]);
        putFloat(w, energyRegenDelay[p]);
    }
    putFloat(w, cameraX);
    putFloat(w, cameraY);
    putFloat(w, cameraZoom);
    putInt(w, killCount);
    putInt(w, thinkTick);
}

// Encodes the world into saveBytes and returns the file's size in bytes.
int32_t encodeSave()
{
    SaveWriter w = {saveBytes};
    putTextLayer(w, tileKind);
    putTextLayer(w, tileRotation);
    putTextLayer(w, wallBoxCount);
    putCellLists(w, wallBoxes, wallBoxCount);
    putTextLayer(w, obstacleCount);
    putCellLists(w, obstacles, obstacleCount);
    putInt(w, actorCount);
    for (int t = 0; t < kActorTypeSlots; t++)
        putInt(w, actorTypeCount[t]);
    putEntries(w, actors, actorCount, kMaxActors);
    putByte(w, kLineFeed);
    putList(w, tracers, tracerCount, kMaxTracers);
    putList(w, decals, decalCount, kMaxDecals);
    putList(w, projectiles, projectileCount, kMaxProjectiles);
    putList(w, explosions, explosionCount, kMaxExplosions);
    putPlayersAndCamera(w);
    return (int32_t)(w.at - saveBytes);
}

// ---- Reading values -----------------------------------------------------------

// True when the file still holds the given number of bytes and nothing before
// was wrong; once a reader has failed it takes nothing more.
static bool has(SaveReader& r, int32_t bytes)
{
    if (r.ok && r.end - r.at < bytes)
        r.ok = false;
    return r.ok;
}

// Little-endian, lowest byte first; 0 once the reader has failed.
static int32_t takeInt(SaveReader& r)
{
    if (!has(r, 4))
        return 0;
    uint32_t u = (uint32_t)r.at[0] | (uint32_t)r.at[1] << 8 | (uint32_t)r.at[2] << 16 | (uint32_t)r.at[3] << 24;
    r.at += 4;
    return (int32_t)u;
}

// A float, which the world only ever holds finite.
static float takeFloat(SaveReader& r)
{
    uint32_t u = (uint32_t)takeInt(r);
    float v;
    memcpy(&v, &u, sizeof v);
    if (!std::isfinite(v))
        r.ok = false;
    return v;
}

// An int32 that must lie within first..last.
static int32_t takeIntIn(SaveReader& r, int32_t first, int32_t last)
{
    int32_t v = takeInt(r);
    if (v < first || v > last)
        r.ok = false;
    return r.ok ? v : first;
}

// A section mark, which must be a line feed.
static void takeMark(SaveReader& r)
{
    if (has(r, 1) && *r.at++ != kLineFeed)
        r.ok = false;
}

// ---- Decoding the world -------------------------------------------------------

// The value a text layer holds for cell (x, y): its byte as a signed 8-bit
// value, less 32.
static int32_t textValue(const unsigned char* layer, int x, int y)
{
    return (int32_t)(signed char)layer[y * kTextRowBytes + x] - kTextOffset;
}

// One text layer of values within 0..last, every row ended by a line feed.
// Returns where the layer starts, so a cell list can read its counts there.
static const unsigned char* takeTextLayer(SaveReader& r, int32_t layer[kMapSize][kMapSize], int32_t last)
{
    const unsigned char* start = r.at;
    if (!has(r, kTextLayerBytes))
        return start;
    for (int y = 0; y < kMapSize; y++) {
        for (int x = 0; x < kMapSize; x++) {
            int32_t v = textValue(start, x, y);
            if (v < 0 || v > last)
                r.ok = false;
            if (r.apply)
                layer[x][y] = v;
        }
        if (start[y * kTextRowBytes + kMapSize] != kLineFeed)
            r.ok = false;
    }
    r.at += kTextLayerBytes;
    return start;
}

// A wall box: corner, then size.
static void takeRecord(SaveReader& r, WallBox& b)
{
    b.x = takeFloat(r);
    b.y = takeFloat(r);
    b.width = takeFloat(r);
    b.height = takeFloat(r);
}

// A prop (kinds 0..3) or car (kind 4).
static void takeRecord(SaveReader& r, Obstacle& o)
{
    o.kind = takeIntIn(r, 0, kLastObstacleKind);
    o.x = takeFloat(r);
    o.y = takeFloat(r);
    o.a = takeFloat(r);
    o.b = takeFloat(r);
    o.angle = takeFloat(r);
    o.health = takeFloat(r);
}

// A gun trace: direction, muzzle point, end point.
static void takeRecord(SaveReader& r, Tracer& t)
{
    t.angle = takeFloat(r);
    t.startX = takeFloat(r);
    t.startY = takeFloat(r);
    t.endX = takeFloat(r);
    t.endY = takeFloat(r);
}

// A corpse or blood mark.
static void takeRecord(SaveReader& r, Decal& d)
{
    d.kind = takeIntIn(r, 0, kLastDecalKind);
    d.x = takeFloat(r);
    d.y = takeFloat(r);
    d.angle = takeFloat(r);
}

// An explosive in flight: thrower, position, velocity, angle, fuse.
static void takeRecord(SaveReader& r, Projectile& p)
{
    p.owner = takeInt(r);
    p.x = takeFloat(r);
    p.y = takeFloat(r);
    p.vx = takeFloat(r);
    p.vy = takeFloat(r);
    p.angle = takeFloat(r);
    p.fuse = takeFloat(r);
}

// A blast: centre, angle, strength.
static void takeRecord(SaveReader& r, Explosion& e)
{
    e.x = takeFloat(r);
    e.y = takeFloat(r);
    e.angle = takeFloat(r);
    e.strength = takeFloat(r);
}

// count entries of a list, stored when applying.
template <typename Record>
static void takeEntries(SaveReader& r, Record* list, int32_t count)
{
    for (int i = 0; i < count; i++) {
        Record e;
        takeRecord(r, e);
        if (r.apply)
            list[i] = e;
    }
}

// A list after its count of at most capacity, then a section mark.
template <typename Record>
static void takeList(SaveReader& r, Record* list, int32_t& count, int32_t capacity)
{
    int32_t n = takeIntIn(r, 0, capacity);
    takeEntries(r, list, n);
    takeMark(r);
    if (r.apply)
        count = n;
}

// Every cell's entries of a per-cell list, as many as the count layer gives
// the cell, then a section mark.
template <typename Record, int kCapacity>
static void takeCellLists(SaveReader& r, Record lists[kMapSize][kMapSize][kCapacity], const unsigned char* counts)
{
    for (int x = 0; x < kMapSize && r.ok; x++)
        for (int y = 0; y < kMapSize; y++)
            takeEntries(r, lists[x][y], textValue(counts, x, y));
    takeMark(r);
}

// One actor of a list of count; its bleed pause starts at 0, as for a new one.
static Actor takeActor(SaveReader& r, int32_t count)
{
    Actor a;
    a.type = takeIntIn(r, kActorPlayer, kLastActorType);
    a.hasTarget = takeIntIn(r, 0, 1);
    a.target = a.hasTarget ? takeIntIn(r, 0, count - 1) : takeInt(r);
    a.thinkSlot = takeInt(r);
    a.x = takeFloat(r);
    a.y = takeFloat(r);
    a.vx = takeFloat(r);
    a.vy = takeFloat(r);
    a.angle = takeFloat(r);
    a.health = takeFloat(r);
    a.bleedTimer = 0;
    return a;
}

// The actors with their per-type counts, which must agree with the actors
// (the target search stops on them), then a section mark. Notes how many
// players lead the list.
static void takeActors(SaveReader& r)
{
    int32_t count = takeIntIn(r, 0, kMaxActors);
    int32_t typeCount[kActorTypeSlots];
    for (int t = 0; t < kActorTypeSlots; t++)
        typeCount[t] = takeInt(r);
    int32_t seen[kActorTypeSlots] = {};
    r.leadingPlayers = 0;
    for (int i = 0; i < count && r.ok; i++) {
        Actor a = takeActor(r, count);
        seen[a.type]++;
        if (a.type == kActorPlayer && r.leadingPlayers == i)
            r.leadingPlayers++;
        if (r.apply)
            actors[i] = a;
    }
    for (int t = 0; t < kActorTypeSlots; t++)
        if (seen[t] != typeCount[t])
            r.ok = false;
    takeMark(r);
    if (!r.apply)
        return;
    actorCount = count;
    for (int t = 0; t < kActorTypeSlots; t++)
        actorTypeCount[t] = typeCount[t];
}

// The players, who must be the first actors of the list, and their values.
static void takePlayers(SaveReader& r)
{
    int32_t count = takeIntIn(r, 1, kMaxPlayers);
    if (count > r.leadingPlayers)
        r.ok = false;
    for (int p = 0; p < count && r.ok; p++) {
        float values[8];
        for (float& v : values)
            v = takeFloat(r);
        if (!r.apply)
            continue;
        aimScreenX[p] = values[0];
        aimScreenY[p] = values[1];
        aimWorldX[p] = values[2];
        aimWorldY[p] = values[3];
        fireCooldown[p] = values[4];
        healthRegenDelay[p] = values[5];
        energy[p] = values[6];
        energyRegenDelay[p] = values[7];
    }
    if (r.apply)
        playerCount = count;
}

// The camera and the counters, the last values of the file.
static void takeCamera(SaveReader& r)
{
    float x = takeFloat(r);
    float y = takeFloat(r);
    float zoom = takeFloat(r);
    int32_t kills = takeInt(r);
    int32_t tick = takeInt(r);
    if (!r.apply)
        return;
    cameraX = x;
    cameraY = y;
    cameraZoom = zoom;
    killCount = kills;
    thinkTick = tick;
}

// Walks the first size bytes of saveBytes as a save. Without apply it only
// checks them; with apply it also stores every value in the world, which is
// only done after a check passed. True when the bytes are exactly one sound save.
bool decodeSave(int32_t size, bool apply)
{
    SaveReader r = {saveBytes, saveBytes + size, true, apply, 0};
    takeTextLayer(r, tileKind, kLastTileKind);
    takeTextLayer(r, tileRotation, kLastRotation);
    takeCellLists(r, wallBoxes, takeTextLayer(r, wallBoxCount, kMaxWallBoxesPerCell));
    takeCellLists(r, obstacles, takeTextLayer(r, obstacleCount, kMaxObstaclesPerCell));
    takeActors(r);
    takeList(r, tracers, tracerCount, kMaxTracers);
    takeList(r, decals, decalCount, kMaxDecals);
    takeList(r, projectiles, projectileCount, kMaxProjectiles);
    takeList(r, explosions, explosionCount, kMaxExplosions);
    takePlayers(r);
    takeCamera(r);
    return r.ok && r.at == r.end;
}

// ---- Files ------------------------------------------------------------------

// Reads up to capacity bytes of a file; the number read, or -1 when the file
// cannot be opened or read. A pipe in the file's place reads as empty instead
// of waiting for a writer.
static int32_t readWholeFile(const char* path, unsigned char* bytes, int32_t capacity)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int32_t size = 0;
    while (size < capacity) {
        ssize_t n = read(fd, bytes + size, (size_t)(capacity - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                size = -1;
            break;
        }
        size += (int32_t)n;
    }
    close(fd);
    return size;
}

// Writes every byte, going on after short writes; false on any error (a full
// disk included).
bool writeAll(int fd, const unsigned char* bytes, int32_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, bytes, (size_t)size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= (int32_t)n;
    }
    return true;
}

// Makes the renaming of a file in the working directory last through a crash.
void syncWorkingDirectory()
{
    int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// Replaces a file in the working directory as one step: the bytes go to a
// temporary file beside it, reach the disk, and only then take the file's
// name. On any failure the old file stays as it was and the temporary file is
// removed. True when the new file is in place.
bool writeWholeFile(const char* path, const unsigned char* bytes, int32_t size)
{
    char temp[64];
    snprintf(temp, sizeof temp, "%s%s", path, kTempSuffix);
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd < 0)
        return false;
    bool written = writeAll(fd, bytes, size) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temp, path) != 0) {
        unlink(temp);
        return false;
    }
    syncWorkingDirectory();
    return true;
}

// ---- The saved game and the best score ----------------------------------------

// Writes the world to "save.dat". A world that would not load back (a value
// out of range, a number gone infinite) is not written, so it never replaces a
// good save. True when the new save is in place.
bool saveGame()
{
    int32_t size = encodeSave();
    return decodeSave(size, false) && writeWholeFile(kSavePath, saveBytes, size);
}

// Reads "save.dat" into saveBytes and checks it from end to end without
// touching the world. Its size when it is one sound save, else -1.
int32_t readSave()
{
    int32_t size = readWholeFile(kSavePath, saveBytes, (int32_t)sizeof saveBytes);
    if (size < 0 || !decodeSave(size, false))
        return -1;
    return size;
}

// Replaces the world by "save.dat" when the whole file is one sound save;
// otherwise nothing changes, the world and the file alike. True when loaded.
bool loadGame()
{
    int32_t size = readSave();
    if (size < 0)
        return false;
    decodeSave(size, true);
    return true;
}

// bestKillCount from "stats.dat"; a missing, unreadable or short file gives 0.
void readBestScore()
{
    unsigned char bytes[kStatsBytes];
    int32_t size = readWholeFile(kStatsPath, bytes, kStatsBytes);
    SaveReader r = {bytes, bytes + (size > 0 ? size : 0), true, false, 0};
    bestKillCount = takeInt(r);
}

// Writes bestKillCount to "stats.dat" the same safe way as a save. True when
// the new file is in place; otherwise the old one is kept.
bool writeBestScore()
{
    unsigned char bytes[kStatsBytes];
    SaveWriter w = {bytes};
    putInt(w, bestKillCount);
    return writeWholeFile(kStatsPath, bytes, kStatsBytes);
}
