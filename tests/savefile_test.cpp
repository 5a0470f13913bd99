// Saving and loading: bit-exact round trips, the byte layout of "save.dat", the
// damaged files the loader turns away without touching the world, writes that
// fail on a full or read-only disk without harming the old files, and the best
// score. Every test works in a fresh directory of its own.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fullworld.h"
#include "scratchdir.h"
#include "testworld.h"
#include "world/savefile.h"

namespace {

const int kEmptySaveBytes = 263315;  // no boxes, props or list entries, one player

// ---- Files ------------------------------------------------------------------

std::string readFile(const char* path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void writeFile(const char* path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> filesIn(const char* dir)
{
    std::set<std::string> names;
    DIR* d = opendir(dir);
    while (dirent* e = d ? readdir(d) : nullptr)
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
            names.insert(e->d_name);
    if (d)
        closedir(d);
    return names;
}

// The world as our writer encodes it.
std::string encoded()
{
    return std::string((const char*)saveBytes, (size_t)encodeSave());
}

bool writeText(const char* path, const char* text)
{
    int fd = open(path, O_WRONLY);
    bool ok = fd >= 0 && write(fd, text, strlen(text)) == (ssize_t)strlen(text);
    if (fd >= 0)
        close(fd);
    return ok;
}

// Gives this test process mount points of its own (as root, or as root of a
// new user namespace), so it may mount small file systems. False where not allowed.
bool enterMountNamespace()
{
    if (unshare(CLONE_NEWNS) != 0) {
        uid_t uid = getuid();
        gid_t gid = getgid();
        char map[64];
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        writeText("/proc/self/setgroups", "deny");
        snprintf(map, sizeof map, "0 %u 1", (unsigned)uid);
        writeText("/proc/self/uid_map", map);
        snprintf(map, sizeof map, "0 %u 1", (unsigned)gid);
        writeText("/proc/self/gid_map", map);
    }
    return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// ---- A save made byte by byte -------------------------------------------------

// The parts of a small hand-made save that the cases below vary. Cells (1, 2)
// and (2, 1) hold one wall box each, cell (3, 4) the rest; actor 1 chases.
struct Crafted {
    int tileKind = 9;       // of cell (3, 4); every other cell is street (5)
    int rotation = 2;       // of cell (3, 4)
    int boxes = 3;          // in cell (3, 4)
    float boxWidth = 0.05f;
    int obstacles = 2;      // in cell (3, 4)
    int obstacleKind = 4;
    int rowEnd = 10;        // ends row 4 of the rotation layer
    int badMark = -1;       // which section mark (0..6) becomes 11; -1: none
    std::vector<int> types = {kActorPlayer, kActorZombie, kActorCivilian};
    int miscount = 0;       // added to the zombie count written
    int hasTarget = 1;      // of actor 1
    int target = 0;         // of actor 1
    int tracers = 1, decals = 1, projectiles = 1, explosions = 1;
    int decalKind = kDecalBlood;
    int playerCount = 1;
    float cameraX = 12.5f;
};

struct Bytes {
    std::string s;
    void u8(uint32_t v) { s += (char)(unsigned char)v; }
    void i32(int32_t v)
    {
        for (int k = 0; k < 4; k++)
            u8((uint32_t)v >> (8 * k));
    }
    void f32(float f)
    {
        uint32_t u;
        memcpy(&u, &f, 4);
        i32((int32_t)u);
    }
    void floats(std::initializer_list<float> fs)
    {
        for (float f : fs)
            f32(f);
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

std::string craft(const Crafted& c)
{
    Bytes b;
    int mark = 0;
    auto sectionMark = [&] { b.u8(mark++ == c.badMark ? 11 : 10); };
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
    b.i32(c.tracers);
    for (int i = 0; i < c.tracers; i++)
        b.floats({0.5f, 1, 2, 3, 4});
    sectionMark();
    b.i32(c.decals);
    for (int i = 0; i < c.decals; i++) {
        b.i32(c.decalKind);
        b.floats({5, 6, 0.25f});
    }
    sectionMark();
    b.i32(c.projectiles);
    for (int i = 0; i < c.projectiles; i++) {
        b.i32(0);
        b.floats({7, 8, 0.1f, 0.2f, 0.3f, 100});
    }
    sectionMark();
    b.i32(c.explosions);
    for (int i = 0; i < c.explosions; i++)
        b.floats({9, 10, 0.75f, 85});
    sectionMark();
    b.i32(c.playerCount);
    for (int p = 0; p < c.playerCount; p++)
        b.floats({0.1f, -0.2f, 15.5f, 16.5f, 2, 3, 88, -1});
    b.floats({c.cameraX, 13.25f, 4.5f});
    b.i32(42);
    b.i32(3);
    return b.s;
}

Crafted craftedWith(const std::function<void(Crafted&)>& change)
{
    Crafted c;
    change(c);
    return c;
}

// ---- Fixture ------------------------------------------------------------------

struct SaveFile : ::testing::Test {
    void SetUp() override
    {
        enterScratchDir(scratch, "save");
    }

    void TearDown() override
    {
        ASSERT_EQ(chdir(scratch.newDir), 0);
        if (mounted)
            umount2("disk", MNT_DETACH);
        leaveScratchDir(scratch);
    }

    // A tmpfs with the given options as the working directory; skips the test
    // where this process may not mount.
    void workOnTmpfs(const char* options)
    {
        static const bool allowed = enterMountNamespace();
        if (!allowed)
            GTEST_SKIP() << "no private mounts here";
        ASSERT_EQ(mkdir("disk", 0755), 0);
        ASSERT_EQ(mount("tmpfs", "disk", "tmpfs", 0, options), 0) << strerror(errno);
        mounted = true;
        ASSERT_EQ(chdir("disk"), 0);
    }

    ScratchDir scratch;
    bool mounted = false;
};

// ---- Round trips ----------------------------------------------------------------

TEST_F(SaveFile, ABusyWorldComesBackBitForBitWithFreshBleedPauses)
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

    fillBusyLists(1);  // a different world to load over
    tileKind[255][0] = 1, wallBoxCount[17][200] = 0, cameraX = 3;
    ASSERT_TRUE(loadGame());
    EXPECT_TRUE(encoded() == first);
    EXPECT_EQ(playerCount, kMaxPlayers);
    EXPECT_EQ(tileKind[255][0], 15);
    EXPECT_TRUE(std::signbit(actors[3].x) && actors[3].x == 0);
    EXPECT_TRUE(std::signbit(wallBoxes[17][200][6].width));
    EXPECT_EQ(actors[4].vy, 1e-45f);
    EXPECT_EQ(decals[499].x, 1e-40f);
    EXPECT_EQ(actors[3].y, FLT_MAX);
    for (int i = 0; i < actorCount; i++)
        ASSERT_EQ(actors[i].bleedTimer, 0.0f) << "actor " << i;
    EXPECT_EQ(readFile("save.dat").size(), (size_t)kMaxSaveBytes);
    EXPECT_EQ(filesIn("."), std::set<std::string>{"save.dat"});
}

TEST_F(SaveFile, AnEmptyWorldWithOnePlayerTakes263315BytesAndLoadsBack)
{
    openWorldWith({{kActorPlayer, 130, 131}});
    ASSERT_TRUE(saveGame());
    std::string file = readFile("save.dat");
    EXPECT_EQ(file.size(), (size_t)kEmptySaveBytes);
    fillBusyLists(2);
    ASSERT_TRUE(loadGame());
    EXPECT_EQ(actorCount, 1);
    EXPECT_EQ(actors[0].x, 130.0f);
    EXPECT_EQ(decalCount + tracerCount + projectileCount + explosionCount, 0);
    EXPECT_TRUE(encoded() == file);
}

// ---- Layout ---------------------------------------------------------------------

TEST_F(SaveFile, TextLayersAreMapPicturesAndCellListsRunColumnByColumn)
{
    openWorldWith({{kActorPlayer, 130, 131}});
    tileKind[5][9] = 12, tileRotation[5][9] = 3, tileKind[255][255] = 15;
    putWallBox(200, 3, 200.1f, 3.1f, 0.2f, 0.3f);
    putWallBox(200, 3, 200.4f, 3.1f, 0.2f, 0.3f);
    putWallBox(200, 3, 200.7f, 3.1f, 0.2f, 0.3f);
    putWallBox(7, 250, 7.5f, 250.5f, 0.25f, 0.25f);
    std::string file = encoded();
    EXPECT_EQ(file.size(), (size_t)kEmptySaveBytes + 4 * 16);
    EXPECT_EQ(file[9 * 257 + 5], 32 + 12);
    EXPECT_EQ(file[255 * 257 + 255], 32 + 15);
    EXPECT_EQ(file[kTextLayerBytes + 9 * 257 + 5], 32 + 3);
    EXPECT_EQ(file[2 * kTextLayerBytes + 3 * 257 + 200], 32 + 3);
    EXPECT_EQ(file[2 * kTextLayerBytes + 250 * 257 + 7], 32 + 1);
    for (int layer = 0; layer < 3; layer++)
        for (int row = 0; row < kMapSize; row++)
            ASSERT_EQ(file[layer * kTextLayerBytes + row * 257 + 256], '\n') << layer << " " << row;
    // Column 7 comes before column 200, although its row comes later.
    float first;
    memcpy(&first, file.data() + 3 * kTextLayerBytes, 4);
    EXPECT_EQ(first, 7.5f);
    memcpy(&first, file.data() + 3 * kTextLayerBytes + 16 + 16, 4);  // the middle box of (200, 3)
    EXPECT_EQ(first, 200.4f);
    EXPECT_EQ(file[3 * kTextLayerBytes + 4 * 16], '\n');
}

TEST_F(SaveFile, AFileMadeByteByByteLoadsIntoTheNamedFieldsAndSavesBackTheSame)
{
    std::string file = craft(Crafted());
    writeFile("save.dat", file);
    fillBusyLists(3);
    ASSERT_TRUE(loadGame());
    EXPECT_EQ(tileKind[3][4], 9);
    EXPECT_EQ(tileKind[4][3], 5);
    EXPECT_EQ(tileRotation[3][4], 2);
    EXPECT_EQ(wallBoxCount[1][2], 1);
    EXPECT_EQ(wallBoxes[1][2][0].height, 0.25f);
    EXPECT_EQ(wallBoxes[2][1][0].width, 0.75f);
    EXPECT_EQ(wallBoxCount[3][4], 3);
    EXPECT_EQ(wallBoxes[3][4][2].x, 3 + 0.1f * 2);
    EXPECT_EQ(obstacleCount[3][4], 2);
    EXPECT_EQ(obstacles[3][4][1].kind, kObstacleCar);
    EXPECT_EQ(obstacles[3][4][1].angle, 1.5f);
    EXPECT_EQ(obstacles[3][4][1].health, 100.0f);
    EXPECT_EQ(actorCount, 3);
    EXPECT_EQ(actorTypeCount[kActorCivilian], 1);
    EXPECT_EQ(actors[1].type, kActorZombie);
    EXPECT_EQ(actors[1].hasTarget, 1);
    EXPECT_EQ(actors[2].thinkSlot, 2);
    EXPECT_EQ(actors[2].y, 22.0f);
    EXPECT_EQ(actors[2].vy, -0.5f);
    EXPECT_EQ(actors[2].health, 98.0f);
    EXPECT_EQ(tracerCount, 1);
    EXPECT_EQ(tracers[0].endY, 4.0f);
    EXPECT_EQ(decals[0].kind, kDecalBlood);
    EXPECT_EQ(decals[0].angle, 0.25f);
    EXPECT_EQ(projectiles[0].vx, 0.1f);
    EXPECT_EQ(projectiles[0].fuse, 100.0f);
    EXPECT_EQ(explosions[0].strength, 85.0f);
    EXPECT_EQ(playerCount, 1);
    EXPECT_EQ(aimWorldY[0], 16.5f);
    EXPECT_EQ(healthRegenDelay[0], 3.0f);
    EXPECT_EQ(energyRegenDelay[0], -1.0f);
    EXPECT_EQ(cameraY, 13.25f);
    EXPECT_EQ(cameraZoom, 4.5f);
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
        writeFile("save.dat", craft(craftedWith(change)));
        EXPECT_TRUE(loadGame()) << name;
    }
}

// ---- Damaged files ------------------------------------------------------------------

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

    void expectTurnedAway(const std::string& file, const std::string& name)
    {
        writeFile("save.dat", file);
        EXPECT_FALSE(loadGame()) << name;
        EXPECT_TRUE(encoded() == before) << name << ": the world changed";
        EXPECT_EQ(actors[5].bleedTimer, 4.5f) << name;
        EXPECT_TRUE(readFile("save.dat") == file) << name << ": the file changed";
    }

    std::string before;
};

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
        {"mark after the wall boxes", [](Crafted& c) { c.badMark = 0; }},
        {"mark after the obstacles", [](Crafted& c) { c.badMark = 1; }},
        {"mark after the actors", [](Crafted& c) { c.badMark = 2; }},
        {"mark after the tracers", [](Crafted& c) { c.badMark = 3; }},
        {"mark after the decals", [](Crafted& c) { c.badMark = 4; }},
        {"mark after the projectiles", [](Crafted& c) { c.badMark = 5; }},
        {"mark after the explosions", [](Crafted& c) { c.badMark = 6; }},
        {"1001 actors", [](Crafted& c) { c.types.assign(kMaxActors + 1, kActorZombie), c.types[0] = kActorPlayer; }},
        {"no actors", [](Crafted& c) { c.types.clear(); }},
        {"actor type 6", [](Crafted& c) { c.types[2] = 6; }},
        {"actor type -1", [](Crafted& c) { c.types[2] = -1; }},
        {"actor type 3", [](Crafted& c) { c.types[2] = 3; }},
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
        expectTurnedAway(craft(craftedWith(change)), name);
}

TEST_F(DamagedSave, ShortLongMissingAndUnreadableFilesChangeNothing)
{
    std::string good = craft(Crafted());
    expectTurnedAway(good.substr(0, good.size() - 1), "one byte short");
    expectTurnedAway(good.substr(0, 3 * kTextLayerBytes + 7), "cut inside the wall boxes");
    expectTurnedAway(good + '\n', "one byte too many");
    expectTurnedAway(std::string(), "empty");
    remove("save.dat");
    EXPECT_FALSE(loadGame());
    EXPECT_TRUE(encoded() == before);
    ASSERT_EQ(mkdir("save.dat", 0755), 0);
    EXPECT_FALSE(loadGame());
    EXPECT_TRUE(encoded() == before);
    ASSERT_EQ(rmdir("save.dat"), 0);
    ASSERT_EQ(mkfifo("save.dat", 0644), 0);  // nobody writes: must not wait for anyone
    EXPECT_FALSE(loadGame());
    EXPECT_TRUE(encoded() == before);
}

TEST_F(SaveFile, AWorldThatWouldNotLoadBackIsNotSavedOverAGoodSave)
{
    std::string good = craft(Crafted());
    writeFile("save.dat", good);
    openWorldWith({{kActorPlayer, 130, 131}});
    cameraX = NAN;
    EXPECT_FALSE(saveGame());
    cameraX = 128;
    wallBoxCount[3][3] = kMaxWallBoxesPerCell + 1;
    EXPECT_FALSE(saveGame());
    EXPECT_TRUE(readFile("save.dat") == good);
    EXPECT_EQ(filesIn("."), std::set<std::string>{"save.dat"});
}

// ---- Failed writes ------------------------------------------------------------------

TEST_F(SaveFile, AFullDiskKeepsTheOldSaveAndBestScoreAndLeavesNoTemporaryFile)
{
    workOnTmpfs("size=1m");
    std::string oldSave = craft(Crafted());
    writeFile("save.dat", oldSave);
    writeFile("stats.dat", std::string("\x05\0\0\0", 4));
    int fd = open("filler", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    static const char chunk[4096] = {};
    while (write(fd, chunk, sizeof chunk) > 0) {
    }
    close(fd);

    openWorld();
    fillBusyLists(1);
    bestKillCount = 99;
    EXPECT_FALSE(saveGame());
    EXPECT_FALSE(writeBestScore());
    EXPECT_TRUE(readFile("save.dat") == oldSave);
    EXPECT_EQ(readFile("stats.dat"), std::string("\x05\0\0\0", 4));
    EXPECT_EQ(filesIn("."), (std::set<std::string>{"filler", "save.dat", "stats.dat"}));
    EXPECT_EQ(bestKillCount, 99);

    remove("filler");  // room again: the same save goes through
    EXPECT_TRUE(saveGame());
    EXPECT_TRUE(writeBestScore());
    EXPECT_EQ(filesIn("."), (std::set<std::string>{"save.dat", "stats.dat"}));
}

TEST_F(SaveFile, AReadOnlyDirectoryKeepsTheOldFilesButStillLoads)
{
    workOnTmpfs("size=1m");
    std::string oldSave = craft(Crafted());
    writeFile("save.dat", oldSave);
    writeFile("stats.dat", std::string("\x05\0\0\0", 4));
    ASSERT_EQ(mount(nullptr, ".", nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << strerror(errno);

    openWorld();
    fillBusyLists(1);
    bestKillCount = 99;
    EXPECT_FALSE(saveGame());
    EXPECT_FALSE(writeBestScore());
    EXPECT_TRUE(readFile("save.dat") == oldSave);
    EXPECT_EQ(filesIn("."), (std::set<std::string>{"save.dat", "stats.dat"}));
    EXPECT_TRUE(loadGame());
    EXPECT_EQ(killCount, 42);
    readBestScore();
    EXPECT_EQ(bestKillCount, 5);
}

// ---- Best score -------------------------------------------------------------------

TEST_F(SaveFile, TheBestScoreIsFourLittleEndianBytesAndAnythingShorterGivesZero)
{
    bestKillCount = 0x01020304;
    ASSERT_TRUE(writeBestScore());
    EXPECT_EQ(readFile("stats.dat"), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(filesIn("."), std::set<std::string>{"stats.dat"});
    writeFile("stats.dat", std::string("\x39\x30\0\0\x7f", 5));
    readBestScore();
    EXPECT_EQ(bestKillCount, 12345);

    const std::string unusable[] = {"", std::string("\x39\x30\0", 3)};
    for (const std::string& bytes : unusable) {
        writeFile("stats.dat", bytes);
        bestKillCount = 7;
        readBestScore();
        EXPECT_EQ(bestKillCount, 0) << bytes.size() << " bytes";
    }
    remove("stats.dat");
    bestKillCount = 7;
    readBestScore();
    EXPECT_EQ(bestKillCount, 0);
    ASSERT_EQ(mkdir("stats.dat", 0755), 0);
    bestKillCount = 7;
    readBestScore();
    EXPECT_EQ(bestKillCount, 0);
}

}  // namespace
