// The random city: one seed, one city on every build; and the promises every
// city keeps, checked over a spread of seeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>

#include "sim/collision.h"
#include "world/levelgen.h"
#include "world/world.h"

namespace {

const unsigned kSeedCount = 20;

// The city of srand(1) with one player, recorded once; optimised and sanitised
// builds must both make exactly this city.
const uint64_t kSeedOneChecksum = 11636427491343758086ull;

// FNV-1a over everything a new game lays out: tiles, wall boxes, obstacles, actors.
uint64_t cityChecksum()
{
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const void* data, size_t size) {
        for (size_t i = 0; i < size; i++)
            h = (h ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
    };
    mix(tileKind, sizeof tileKind);
    mix(tileRotation, sizeof tileRotation);
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++) {
            mix(&wallBoxCount[x][y], 4);
            mix(wallBoxes[x][y], wallBoxCount[x][y] * sizeof(WallBox));
            mix(&obstacleCount[x][y], 4);
            mix(obstacles[x][y], obstacleCount[x][y] * sizeof(Obstacle));
        }
    mix(actors, actorCount * sizeof(Actor));
    return h;
}

void newGame(unsigned seed, int players)
{
    srand(seed);
    playerCount = players;
    startNewGame();
}

void forEachCity(const std::function<void(unsigned)>& check)
{
    for (unsigned seed = 1; seed <= kSeedCount; seed++) {
        newGame(seed, 1);
        check(seed);
    }
}

int kindAt(int x, int y)
{
    return x < 0 || x >= kMapSize || y < 0 || y >= kMapSize ? kTileVoid : tileKind[x][y];
}

bool isBuildingKind(int k) { return k >= kTileFloor && k <= kTileInnerWall; }
bool isInnerWallKind(int k) { return k == kTileInnerWall || k == kTileInnerDoorway; }

TEST(LevelGen, SameSeedGivesTheSameCityOnEveryBuild)
{
    newGame(77, 3);
    uint64_t first = cityChecksum();
    int nextDraw = rand();
    newGame(77, 3);
    EXPECT_EQ(cityChecksum(), first);
    EXPECT_EQ(rand(), nextDraw);
    newGame(78, 3);
    EXPECT_NE(cityChecksum(), first);
    newGame(1, 1);
    EXPECT_EQ(cityChecksum(), kSeedOneChecksum);
}

TEST(LevelGen, CityKeepsToItsKindsAndItsBorder)
{
    forEachCity([](unsigned seed) {
        int faults = 0;
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++) {
                int k = tileKind[x][y];
                faults += k < 0 || k > kTileInnerWall || (k >= 1 && k <= 3) || k == 6;
                faults += k != kTileVoid && (x < 14 || x > 240 || y < 14 || y > 240);
                faults += tileRotation[x][y] < 0 || tileRotation[x][y] > 3;
            }
        EXPECT_EQ(faults, 0) << "seed " << seed;
    });
}

// Marks the 4-connected group of building cells from (x, y) in seen; returns
// its size and bounding rectangle.
int floodBuilding(int x, int y, bool (&seen)[kMapSize][kMapSize], int& x0, int& y0, int& x1, int& y1)
{
    static int stack[kMapSize * kMapSize][2];
    int top = 0, size = 0;
    x0 = x1 = x, y0 = y1 = y;
    seen[x][y] = true;
    stack[top][0] = x, stack[top++][1] = y;
    while (top > 0) {
        top--;
        int cx = stack[top][0], cy = stack[top][1];
        size++;
        x0 = std::min(x0, cx), x1 = std::max(x1, cx), y0 = std::min(y0, cy), y1 = std::max(y1, cy);
        const int step[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& s : step) {
            int nx = cx + s[0], ny = cy + s[1];
            if (isBuildingKind(kindAt(nx, ny)) && !seen[nx][ny]) {
                seen[nx][ny] = true;
                stack[top][0] = nx, stack[top++][1] = ny;
            }
        }
    }
    return size;
}

// Rim cells must be outer walls facing outwards, corners at the corners, the rest
// interior; the walkway runs all round; at least one outer doorway.
int buildingFaults(int x0, int y0, int x1, int y1)
{
    int faults = 0, doorways = 0;
    for (int i = x0; i <= x1; i++)
        for (int j = y0; j <= y1; j++) {
            int k = tileKind[i][j], r = tileRotation[i][j];
            bool w = i == x0, e = i == x1, n = j == y0, s = j == y1;
            if ((w || e) && (n || s))
                faults += k != kTileCorner || r != (w ? (s ? 0 : 1) : (n ? 2 : 3));
            else if (w || e || n || s)
                faults += (k != kTileWall && k != kTileOuterDoorway && k != kTileJunction) ||
                          r != (w ? 0 : n ? 1 : e ? 2 : 3);
            else
                faults += k != kTileFloor && !isInnerWallKind(k);
            doorways += k == kTileOuterDoorway;
        }
    for (int i = x0; i <= x1; i++)
        faults += (kindAt(i, y0 - 1) != kTileWalkway) + (kindAt(i, y1 + 1) != kTileWalkway);
    for (int j = y0; j <= y1; j++)
        faults += (kindAt(x0 - 1, j) != kTileWalkway) + (kindAt(x1 + 1, j) != kTileWalkway);
    return faults + (doorways == 0);
}

TEST(LevelGen, BuildingsAreWalledRectanglesWithAnOuterDoorway)
{
    static bool seen[kMapSize][kMapSize];
    forEachCity([](unsigned seed) {
        std::fill(&seen[0][0], &seen[0][0] + kMapSize * kMapSize, false);
        int faults = 0, buildings = 0;
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++) {
                if (seen[x][y] || !isBuildingKind(tileKind[x][y]))
                    continue;
                int x0, y0, x1, y1;
                int size = floodBuilding(x, y, seen, x0, y0, x1, y1);
                buildings++;
                bool rectangle = size == (x1 - x0 + 1) * (y1 - y0 + 1) && x1 - x0 >= 2 && y1 - y0 >= 2;
                faults += rectangle ? buildingFaults(x0, y0, x1, y1) : 1;
            }
        EXPECT_EQ(faults, 0) << "seed " << seed;
        EXPECT_GT(buildings, 50) << "seed " << seed;
    });
}

TEST(LevelGen, InnerWallsRunFromOuterWallToOuterWallWithOneDoorway)
{
    forEachCity([](unsigned seed) {
        int faults = 0, doorways = 0, innerCells = 0, walkedCells = 0;
        for (int x = 1; x < kMapSize - 1; x++)
            for (int y = 1; y < kMapSize - 1; y++) {
                innerCells += isInnerWallKind(tileKind[x][y]);
                if (tileKind[x][y] != kTileInnerDoorway)
                    continue;
                doorways++;
                walkedCells++;
                int r = tileRotation[x][y], dx = r == 0, dy = r != 0;
                for (int dir = -1; dir <= 1; dir += 2) {
                    int i = x + dir * dx, j = y + dir * dy;
                    for (; isInnerWallKind(tileKind[i][j]); i += dir * dx, j += dir * dy) {
                        faults += tileKind[i][j] != kTileInnerWall || tileRotation[i][j] != r;
                        walkedCells++;
                    }
                    // The junction keeps the rotation of the outer wall it is part of.
                    int wallSide = dir < 0 ? (r == 0 ? 0 : 1) : (r == 0 ? 2 : 3);
                    faults += tileKind[i][j] != kTileJunction || tileRotation[i][j] != wallSide;
                }
            }
        EXPECT_EQ(walkedCells, innerCells) << "seed " << seed << ": inner wall without a doorway";
        EXPECT_EQ(faults, 0) << "seed " << seed;
        EXPECT_GT(doorways, 20) << "seed " << seed;
    });
}

// Wall rectangles of kinds 10..15 at rotation 0, hundredths of a cell.
const int kPieceRects[6][2][4] = {
    {{1, 0, 13, 100}, {}},           {{1, 0, 13, 5}, {1, 95, 13, 100}},   {{1, 0, 13, 99}, {1, 87, 100, 99}},
    {{1, 0, 13, 100}, {1, 44, 100, 56}}, {{0, 44, 5, 56}, {95, 44, 100, 56}}, {{0, 44, 100, 56}, {}},
};
const int kPieceRectCounts[6] = {1, 2, 2, 2, 2, 1};

// A point of the unit cell turned about its centre by quarter turns towards +y.
void quarterTurn(float u, float v, int turns, float& ou, float& ov)
{
    u -= 0.5f, v -= 0.5f;
    for (int i = 0; i < turns; i++)
        std::swap(u, v), u = -u;
    ou = u + 0.5f, ov = v + 0.5f;
}

TEST(LevelGen, WallBoxesMatchTheirPiecesAtEveryRotation)
{
    forEachCity([](unsigned seed) {
        int faults = 0, rotations[4] = {};
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++) {
                int k = tileKind[x][y], r = tileRotation[x][y];
                if (k < kTileWall) {
                    faults += wallBoxCount[x][y] != 0;
                    continue;
                }
                rotations[r]++;
                if (wallBoxCount[x][y] != kPieceRectCounts[k - kTileWall]) {
                    faults++;
                    continue;
                }
                for (int i = 0; i < wallBoxCount[x][y]; i++) {
                    const int* e = kPieceRects[k - kTileWall][i];
                    float ax, ay, bx, by;
                    quarterTurn(e[0] / 100.0f, e[1] / 100.0f, r, ax, ay);
                    quarterTurn(e[2] / 100.0f, e[3] / 100.0f, r, bx, by);
                    const WallBox& w = wallBoxes[x][y][i];
                    faults += std::fabs(w.x - (x + std::min(ax, bx))) > 1e-5f ||
                              std::fabs(w.y - (y + std::min(ay, by))) > 1e-5f ||
                              std::fabs(w.width - std::fabs(ax - bx)) > 1e-5f ||
                              std::fabs(w.height - std::fabs(ay - by)) > 1e-5f;
                }
            }
        EXPECT_EQ(faults, 0) << "seed " << seed;
        for (int r = 0; r < 4; r++)
            EXPECT_GT(rotations[r], 0) << "seed " << seed << " rotation " << r;
    });
}

TEST(LevelGen, ThinOrSurplusWallBoxesAreDropped)
{
    wallBoxCount[5][5] = 0;
    addWallBox(5, 5, 5.0f, 5.0f, 0.02f, 1.0f);
    addWallBox(5, 5, 5.0f, 5.0f, 1.0f, 0.025f);
    EXPECT_EQ(wallBoxCount[5][5], 0);
    for (int i = 0; i < 9; i++)
        addWallBox(5, 5, 5.0f + i * 0.1f, 5.0f, 0.05f, 0.05f);
    EXPECT_EQ(wallBoxCount[5][5], kMaxWallBoxesPerCell);
    EXPECT_FLOAT_EQ(wallBoxes[5][5][6].x, 5.6f);
    addWallBox(-1, 5, 0, 0, 1, 1);          // cells off the map are ignored
    addWallBox(5, kMapSize, 0, 0, 1, 1);
    wallBoxCount[5][5] = 0;
}

TEST(LevelGen, CarsParkBesideStraightCentreLinesWellApart)
{
    forEachCity([](unsigned seed) {
        static int carCells[8192][2];
        int faults = 0, cars = 0;
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++)
                for (int i = 0; i < obstacleCount[x][y]; i++) {
                    const Obstacle& o = obstacles[x][y][i];
                    if (o.kind != kObstacleCar)
                        continue;
                    carCells[cars][0] = x, carCells[cars++][1] = y;
                    bool alongX = tileRotation[x][y] == 0;
                    int dx = alongX, dy = !alongX;
                    faults += tileKind[x][y] != kTileCentreLine || i != 0;
                    faults += tileKind[x - dx][y - dy] != kTileStreet && tileKind[x - dx][y - dy] != kTileCentreLine;
                    faults += tileKind[x + dx][y + dy] != kTileStreet && tileKind[x + dx][y + dy] != kTileCentreLine;
                    float side = alongX ? o.y - (y + 0.5f) : o.x - (x + 0.5f);
                    float along = alongX ? o.x - (x + 0.5f) : o.y - (y + 0.5f);
                    faults += std::fabs(std::fabs(side) - 0.8f) > 1e-5f || along != 0;
                    faults += (std::fabs(std::cos(o.angle)) > 0.5f) != alongX;   // length along the street
                }
        for (int a = 0; a < cars; a++)
            for (int b = a + 1; b < cars; b++)
                faults += std::abs(carCells[a][0] - carCells[b][0]) <= 2 &&
                          std::abs(carCells[a][1] - carCells[b][1]) <= 2;
        EXPECT_EQ(faults, 0) << "seed " << seed;
        EXPECT_GT(cars, 20) << "seed " << seed;
    });
}

TEST(LevelGen, PropsStandClearOfSolidTilesAndWalls)
{
    forEachCity([](unsigned seed) {
        int faults = 0, props = 0;
        for (int x = 1; x < kMapSize - 1; x++)
            for (int y = 1; y < kMapSize - 1; y++)
                for (int i = 0; i < obstacleCount[x][y]; i++) {
                    const Obstacle& o = obstacles[x][y][i];
                    if (o.kind == kObstacleCar)
                        continue;
                    props++;
                    faults += o.kind > 3 || (int)floorf(o.x) != x || (int)floorf(o.y) != y;
                    for (int cx = x - 1; cx <= x + 1; cx++)
                        for (int cy = y - 1; cy <= y + 1; cy++) {
                            if (tileKind[cx][cy] < kSolidTileKinds)
                                faults += circleHitsBox(o.x, o.y, 0.9f, cx, 1, cy, 1);
                            for (int b = 0; b < wallBoxCount[cx][cy]; b++) {
                                const WallBox& w = wallBoxes[cx][cy][b];
                                faults += circleHitsBox(o.x, o.y, 0.9f, w.x, w.width, w.y, w.height);
                            }
                        }
                }
        EXPECT_EQ(faults, 0) << "seed " << seed;
        EXPECT_GT(props, 50) << "seed " << seed;
    });
}

TEST(LevelGen, PlayersStartAroundAFreeCellWithFreshValues)
{
    const float offsets[4][2] = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}};
    for (unsigned seed = 1; seed <= 6; seed++) {
        energy[3] = 3, killCount = 9, thinkTick = 4;
        newGame(seed, 4);
        ASSERT_EQ(actorCount, 4);
        float x = actors[0].x, y = actors[0].y;
        EXPECT_FALSE(isBlocked(x, y, 0.23f, true)) << "seed " << seed;
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(actors[i].x, x + offsets[i][0]);
            EXPECT_EQ(actors[i].y, y + offsets[i][1]);
        }
        EXPECT_EQ(energy[3], 100);
        EXPECT_EQ(cameraX, x);
        EXPECT_EQ(cameraY, y);
        EXPECT_EQ(cameraZoom, 1.0f);
        EXPECT_EQ(killCount, 0);
        EXPECT_EQ(thinkTick, 0);
    }
    newGame(5, 9);   // counts out of range are brought to 1..4
    EXPECT_EQ(actorCount, 4);
    newGame(5, 0);
    EXPECT_EQ(actorCount, 1);
    EXPECT_EQ(playerCount, 1);
}

// A free centre cell costs no draws: the players' think slots come straight
// after the last draw of the city.
TEST(LevelGen, FreeCentreCellTakesNoDrawForTheStart)
{
    int freeCities = 0;
    for (unsigned seed = 1; seed <= 30; seed++) {
        srand(seed);
        resetWorld();
        generateLevel();
        buildWallBoxes();
        placeObstacles();
        if (isBlocked(128.5f, 128.5f, 0.23f, true))
            continue;
        int thinkSlot = rand() % 10;
        newGame(seed, 1);
        EXPECT_EQ(actors[0].x, 128.5f);
        EXPECT_EQ(actors[0].y, 128.5f);
        EXPECT_EQ(actors[0].thinkSlot, thinkSlot) << "seed " << seed;
        freeCities++;
    }
    EXPECT_GT(freeCities, 0);
}

}  // namespace
