// The random city: one seed, one city on every build; and the promises every
// city keeps, checked over a spread of seeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

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

int kindAt(int x, int y)
{
    return x < 0 || x >= kMapSize || y < 0 || y >= kMapSize ? kTileVoid : tileKind[x][y];
}

bool isBuildingKind(int k) { return k >= kTileFloor && k <= kTileInnerWall; }
bool isInnerWallKind(int k) { return k == kTileInnerWall || k == kTileInnerDoorway; }
bool isRimKind(int k) { return k == kTileWall || k == kTileOuterDoorway || k == kTileJunction; }

// Catches any change to the city at all; re-record it after an intended one.
// The rule checks below must hold whatever the recorded value.
TEST(LevelGen, RecordedCityOfSeedOneIsUnchanged)
{
    newGame(1, 1);
    EXPECT_EQ(cityChecksum(), kSeedOneChecksum);
}

// The number of a building's sides that hold an outer doorway, and whether a
// street lies two cells beyond any of its walls (where street doors look).
int sidesWithDoorways(int x0, int y0, int x1, int y1, bool& facesStreet)
{
    facesStreet = false;
    int west = 0, east = 0, north = 0, south = 0;
    for (int j = y0 + 1; j < y1; j++) {
        facesStreet = facesStreet || kindAt(x0 - 2, j) == kTileStreet || kindAt(x1 + 2, j) == kTileStreet;
        west += tileKind[x0][j] == kTileOuterDoorway;
        east += tileKind[x1][j] == kTileOuterDoorway;
    }
    for (int i = x0 + 1; i < x1; i++) {
        facesStreet = facesStreet || kindAt(i, y0 - 2) == kTileStreet || kindAt(i, y1 + 2) == kTileStreet;
        north += tileKind[i][y0] == kTileOuterDoorway;
        south += tileKind[i][y1] == kTileOuterDoorway;
    }
    return (west > 0) + (east > 0) + (north > 0) + (south > 0);
}

// Rim cells are outer walls facing outwards with corners at the corners, the
// inside is floor or inner walls, a walkway runs all round, and there is a doorway.
int buildingFaults(int x0, int y0, int x1, int y1)
{
    int faults = x1 - x0 < 2 || y1 - y0 < 2, doorways = 0;
    for (int i = x0; i <= x1; i++)
        for (int j = y0; j <= y1; j++) {
            int k = tileKind[i][j], r = tileRotation[i][j];
            bool w = i == x0, e = i == x1, n = j == y0, s = j == y1;
            if ((w || e) && (n || s))
                faults += k != kTileCorner || r != (w ? (s ? 0 : 1) : (n ? 2 : 3));
            else if (w || e || n || s)
                faults += !isRimKind(k) || r != (w ? 0 : n ? 1 : e ? 2 : 3);
            else
                faults += k != kTileFloor && !isInnerWallKind(k);
            doorways += k == kTileOuterDoorway;
            faults += (w && kindAt(i - 1, j) != kTileWalkway) + (e && kindAt(i + 1, j) != kTileWalkway);
            faults += (n && kindAt(i, j - 1) != kTileWalkway) + (s && kindAt(i, j + 1) != kTileWalkway);
        }
    return faults + (doorways == 0);
}

// Kinds and border; each building found by its low corner and measured along
// its rims, all buildings together covering every building cell. A building
// with no street to face has no street door, so all four sides get a doorway;
// one facing a street gets each other side's doorway on a 1 in 10 draw, so few
// of those have all four.
TEST(LevelGen, CitiesKeepTheirKindsAndBorderAndWallTheirBuildings)
{
    for (unsigned seed = 1; seed <= kSeedCount; seed++) {
        newGame(seed, 1);
        int faults = 0, buildings = 0, buildingCells = 0, coveredCells = 0;
        int streetless = 0, streetlessAllSides = 0, facing = 0, facingAllSides = 0;
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++) {
                int k = tileKind[x][y];
                faults += k < 0 || k > kTileInnerWall || (k >= 1 && k <= 3) || k == 6;
                faults += k != kTileVoid && (x < 14 || x > 240 || y < 14 || y > 240);
                faults += tileRotation[x][y] < 0 || tileRotation[x][y] > 3;
                buildingCells += isBuildingKind(k);
                if (k != kTileCorner || tileRotation[x][y] != 1)
                    continue;
                int x1 = x + 1, y1 = y + 1;
                while (isRimKind(kindAt(x1, y)))
                    x1++;
                while (isRimKind(kindAt(x, y1)))
                    y1++;
                buildings++;
                coveredCells += (x1 - x + 1) * (y1 - y + 1);
                faults += buildingFaults(x, y, x1, y1);
                bool facesStreet = false;
                bool allSides = sidesWithDoorways(x, y, x1, y1, facesStreet) == 4;
                streetless += !facesStreet;
                streetlessAllSides += !facesStreet && allSides;
                facing += facesStreet;
                facingAllSides += facesStreet && allSides;
            }
        EXPECT_EQ(faults, 0) << "seed " << seed;
        EXPECT_EQ(streetlessAllSides, streetless) << "seed " << seed;
        EXPECT_LT(facingAllSides * 4, facing) << "seed " << seed;
        EXPECT_EQ(coveredCells, buildingCells) << "seed " << seed;
        EXPECT_GT(buildings, 50) << "seed " << seed;
    }
}

// Streets are lined by walkways: nothing but street, centre line or walkway
// touches a street cell. A centre line has walkways two cells out on both sides
// across its street (along x for rotation 1, along y for rotation 0), and a
// street cell with walkways so placed is a centre line. The walkway round the
// city keeps everything else from touching the void. Walkways are one cell
// wide: no line is laid alongside another, so no 2 x 2 square is all walkway.
TEST(LevelGen, StreetsCentreLinesAndTheCityEdgeFollowTheirWalkways)
{
    for (unsigned seed = 1; seed <= kSeedCount; seed++) {
        newGame(seed, 1);
        int streetFaults = 0, centreFaults = 0, edgeFaults = 0, wideWalkways = 0, centreLines[2] = {};
        for (int x = 2; x < kMapSize - 2; x++)
            for (int y = 2; y < kMapSize - 2; y++) {
                int k = tileKind[x][y];
                wideWalkways += k == kTileWalkway && tileKind[x + 1][y] == kTileWalkway &&
                                tileKind[x][y + 1] == kTileWalkway && tileKind[x + 1][y + 1] == kTileWalkway;
                for (int dx = -1; dx <= 1; dx++)
                    for (int dy = -1; dy <= 1; dy++) {
                        int n = tileKind[x + dx][y + dy];
                        if (k == kTileStreet || k == kTileCentreLine)
                            streetFaults += n != kTileStreet && n != kTileCentreLine && n != kTileWalkway;
                        if (k == kTileVoid)
                            edgeFaults += n != kTileVoid && n != kTileWalkway;
                    }
                bool walkwaysX = tileKind[x - 2][y] == kTileWalkway && tileKind[x + 2][y] == kTileWalkway;
                bool walkwaysY = tileKind[x][y - 2] == kTileWalkway && tileKind[x][y + 2] == kTileWalkway;
                if (k == kTileStreet)
                    centreFaults += walkwaysX || walkwaysY;
                if (k != kTileCentreLine)
                    continue;
                int r = tileRotation[x][y];
                centreLines[r]++;
                centreFaults += r == 1 ? !walkwaysX : !walkwaysY;
            }
        EXPECT_EQ(streetFaults, 0) << "seed " << seed;
        EXPECT_EQ(centreFaults, 0) << "seed " << seed;
        EXPECT_EQ(edgeFaults, 0) << "seed " << seed;
        EXPECT_EQ(wideWalkways, 0) << "seed " << seed;
        EXPECT_GT(centreLines[0], 0) << "seed " << seed;
        EXPECT_GT(centreLines[1], 0) << "seed " << seed;
    }
}

TEST(LevelGen, InnerWallsRunFromOuterWallToOuterWallWithOneDoorway)
{
    for (unsigned seed = 1; seed <= kSeedCount; seed++) {
        newGame(seed, 1);
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
                    for (; isInnerWallKind(tileKind[i][j]); i += dir * dx, j += dir * dy, walkedCells++)
                        faults += tileKind[i][j] != kTileInnerWall || tileRotation[i][j] != r;
                    // The junction keeps the rotation of the outer wall it is part of.
                    int wallSide = (dir < 0 ? 0 : 2) + (r != 0);
                    faults += tileKind[i][j] != kTileJunction || tileRotation[i][j] != wallSide;
                }
            }
        EXPECT_EQ(walkedCells, innerCells) << "seed " << seed << ": inner wall without a doorway";
        EXPECT_EQ(faults, 0) << "seed " << seed;
        EXPECT_GT(doorways, 20) << "seed " << seed;
    }
}

// Wall rectangles (x0, y0, x1, y1) of kinds 10..15 at rotation 0, hundredths of a cell.
const int kPieceRects[6][2][4] = {
    {{1, 0, 13, 100}, {}},           {{1, 0, 13, 5}, {1, 95, 13, 100}},   {{1, 0, 13, 99}, {1, 87, 100, 99}},
    {{1, 0, 13, 100}, {1, 44, 100, 56}}, {{0, 44, 5, 56}, {95, 44, 100, 56}}, {{0, 44, 100, 56}, {}},
};
const int kPieceRectCounts[6] = {1, 2, 2, 2, 2, 1};

TEST(LevelGen, WallBoxesMatchTheirPiecesAtEveryRotation)
{
    for (unsigned seed = 1; seed <= kSeedCount; seed++) {
        newGame(seed, 1);
        int faults = 0, rotations[4] = {};
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++) {
                int k = tileKind[x][y], r = tileRotation[x][y];
                if (k < kTileWall || wallBoxCount[x][y] != kPieceRectCounts[k - kTileWall]) {
                    faults += k >= kTileWall || wallBoxCount[x][y] != 0;
                    continue;
                }
                rotations[r]++;
                for (int i = 0; i < wallBoxCount[x][y]; i++) {
                    const int* rect = kPieceRects[k - kTileWall][i];
                    int x0 = rect[0], y0 = rect[1], x1 = rect[2], y1 = rect[3];
                    for (int turn = 0, t; turn < r; turn++)   // a quarter turn towards +y about the centre
                        t = x0, x0 = 100 - y1, y1 = x1, x1 = 100 - y0, y0 = t;
                    const WallBox& w = wallBoxes[x][y][i];
                    faults += std::fabs(w.x - (x + x0 / 100.0f)) > 1e-5f || std::fabs(w.y - (y + y0 / 100.0f)) > 1e-5f ||
                              std::fabs(w.width - (x1 - x0) / 100.0f) > 1e-5f ||
                              std::fabs(w.height - (y1 - y0) / 100.0f) > 1e-5f;
                }
            }
        EXPECT_EQ(faults, 0) << "seed " << seed;
        for (int r = 0; r < 4; r++)
            EXPECT_GT(rotations[r], 0) << "seed " << seed << " rotation " << r;
    }
}

// Cars come first, so no other car may stand within two cells of one; props
// were placed where nothing solid lay within 0.9, checked with the obstacles lifted.
TEST(LevelGen, CarsParkBesideStraightCentreLinesAndPropsStandClear)
{
    static int32_t placed[kMapSize][kMapSize];
    for (unsigned seed = 1; seed <= kSeedCount; seed++) {
        newGame(seed, 1);
        std::copy(&obstacleCount[0][0], &obstacleCount[0][0] + kMapSize * kMapSize, &placed[0][0]);
        std::fill(&obstacleCount[0][0], &obstacleCount[0][0] + kMapSize * kMapSize, 0);
        int faults = 0, cars = 0, props = 0;
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++)
                for (int i = 0; i < placed[x][y]; i++) {
                    const Obstacle& o = obstacles[x][y][i];
                    if (o.kind != kObstacleCar) {
                        props++;
                        faults += o.kind > 3 || (int)floorf(o.x) != x || (int)floorf(o.y) != y ||
                                  isBlocked(o.x, o.y, 0.9f, true);
                        continue;
                    }
                    cars++;
                    bool alongX = tileRotation[x][y] == 0;
                    int dx = alongX, dy = !alongX, before = kindAt(x - dx, y - dy), after = kindAt(x + dx, y + dy);
                    faults += tileKind[x][y] != kTileCentreLine || i != 0;
                    faults += (before != kTileStreet && before != kTileCentreLine) ||
                              (after != kTileStreet && after != kTileCentreLine);
                    float side = alongX ? o.y - (y + 0.5f) : o.x - (x + 0.5f);
                    float along = alongX ? o.x - (x + 0.5f) : o.y - (y + 0.5f);
                    faults += std::fabs(std::fabs(side) - 0.8f) > 1e-5f || along != 0;
                    faults += (std::fabs(std::cos(o.angle)) > 0.5f) != alongX;   // length along the street
                    for (int cx = x - 2; cx <= x + 2; cx++)
                        for (int cy = y - 2; cy <= y + 2; cy++)
                            faults += (cx != x || cy != y) && placed[cx][cy] > 0 &&
                                      obstacles[cx][cy][0].kind == kObstacleCar;
                }
        EXPECT_EQ(faults, 0) << "seed " << seed;
        EXPECT_GT(cars, 20) << "seed " << seed;
        EXPECT_GT(props, 50) << "seed " << seed;
    }
}

// The players stand around the start cell: (128, 128) whenever that is free,
// else the first free cell drawn as x then y; player 0's think slot is the
// draw after the search. A new game also resets what the last one left.
TEST(LevelGen, PlayersStartAroundAFreeCellWithFreshValues)
{
    const float offsets[4][2] = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}};
    int freeCentres = 0;
    for (unsigned seed = 1; seed <= 12; seed++) {
        srand(seed);
        resetWorld();
        generateLevel();
        buildWallBoxes();
        placeObstacles();
        int sx = 128, sy = 128;
        freeCentres += !isBlocked(128.5f, 128.5f, 0.23f, true);
        while (isBlocked(sx + 0.5f, sy + 0.5f, 0.23f, true)) {
            sx = rand() % kMapSize;
            sy = rand() % kMapSize;
        }
        int thinkSlot = rand() % 10;
        energy[3] = 3, fireCooldown[3] = 5, killCount = 9, thinkTick = 4, cameraZoom = 3;
        newGame(seed, 4);
        ASSERT_EQ(actorCount, 4);
        EXPECT_EQ(actors[0].thinkSlot, thinkSlot) << "seed " << seed;
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(actors[i].x, sx + 0.5f + offsets[i][0]) << "seed " << seed << " player " << i;
            EXPECT_EQ(actors[i].y, sy + 0.5f + offsets[i][1]) << "seed " << seed << " player " << i;
        }
        EXPECT_EQ(energy[3], 100.0f);
        EXPECT_EQ(fireCooldown[3], 0.0f);
        EXPECT_EQ(killCount, 0);
        EXPECT_EQ(thinkTick, 0);
        EXPECT_EQ(cameraX, sx + 0.5f);
        EXPECT_EQ(cameraY, sy + 0.5f);
        EXPECT_EQ(cameraZoom, 1.0f);
    }
    EXPECT_GT(freeCentres, 0);
    EXPECT_LT(freeCentres, 12) << "some cities must search for a start";
    newGame(5, 5);
    EXPECT_EQ(actorCount, 4) << "counts out of range are brought to 1..4";
    newGame(5, 0);
    EXPECT_EQ(actorCount, 1);
    EXPECT_EQ(playerCount, 1);
}

}  // namespace
