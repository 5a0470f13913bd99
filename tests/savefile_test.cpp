// Saving and loading: bit-exact round trips, the byte layout of "save.dat", the
// damaged files the loader turns away without touching the world, writes that
// fail or meet leftovers without harming the old files, and the best score.
// Every test works in a fresh directory of its own (full and read-only disks
// are the fault runs' part).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "fullworld.h"
#include "scratchdir.h"
#include "testworld.h"
#include "world/files.h"
#include "world/savefile.h"

namespace {

const int kLayer = 256 * 257;  // bytes of one text layer: 256 rows of 256 cells and a line feed

std::string readFile(const char* path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void writeFile(const char* path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The world as our writer encodes it.
std::string encoded()
{
    return std::string((const char*)saveBytes, (size_t)encodeSave());
}

// ---- A save made byte by byte -------------------------------------------------

// The parts of a small hand-made save that the cases below vary. Cells (1, 2)
// and (2, 1) hold one wall box each, cell (3, 4) the rest; actor 1 chases.
struct Crafted {
    int tileKind = 9, rotation = 2;  // of cell (3, 4); every other cell is street (5) at rotation 0
    int boxes = 3, obstacles = 2;    // in cell (3, 4)
    float boxWidth = 0.05f;
    int obstacleKind = 4;
    int rowEnd = 10;                 // ends row 4 of the rotation layer
    int badMark = -1;                // which section mark (0..6) becomes 11; -1: none
    std::vector<int> types = {kActorPlayer, kActorZombie, kActorCivilian};
    int miscount = 0;                // added to the zombie count written
    int hasTarget = 1, target = 0;   // of actor 1
    int tracers = 1, decals = 1, projectiles = 1, explosions = 1;
    int decalKind = kDecalBlood;
    int playerCount = 1;
    float cameraX = 12.5f;
};

// Little-endian values appended one by one.
struct Bytes {
    std::string s;
    void u8(uint32_t v) { s += (char)(unsigned char)v; }
    void i32(int32_t v)
    {
        for (int k = 0; k < 4; k++)
            u8((uint32_t)v >> (8 * k));
    }
    void floats(std::initializer_list<float> fs)
    {
        for (float f : fs) {
            uint32_t u;
            memcpy(&u, &f, 4);
            i32((int32_t)u);
        }
    }
    // Row by row, value + 32, a line feed (or rowEnd on row 4) after each row.
    void layer(const std::function<int(int, int)>& value, int rowEnd = 10)
    {
        for (int y = 0; y < kMapSize; y++) {
            for (int x = 0; x < kMapSize; x++)
                u8((uint32_t)value(x, y) + 32);
            u8(y == 4 ? rowEnd : 10);
        }
    }
};

// The hand-made save, as the case changes it.
std::string craft(const std::function<void(Crafted&)>& change = [](Crafted&) {})
{
    Crafted c;
    change(c);
    Bytes b;
    int mark = 0;
    auto sectionMark = [&] { b.u8(mark++ == c.badMark ? 11 : 10); };
    auto list = [&](int count, const std::function<void()>& entry) {
        b.i32(count);
        for (int i = 0; i < count; i++)
            entry();
        sectionMark();
    };
    auto at34 = [](int x, int y) { return x == 3 && y == 4; };
    b.layer([&](int x, int y) { return at34(x, y) ? c.tileKind : 5; });
    b.layer([&](int x, int y) { return at34(x, y) ? c.rotation : 0; }, c.rowEnd);
    b.layer([&](int x, int y) { return at34(x, y) ? c.boxes : (x == 1 && y == 2) || (x == 2 && y == 1); });
    b.floats({1.25f, 2.5f, 0.5f, 0.25f});  // cell (1, 2) comes first: columns before rows
    b.floats({2.0f, 1.0f, 0.75f, 0.125f});
    for (int k = 0; k < c.boxes; k++)
        b.floats({3 + 0.1f * k, 4.0f, c.boxWidth, 0.9f});
    sectionMark();
    b.layer([&](int x, int y) { return at34(x, y) ? c.obstacles : 0; });
    for (int k = 0; k < c.obstacles; k++) {
        b.i32(c.obstacleKind);
        b.floats({3.5f, 4.5f, 0, 0, k * 1.5f, 100});
    }
    sectionMark();
    int typeCount[kActorTypeSlots] = {};
    for (int t : c.types)
        if (t >= 0 && t < kActorTypeSlots)
            typeCount[t]++;
    typeCount[kActorZombie] += c.miscount;
    b.i32((int32_t)c.types.size());
    for (int t : typeCount)
        b.i32(t);
    for (size_t i = 0; i < c.types.size(); i++) {
        b.i32(c.types[i]);
        b.i32(i == 1 ? c.hasTarget : 0);
        b.i32(i == 1 ? c.target : 0);
        b.i32((int32_t)i % 10);
        b.floats({10.0f + i, 20.0f + i, 0.5f, -0.5f, 1.0f, 100.0f - i});
    }
    sectionMark();
    list(c.tracers, [&] { b.floats({0.5f, 1, 2, 3, 4}); });
    list(c.decals, [&] { b.i32(c.decalKind), b.floats({5, 6, 0.25f}); });
    list(c.projectiles, [&] { b.i32(0), b.floats({7, 8, 0.1f, 0.2f, 0.3f, 100}); });
    list(c.explosions, [&] { b.floats({9, 10, 0.75f, 85}); });
    b.i32(c.playerCount);
    for (int p = 0; p < c.playerCount; p++)
        b.floats({0.1f, -0.2f, 15.5f, 16.5f, 2, 3, 88, -1});
    b.floats({c.cameraX, 13.25f, 4.5f});
    b.i32(42);
    b.i32(3);
    return b.s;
}

// ---- Fixtures -------------------------------------------------------------------

struct SaveFile : ::testing::Test {
    void SetUp() override { enterScratchDir(scratch, "save"); }
    void TearDown() override { leaveScratchDir(scratch); }
    ScratchDir scratch;
};

// A known world, a damaged "save.dat": loading fails and neither changes.
struct DamagedSave : SaveFile {
    void SetUp() override
    {
        SaveFile::SetUp();
        openWorld();
        fillBusyLists(2);
        actors[5].bleedTimer = 4.5f;
        before = encoded();
    }

    void expectNoLoad(const std::string& name)
    {
        EXPECT_FALSE(loadGame()) << name;
        EXPECT_TRUE(encoded() == before) << name << ": the world changed";
        EXPECT_EQ(actors[5].bleedTimer, 4.5f) << name;
    }

    void expectTurnedAway(const std::string& file, const std::string& name)
    {
        writeFile("save.dat", file);
        expectNoLoad(name);
        EXPECT_TRUE(readFile("save.dat") == file) << name << ": the file changed";
    }

    std::string before;
};

// ---- Round trips and layout -------------------------------------------------------

// The busiest world fills the largest save there is; with one byte more the
// file is no save, and loading it changes nothing.
TEST_F(SaveFile, TheLargestSaveComesBackBitForBitAndOneByteMoreIsTurnedAway)
{
    openWorld();
    fillBusyLists(kMaxPlayers);
    fillEveryCell();
    tileKind[255][0] = 15, tileRotation[0][255] = 3;
    actors[3].x = -0.0f, actors[3].y = FLT_MAX, actors[3].vx = -FLT_MAX;
    actors[4].vy = 1e-45f, actors[4].angle = -FLT_MIN / 4, actors[4].health = FLT_MIN;
    wallBoxes[17][200][6].width = -0.0f;
    decals[499].x = 1e-40f;
    ASSERT_TRUE(saveGame());
    std::string first = readFile("save.dat");
    EXPECT_EQ(first.size(), (size_t)kMaxSaveBytes);

    fillBusyLists(1);  // a different world to load over
    tileKind[255][0] = 1, wallBoxCount[17][200] = 0, cameraX = 3;
    ASSERT_TRUE(loadGame());
    EXPECT_TRUE(encoded() == first);
    EXPECT_TRUE(std::signbit(actors[3].x) && actors[3].x == 0);
    EXPECT_TRUE(std::signbit(wallBoxes[17][200][6].width));
    EXPECT_EQ(actors[4].vy, 1e-45f);
    EXPECT_EQ(decals[499].x, 1e-40f);
    EXPECT_EQ(actors[3].y, FLT_MAX);
    for (int i = 0; i < actorCount; i++)
        ASSERT_EQ(actors[i].bleedTimer, 0.0f) << "actor " << i;
    EXPECT_EQ(filesHere(), std::set<std::string>{"save.dat"});
    writeFile("save.dat", first + '\n');
    fillBusyLists(1);
    std::string before = encoded();
    EXPECT_FALSE(loadGame());
    EXPECT_TRUE(encoded() == before);
}

// Text layers are map pictures, cell (x, y) at byte y * 257 + x of its layer;
// each wall box adds 16 bytes; an empty world loads back over a busy one.
TEST_F(SaveFile, AnEmptyWorldTakes263315BytesAndThreeWallBoxes48More)
{
    openWorldWith({{kActorPlayer, 130, 131}});
    tileKind[5][9] = 12, tileRotation[5][9] = 3;
    ASSERT_TRUE(saveGame());
    std::string empty = readFile("save.dat");
    ASSERT_EQ(empty.size(), 263315u);
    EXPECT_EQ(empty[9 * 257 + 5], 32 + 12);
    EXPECT_EQ(empty[kLayer + 9 * 257 + 5], 32 + 3);
    for (int k = 0; k < 3; k++)
        putWallBox(200, 3, 200.1f + k * 0.3f, 3.1f, 0.2f, 0.3f);
    std::string boxes = encoded();
    ASSERT_EQ(boxes.size(), 263315u + 48);
    EXPECT_EQ(boxes[2 * kLayer + 3 * 257 + 200], 32 + 3);
    fillBusyLists(2);
    ASSERT_TRUE(loadGame());
    EXPECT_TRUE(encoded() == empty);
}

TEST_F(SaveFile, AFileMadeByteByByteLoadsIntoTheNamedFieldsAndSavesBackTheSame)
{
    std::string file = craft();
    writeFile("save.dat", file);
    fillBusyLists(3);
    ASSERT_TRUE(loadGame());
    EXPECT_EQ(tileKind[3][4], 9);
    EXPECT_EQ(tileRotation[3][4], 2);
    EXPECT_EQ(wallBoxes[1][2][0].height, 0.25f);
    EXPECT_EQ(wallBoxes[2][1][0].width, 0.75f);
    EXPECT_EQ(obstacles[3][4][1].kind, kObstacleCar);
    EXPECT_EQ(obstacles[3][4][1].angle, 1.5f);
    EXPECT_EQ(actors[1].type, kActorZombie);
    EXPECT_EQ(actors[1].hasTarget, 1);
    EXPECT_EQ(actors[2].y, 22.0f);
    EXPECT_EQ(actors[2].health, 98.0f);
    EXPECT_EQ(tracers[0].endY, 4.0f);
    EXPECT_EQ(decals[0].angle, 0.25f);
    EXPECT_EQ(projectiles[0].vx, 0.1f);
    EXPECT_EQ(explosions[0].strength, 85.0f);
    EXPECT_EQ(aimWorldY[0], 16.5f);
    EXPECT_EQ(healthRegenDelay[0], 3.0f);
    EXPECT_EQ(cameraY, 13.25f);
    EXPECT_EQ(killCount, 42);
    EXPECT_EQ(thinkTick, 3);
    EXPECT_TRUE(encoded() == file);
}

TEST_F(SaveFile, ValuesAtTheEdgeOfTheirRangesStillLoad)
{
    const std::pair<const char*, std::function<void(Crafted&)>> cases[] = {
        {"tile kind 15, rotation 3", [](Crafted& c) { c.tileKind = 15, c.rotation = 3; }},
        {"tile kind 0", [](Crafted& c) { c.tileKind = 0; }},
        {"7 boxes, prop kind 0", [](Crafted& c) { c.boxes = 7, c.obstacleKind = 0; }},
        {"no boxes or obstacles in the cell", [](Crafted& c) { c.boxes = 0, c.obstacles = 0; }},
        {"target the last actor", [](Crafted& c) { c.target = 2; }},
        {"no target, any target value", [](Crafted& c) { c.hasTarget = 0, c.target = -70000; }},
        {"full lists", [](Crafted& c) { c.tracers = 250, c.decals = 500, c.projectiles = 50, c.explosions = 50; }},
        {"empty lists", [](Crafted& c) { c.tracers = c.decals = c.projectiles = c.explosions = 0; }},
        {"four players", [](Crafted& c) { c.types = {0, 0, 0, 0}, c.playerCount = 4, c.target = 3; }},
        {"1000 actors", [](Crafted& c) { c.types.assign(kMaxActors, kActorCivilian), c.types[0] = kActorPlayer; }},
        {"a subnormal camera", [](Crafted& c) { c.cameraX = 1e-42f; }},
    };
    for (const auto& [name, change] : cases) {
        writeFile("save.dat", craft(change));
        EXPECT_TRUE(loadGame()) << name;
    }
}

// ---- Damaged files ------------------------------------------------------------------

TEST_F(DamagedSave, EveryBrokenRuleIsTurnedAwayAndTheWorldStaysAsItWas)
{
    const std::pair<const char*, std::function<void(Crafted&)>> cases[] = {
        {"tile kind 16", [](Crafted& c) { c.tileKind = 16; }},
        {"tile kind -1", [](Crafted& c) { c.tileKind = -1; }},
        {"rotation 4", [](Crafted& c) { c.rotation = 4; }},
        {"8 wall boxes in a cell", [](Crafted& c) { c.boxes = 8; }},
        {"3 obstacles in a cell", [](Crafted& c) { c.obstacles = 3; }},
        {"obstacle kind 5", [](Crafted& c) { c.obstacleKind = 5; }},
        {"a row ended by 13", [](Crafted& c) { c.rowEnd = 13; }},
        {"1001 actors", [](Crafted& c) { c.types.assign(kMaxActors + 1, kActorZombie), c.types[0] = kActorPlayer; }},
        {"no actors", [](Crafted& c) { c.types.clear(); }},
        {"actor type 3", [](Crafted& c) { c.types[2] = 3; }},
        {"actor type -1", [](Crafted& c) { c.types[2] = -1; }},
        {"type counts that disagree", [](Crafted& c) { c.miscount = 1; }},
        {"player slot holding a zombie", [](Crafted& c) { c.types = {1, 0, 2}; }},
        {"two players, one player actor", [](Crafted& c) { c.playerCount = 2; }},
        {"no players", [](Crafted& c) { c.playerCount = 0; }},
        {"five players", [](Crafted& c) { c.types.assign(5, kActorPlayer), c.playerCount = 5; }},
        {"target at the actor count", [](Crafted& c) { c.target = 3; }},
        {"negative target", [](Crafted& c) { c.target = -1; }},
        {"hasTarget 2", [](Crafted& c) { c.hasTarget = 2; }},
        {"tracer count -1", [](Crafted& c) { c.tracers = -1; }},
        {"251 tracers", [](Crafted& c) { c.tracers = kMaxTracers + 1; }},
        {"501 decals", [](Crafted& c) { c.decals = kMaxDecals + 1; }},
        {"51 projectiles", [](Crafted& c) { c.projectiles = kMaxProjectiles + 1; }},
        {"51 explosions", [](Crafted& c) { c.explosions = kMaxExplosions + 1; }},
        {"decal kind 2", [](Crafted& c) { c.decalKind = 2; }},
        {"camera at NaN", [](Crafted& c) { c.cameraX = NAN; }},
        {"infinite wall box", [](Crafted& c) { c.boxWidth = INFINITY; }},
    };
    for (const auto& [name, change] : cases)
        expectTurnedAway(craft(change), name);
    // The seven section marks: after the wall boxes, obstacles, actors,
    // tracers, decals, projectiles and explosions.
    for (int mark = 0; mark < 7; mark++)
        expectTurnedAway(craft([&](Crafted& c) { c.badMark = mark; }), "section mark " + std::to_string(mark));
}

TEST_F(DamagedSave, ShortLongMissingAndUnreadableFilesChangeNothing)
{
    std::string good = craft();
    expectTurnedAway(good.substr(0, good.size() - 1), "one byte short");
    expectTurnedAway(good.substr(0, 3 * kLayer + 7), "cut inside the wall boxes");
    expectTurnedAway(good + '\n', "one byte too many");
    expectTurnedAway(std::string(), "empty");
    remove("save.dat");
    expectNoLoad("missing");
    ASSERT_EQ(mkdir("save.dat", 0755), 0);
    expectNoLoad("a directory");
    ASSERT_EQ(rmdir("save.dat"), 0);
    ASSERT_EQ(mkfifo("save.dat", 0644), 0);  // nobody writes: must not wait for anyone
    expectNoLoad("a pipe");
}

TEST_F(SaveFile, AWorldThatWouldNotLoadBackIsNotSavedOverAGoodSave)
{
    std::string good = craft();
    writeFile("save.dat", good);
    openWorldWith({{kActorPlayer, 130, 131}});
    cameraX = NAN;
    EXPECT_FALSE(saveGame());
    cameraX = 128;
    wallBoxCount[3][3] = kMaxWallBoxesPerCell + 1;
    EXPECT_FALSE(saveGame());
    EXPECT_TRUE(readFile("save.dat") == good);
    EXPECT_EQ(filesHere(), std::set<std::string>{"save.dat"});
}

// A leftover temporary file longer than the new save leaves no tail in it; a
// symbolic link in its place is never written through.
TEST_F(SaveFile, ALeftoverTemporaryFileOrALinkInItsPlaceNeverSpoilsASave)
{
    openWorldWith({{kActorPlayer, 130, 131}});
    writeFile("save.dat.tmp", std::string(600000, 'x'));
    ASSERT_TRUE(saveGame());
    std::string good = readFile("save.dat");
    EXPECT_EQ(good.size(), 263315u);
    EXPECT_TRUE(good == encoded());
    EXPECT_EQ(filesHere(), std::set<std::string>{"save.dat"});
    writeFile("victim", "precious");
    ASSERT_EQ(symlink("victim", "save.dat.tmp"), 0);
    killCount = 77;
    saveGame();
    EXPECT_EQ(readFile("victim"), "precious");
    EXPECT_TRUE(loadGame()) << "save.dat is still a sound save";
}

// ---- Failed writes ------------------------------------------------------------------

// A write that cannot take the file's name (a directory holds it) fails,
// leaves no temporary file and keeps what was there.
TEST_F(SaveFile, AFailedWriteLeavesNoTemporaryFileBehind)
{
    openWorldWith({{kActorPlayer, 130, 131}});
    ASSERT_EQ(mkdir("save.dat", 0755), 0);
    ASSERT_EQ(mkdir("stats.dat", 0755), 0);
    EXPECT_FALSE(saveGame());
    EXPECT_FALSE(writeBestScore());
    EXPECT_EQ(filesHere(), (std::set<std::string>{"save.dat", "stats.dat"}));
}

// Any file, in the working directory or below it, is replaced whole with no
// temporary file left; a directory that is not there takes nothing.
TEST_F(SaveFile, AFileIsReplacedWholeWhereverItLies)
{
    const uint8_t first[] = {1, 2, 3, 4, 5};
    const uint8_t second[] = {9};
    ASSERT_EQ(mkdir("runs", 0755), 0);
    EXPECT_TRUE(writeFileAtomically("runs/index.dat", first, 5));
    EXPECT_TRUE(writeFileAtomically("runs/index.dat", second, 1));
    EXPECT_EQ(readFile("runs/index.dat"), std::string("\x09", 1));
    EXPECT_NE(access("runs/index.dat.tmp", F_OK), 0);
    EXPECT_FALSE(writeFileAtomically("missing/index.dat", first, 5));
    EXPECT_EQ(filesHere(), std::set<std::string>{"runs"});
    EXPECT_TRUE(writeFileAtomically("empty.dat", first, 0));
    EXPECT_EQ(readFile("empty.dat"), "");
    EXPECT_EQ(filesHere(), (std::set<std::string>{"runs", "empty.dat"}));
}

// ---- Best score -------------------------------------------------------------------

TEST_F(SaveFile, TheBestScoreIsFourLittleEndianBytesAndAnythingShorterGivesZero)
{
    bestKillCount = 0x01020304;
    ASSERT_TRUE(writeBestScore());
    EXPECT_EQ(readFile("stats.dat"), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(filesHere(), std::set<std::string>{"stats.dat"});
    auto bestRead = [] {
        bestKillCount = 7;
        readBestScore();
        return bestKillCount;
    };
    writeFile("stats.dat", std::string("\x39\x30\0\0\x7f", 5));
    EXPECT_EQ(bestRead(), 12345);
    writeFile("stats.dat", "");
    EXPECT_EQ(bestRead(), 0) << "empty";
    writeFile("stats.dat", std::string("\x39\x30\0", 3));
    EXPECT_EQ(bestRead(), 0) << "3 bytes";
    remove("stats.dat");
    EXPECT_EQ(bestRead(), 0) << "missing";
    ASSERT_EQ(mkdir("stats.dat", 0755), 0);
    EXPECT_EQ(bestRead(), 0) << "a directory";
}

}  // namespace
