// The saved game and the best score. "save.dat" is the whole world in file
// order: four text layers (one byte per cell, value + 32, a line feed after
// every map row), the wall boxes and obstacles cell by cell (x-major), the
// lists each after its count, the players, the camera and the counters; a line
// feed marks the end of most sections. Numbers are little-endian int32 and
// float32; there is no header. "stats.dat" is the best kill count, 4 bytes.
#include "world/savefile.h"

#include "world/bytes.h"
#include "world/files.h"
#include "world/records.h"

// ---- Constants --------------------------------------------------------------

const char* const kSavePath = "save.dat";
const char* const kStatsPath = "stats.dat";
const uint8_t kLineFeed = 10;            // ends every text row and marks sections
const int32_t kTextOffset = 32;          // text layers store value + 32, so 0 is a space
const int32_t kLastTileKind = 15;
const int32_t kLastRotation = 3;
const int32_t kStatsBytes = 4;

// ---- Records ----------------------------------------------------------------

// A pass over a save read back: the codec over its bytes, whether values are
// stored in the world, and how many actors at the head of the list are players.
struct SaveReader {
    FieldCodec c;
    bool apply;
    int32_t leadingPlayers;
};

// ---- Globals ----------------------------------------------------------------

unsigned char saveBytes[kMaxSaveBytes + 1] = {};

// ---- Lists ------------------------------------------------------------------

// A count as far as the arrays behind it reach; whatever else the world holds,
// encoding never reads or writes past an array.
static int32_t within(int32_t count, int32_t capacity)
{
    return count < 0 ? 0 : count > capacity ? capacity : count;
}

// A section mark: a line feed written, or read and checked.
static void codeMark(FieldCodec& c)
{
    uint8_t mark = kLineFeed;
    codeByte(c, mark);
    if (mark != kLineFeed)
        c.ok = false;
}

// One entry of a list; actors check their targets against the list's count.
template <typename Record>
static void codeEntry(FieldCodec& c, Record& e, int32_t)
{
    codeRecord(c, e);
}

static void codeEntry(FieldCodec& c, Actor& e, int32_t count)
{
    codeRecord(c, e, count);
}

// ---- Encoding the world -------------------------------------------------------

// One text layer: map row by map row, each cell's value + 32, a line feed per row.
static void putTextLayer(FieldCodec& w, const int32_t layer[kMapSize][kMapSize])
{
    for (int y = 0; y < kMapSize; y++) {
        for (int x = 0; x < kMapSize; x++)
            *w.at++ = (uint8_t)(layer[x][y] + kTextOffset);
        codeMark(w);
    }
}

// The live entries of a list, in order.
template <typename Record>
static void putEntries(FieldCodec& w, const Record* list, int32_t count, int32_t capacity)
{
    for (int i = 0; i < within(count, capacity); i++) {
        Record e = list[i];
        codeEntry(w, e, count);
    }
}

// A list after its count, then a section mark.
template <typename Record>
static void putList(FieldCodec& w, const Record* list, int32_t count, int32_t capacity)
{
    codeInt(w, count);
    putEntries(w, list, count, capacity);
    codeMark(w);
}

// Every cell's entries of a per-cell list, column by column, then a section mark.
template <typename Record, int kCapacity>
static void putCellLists(FieldCodec& w, const Record lists[kMapSize][kMapSize][kCapacity],
                         const int32_t counts[kMapSize][kMapSize])
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            putEntries(w, lists[x][y], counts[x][y], kCapacity);
    codeMark(w);
}

// The actors after their count and the counts by type, then a section mark.
static void putActors(FieldCodec& w)
{
    codeInt(w, actorCount);
    for (int t = 0; t < kActorTypeSlots; t++)
        codeInt(w, actorTypeCount[t]);
    putEntries(w, actors, actorCount, kMaxActors);
    codeMark(w);
}

// The players' values, then the camera and the counters that end the file.
static void putPlayersAndCamera(FieldCodec& w)
{
    codeInt(w, playerCount);
    for (int p = 0; p < within(playerCount, kMaxPlayers); p++) {
        PlayerValues v = playerValues(p);
        codeRecord(w, v);
    }
    codeFloat(w, cameraX);
    codeFloat(w, cameraY);
    codeFloat(w, cameraZoom);
    codeInt(w, killCount);
    codeInt(w, thinkTick);
}

// Encodes the world into saveBytes and returns the file's size in bytes.
int32_t encodeSave()
{
    FieldCodec w = fieldCodec(kCodeWrite, saveBytes, kMaxSaveBytes);
    putTextLayer(w, tileKind);
    putTextLayer(w, tileRotation);
    putTextLayer(w, wallBoxCount);
    putCellLists(w, wallBoxes, wallBoxCount);
    putTextLayer(w, obstacleCount);
    putCellLists(w, obstacles, obstacleCount);
    putActors(w);
    putList(w, tracers, tracerCount, kMaxTracers);
    putList(w, decals, decalCount, kMaxDecals);
    putList(w, projectiles, projectileCount, kMaxProjectiles);
    putList(w, explosions, explosionCount, kMaxExplosions);
    putPlayersAndCamera(w);
    return (int32_t)(w.at - saveBytes);
}

// ---- Decoding the world -------------------------------------------------------

// The value a text layer holds for cell (x, y): its byte as a signed 8-bit
// value, less 32.
static int32_t textValue(const uint8_t* layer, int x, int y)
{
    return (int32_t)(signed char)layer[y * kTextRowBytes + x] - kTextOffset;
}

// One text layer of values within 0..last, every row ended by a line feed.
// Returns where the layer starts, so a cell list can read its counts there.
static const uint8_t* takeTextLayer(SaveReader& r, int32_t layer[kMapSize][kMapSize], int32_t last)
{
    const uint8_t* start = r.c.at;
    if (!codecHas(r.c, kTextLayerBytes))
        return start;
    for (int y = 0; y < kMapSize; y++) {
        for (int x = 0; x < kMapSize; x++) {
            int32_t v = textValue(start, x, y);
            if (v < 0 || v > last)
                r.c.ok = false;
            if (r.apply)
                layer[x][y] = v;
        }
        if (start[y * kTextRowBytes + kMapSize] != kLineFeed)
            r.c.ok = false;
    }
    r.c.at += kTextLayerBytes;
    return start;
}

// count entries of a list, stored when applying.
template <typename Record>
static void takeEntries(SaveReader& r, Record* list, int32_t count)
{
    for (int i = 0; i < count; i++) {
        Record e = {};
        codeEntry(r.c, e, count);
        if (r.apply)
            list[i] = e;
    }
}

// A list after its count of at most capacity, then a section mark.
template <typename Record>
static void takeList(SaveReader& r, Record* list, int32_t& count, int32_t capacity)
{
    int32_t n = 0;
    codeInt(r.c, n, 0, capacity);
    takeEntries(r, list, n);
    codeMark(r.c);
    if (r.apply)
        count = n;
}

// Every cell's entries of a per-cell list, as many as the count layer gives
// the cell, then a section mark.
template <typename Record, int kCapacity>
static void takeCellLists(SaveReader& r, Record lists[kMapSize][kMapSize][kCapacity], const uint8_t* counts)
{
    for (int x = 0; x < kMapSize && r.c.ok; x++)
        for (int y = 0; y < kMapSize; y++)
            takeEntries(r, lists[x][y], textValue(counts, x, y));
    codeMark(r.c);
}

// The actors with their per-type counts, which must agree with the actors
// (the target search stops on them), then a section mark. Notes how many
// players lead the list.
static void takeActors(SaveReader& r)
{
    int32_t count = 0;
    codeInt(r.c, count, 0, kMaxActors);
    int32_t typeCount[kActorTypeSlots];
    for (int t = 0; t < kActorTypeSlots; t++)
        codeInt(r.c, typeCount[t]);
    int32_t seen[kActorTypeSlots] = {};
    r.leadingPlayers = 0;
    for (int i = 0; i < count && r.c.ok; i++) {
        Actor a = {};
        codeRecord(r.c, a, count);
        seen[a.type]++;
        if (a.type == kActorPlayer && r.leadingPlayers == i)
            r.leadingPlayers++;
        if (r.apply)
            actors[i] = a;
    }
    for (int t = 0; t < kActorTypeSlots; t++)
        if (seen[t] != typeCount[t])
            r.c.ok = false;
    codeMark(r.c);
    if (!r.apply)
        return;
    actorCount = count;
    for (int t = 0; t < kActorTypeSlots; t++)
        actorTypeCount[t] = typeCount[t];
}

// The players, who must be the first actors of the list, and their values.
static void takePlayers(SaveReader& r)
{
    int32_t count = 0;
    codeInt(r.c, count, 1, kMaxPlayers);
    if (count > r.leadingPlayers)
        r.c.ok = false;
    for (int p = 0; p < count && r.c.ok; p++) {
        PlayerValues v = {};
        codeRecord(r.c, v);
        if (r.apply)
            setPlayerValues(p, v);
    }
    if (r.apply)
        playerCount = count;
}

// The camera and the counters, the last values of the file.
static void takeCamera(SaveReader& r)
{
    float x = 0, y = 0, zoom = 0;
    int32_t kills = 0, tick = 0;
    codeFloat(r.c, x);
    codeFloat(r.c, y);
    codeFloat(r.c, zoom);
    codeInt(r.c, kills);
    codeInt(r.c, tick);
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
    SaveReader r = {fieldCodec(kCodeRead, saveBytes, size), apply, 0};
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
    return r.c.ok && r.c.at == r.c.end;
}

// ---- The saved game and the best score ----------------------------------------

// Writes the world to "save.dat". A world that would not load back (a value
// out of range, a number gone infinite) is not written, so it never replaces a
// good save. True when the new save is in place.
bool saveGame()
{
    int32_t size = encodeSave();
    return decodeSave(size, false) && writeFileAtomically(kSavePath, saveBytes, size);
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
    uint8_t bytes[kStatsBytes];
    int32_t size = readWholeFile(kStatsPath, bytes, kStatsBytes);
    FieldCodec r = fieldCodec(kCodeRead, bytes, size > 0 ? size : 0);
    codeInt(r, bestKillCount);
}

// Writes bestKillCount to "stats.dat" the same safe way as a save. True when
// the new file is in place; otherwise the old one is kept.
bool writeBestScore()
{
    uint8_t bytes[kStatsBytes];
    FieldCodec w = fieldCodec(kCodeWrite, bytes, kStatsBytes);
    codeInt(w, bestKillCount);
    return writeFileAtomically(kStatsPath, bytes, kStatsBytes);
}
