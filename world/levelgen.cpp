// The random city of a new game. The map is planned on a coarse grid of 5 x 5
// cell blocks (open ground and streets), expanded to cells, cut into lots by
// walkways, and the lots are built up into walled buildings with doorways and
// inner walls. Every choice comes from drawRandom() in a fixed order, so one seed
// always gives the same city; all arithmetic that places things is in float.
#include "world/levelgen.h"

#include <cmath>
#include <cstdlib>

#include "world/collision.h"
#include "world/world.h"

// ---- Constants ----------------------------------------------------------------

const int kBlockGridSize = 51;          // blocks along each side of the plan
const int kBlockCells = 5;              // cells along each side of a block
const int kLastPlannedCell = 254;       // cells 0..254 lie in blocks; 255 stays void
const int kOpenBlocksWanted = 913;      // open-ground blocks before areas stop growing
const int kAreaCentreRange = 33;        // area centres are 9..41 blocks ...
const int kAreaCentreMin = 9;
const int kAreaHalfRange = 5;           // ... with half sizes of 2..6 blocks
const int kAreaHalfMin = 2;
const int kStreetIterations = 261;      // each tries one street along a and one along b
const int kStreetBlockRange = 47;       // street seeds are blocks 2..48
const int kStreetBlockMin = 2;
const int kLotLineIterations = 3276;    // each tries one lot line along y and one along x
const int kLotLineClearance = 3;        // a lot line keeps this many cells from parallel edges
const int kCentreLineReach = 2;         // walkways this far to both sides make a centre line
const int kOpenLotPercent = 10;         // a lot stays open ground when drawRandom() % 100 <= this
const int kDoorStreetReach = 3;         // a side faces a street this far from the floor
const int kExtraDoorChance = 10;        // 1 in 10 for each extra doorway of a street-side building
const int kInnerWallAttempts = 3276;
const int kCarAttempts = 6553;
const int kCarCellRange = 252;          // car cells are 2..253
const int kCarCellMin = 2;
const int kCarClearCells = 2;           // no other obstacle within this many cells of a car
const float kCarOffset = 0.8f;          // cars stand this far to the side of the centre line
const float kCarAngleRight = 0.0f;      // facing +x
const float kCarAngleLeft = 3.1415927f;   // facing -x
const float kCarAngleDown = 1.5707964f;   // facing +y
const float kCarAngleUp = 4.712389f;      // facing -y
const int kPropAttempts = 1638;
const int kPropTenthsRange = 2520;      // props stand at 2.0 .. 253.9 in steps of 0.1
const int kPropTenthsMin = 20;
const float kPropClearance = 0.9f;      // nothing solid this close to a new prop
const int kPropAngleHundredths = 36000; // prop angles 0..359.99 degrees
const int kPropKinds = 4;
const float kDegreesToRadians = 0.0174532925f;
const float kObstacleHealth = 100.0f;
const int kStartCell = 128;             // the first place tried for the players
const float kPlayerRadius = 0.23f;
const int kFirstWallPieceKind = kTileWall;
const int kWallPieceKinds = 6;          // kinds 10..15 carry wall pieces

// ---- Records ------------------------------------------------------------------

// One rectangle of a wall piece, hundredths of a cell, for an unturned piece.
struct WallRect {
    int x0, y0, x1, y1;
};

// The rectangles a wall-carrying tile kind stands for.
struct WallPiece {
    int rectCount;
    WallRect rects[2];
};

// Where each player stands relative to the start cell's corner.
// ---- Tables -------------------------------------------------------------------

// Wall pieces of kinds 10..15 at rotation 0; outer walls hug the -x edge,
// inner walls run along x through the middle.
static const WallPiece kWallPieceTable[kWallPieceKinds] = {
    {1, {{1, 0, 13, 100}}},                      // wall
    {2, {{1, 0, 13, 5}, {1, 95, 13, 100}}},      // outer doorway
    {2, {{1, 0, 13, 99}, {1, 87, 100, 99}}},     // corner
    {2, {{1, 0, 13, 100}, {1, 44, 100, 56}}},    // junction
    {2, {{0, 44, 5, 56}, {95, 44, 100, 56}}},    // inner doorway
    {1, {{0, 44, 100, 56}}},                     // inner wall
};

// ---- Globals ------------------------------------------------------------------

static int32_t blockGrid[kBlockGridSize][kBlockGridSize] = {};  // plan: void, open ground or street per block

// ---- Map access ---------------------------------------------------------------

// Block value, void outside the plan.
static int blockAt(int a, int b)
{
    if (a < 0 || a >= kBlockGridSize || b < 0 || b >= kBlockGridSize)
        return kTileVoid;
    return blockGrid[a][b];
}

// Tile kind, void outside the map.
static int tileAt(int x, int y)
{
    if (x < 0 || x >= kMapSize || y < 0 || y >= kMapSize)
        return kTileVoid;
    return tileKind[x][y];
}

// True when any of the eight cells around (x, y) has the given kind.
static bool neighbourIs(int x, int y, int kind)
{
    for (int dx = -1; dx <= 1; dx++)
        for (int dy = -1; dy <= 1; dy++)
            if ((dx != 0 || dy != 0) && tileAt(x + dx, y + dy) == kind)
                return true;
    return false;
}

// ---- Generator phases -----------------------------------------------------------

// An empty map and an empty plan.
static void clearMap()
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++) {
            tileKind[x][y] = kTileVoid;
            tileRotation[x][y] = 0;
        }
    for (int a = 0; a < kBlockGridSize; a++)
        for (int b = 0; b < kBlockGridSize; b++)
            blockGrid[a][b] = kTileVoid;
}

// True when any block strictly inside the rectangle around (ca, cb) is not void.
static bool innerPartTouchesCity(int ca, int cb, int ha, int hb)
{
    for (int a = ca - ha + 1; a <= ca + ha - 1; a++)
        for (int b = cb - hb + 1; b <= cb + hb - 1; b++)
            if (blockAt(a, b) != kTileVoid)
                return true;
    return false;
}

// Random rectangles of open ground, each overlapping the city so far,
// until enough blocks are open.
static void growBlockAreas()
{
    int opened = 0;
    while (opened < kOpenBlocksWanted) {
        int ca = drawRandom() % kAreaCentreRange + kAreaCentreMin;
        int cb = drawRandom() % kAreaCentreRange + kAreaCentreMin;
        int ha = drawRandom() % kAreaHalfRange + kAreaHalfMin;
        int hb = drawRandom() % kAreaHalfRange + kAreaHalfMin;
        if (opened > 0 && !innerPartTouchesCity(ca, cb, ha, hb))
            continue;
        for (int a = ca - ha; a <= ca + ha; a++)
            for (int b = cb - hb; b <= cb + hb; b++) {
                if (blockGrid[a][b] != kTileOpenGround)
                    opened++;
                blockGrid[a][b] = kTileOpenGround;
            }
    }
}

// Open ground in the plan, seen along or across: (along, across) is (a, b) when
// alongA is set, else (b, a).
static bool openBlock(bool alongA, int along, int across)
{
    return (alongA ? blockAt(along, across) : blockAt(across, along)) == kTileOpenGround;
}

// One street attempt through the seed block: the run of open ground along one
// axis becomes street if open ground lies on both sides of all of it.
static void tryStreet(bool alongA, int along, int across)
{
    if (!openBlock(alongA, along, across) || !openBlock(alongA, along, across - 1) ||
        !openBlock(alongA, along, across + 1))
        return;
    int first = along;
    while (openBlock(alongA, first - 1, across))
        first--;
    int last = along;
    while (openBlock(alongA, last + 1, across))
        last++;
    for (int i = first; i <= last; i++)
        if (!openBlock(alongA, i, across - 1) || !openBlock(alongA, i, across + 1))
            return;
    for (int i = first; i <= last; i++) {
        if (alongA)
            blockGrid[i][across] = kTileStreet;
        else
            blockGrid[across][i] = kTileStreet;
    }
}

// Streets that cross an area from edge to edge, never side by side.
static void layStreets()
{
    for (int i = 0; i < kStreetIterations; i++) {
        int a = drawRandom() % kStreetBlockRange + kStreetBlockMin;
        int b = drawRandom() % kStreetBlockRange + kStreetBlockMin;
        tryStreet(true, a, b);
        a = drawRandom() % kStreetBlockRange + kStreetBlockMin;
        b = drawRandom() % kStreetBlockRange + kStreetBlockMin;
        tryStreet(false, b, a);
    }
}

// Every planned cell takes its block's value.
static void expandBlocks()
{
    for (int x = 0; x <= kLastPlannedCell; x++)
        for (int y = 0; y <= kLastPlannedCell; y++)
            tileKind[x][y] = blockGrid[x / kBlockCells][y / kBlockCells];
}

// The outer cells of each street, next to ground or void, become walkway.
static void edgeStreets()
{
    for (int x = 1; x <= kLastPlannedCell; x++)
        for (int y = 1; y <= kLastPlannedCell; y++)
            if (tileKind[x][y] == kTileStreet &&
                (neighbourIs(x, y, kTileOpenGround) || neighbourIs(x, y, kTileVoid)))
                tileKind[x][y] = kTileWalkway;
}

// A walkway from (sx, sy) in direction (dx, dy) over open ground, stopping before
// it would run alongside another walkway. The start cell itself is not touched.
static void layWalkwayLine(int sx, int sy, int dx, int dy)
{
    if (tileAt(sx + dx, sy + dy) != kTileOpenGround)
        return;
    int px = dy;
    int py = dx;
    int x = sx;
    int y = sy;
    do {
        int nx = x + dx;
        int ny = y + dy;
        if (tileAt(nx - px, ny - py) == kTileWalkway || tileAt(nx + px, ny + py) == kTileWalkway)
            return;
        tileKind[nx][ny] = kTileWalkway;
        x = nx;
        y = ny;
    } while (tileAt(x + dx, y + dy) == kTileOpenGround);
}

// At each inner corner of the city (a void block with city on two
// adjacent sides), walkways continue the void's edges into the ground beyond.
static void layCornerWalkways()
{
    for (int a = 0; a < kBlockGridSize; a++)
        for (int b = 0; b < kBlockGridSize; b++) {
            if (blockGrid[a][b] != kTileVoid)
                continue;
            int x = a * kBlockCells;
            int y = b * kBlockCells;
            int e = kBlockCells - 1;
            bool west = blockAt(a - 1, b) != kTileVoid;
            bool east = blockAt(a + 1, b) != kTileVoid;
            bool north = blockAt(a, b - 1) != kTileVoid;
            bool south = blockAt(a, b + 1) != kTileVoid;
            if (west && north) {
                layWalkwayLine(x, y, -1, 0);
                layWalkwayLine(x, y, 0, -1);
            }
            if (east && south) {
                layWalkwayLine(x + e, y + e, 1, 0);
                layWalkwayLine(x + e, y + e, 0, 1);
            }
            if (east && north) {
                layWalkwayLine(x + e, y, 1, 0);
                layWalkwayLine(x + e, y, 0, -1);
            }
            if (west && south) {
                layWalkwayLine(x, y + e, -1, 0);
                layWalkwayLine(x, y + e, 0, 1);
            }
        }
}

// True when the cells from (x, y) - r * (dx, dy) to (x, y) + r * (dx, dy) are all open ground.
static bool openAcross(int x, int y, int dx, int dy, int r)
{
    for (int i = -r; i <= r; i++)
        if (tileAt(x + i * dx, y + i * dy) != kTileOpenGround)
            return false;
    return true;
}

// A walkway through (x, y) in direction (dx, dy), both ways over open ground.
static void layLotLine(int x, int y, int dx, int dy)
{
    tileKind[x][y] = kTileWalkway;
    for (int i = 1; tileAt(x - i * dx, y - i * dy) == kTileOpenGround; i++)
        tileKind[x - i * dx][y - i * dy] = kTileWalkway;
    for (int i = 1; tileAt(x + i * dx, y + i * dy) == kTileOpenGround; i++)
        tileKind[x + i * dx][y + i * dy] = kTileWalkway;
}

// Random walkways that split open ground into lots, each at least
// kLotLineClearance cells from a parallel edge.
static void layLotLines()
{
    for (int i = 0; i < kLotLineIterations; i++) {
        int x = drawRandom() % kMapSize;
        int y = drawRandom() % kMapSize;
        if (openAcross(x, y, 1, 0, kLotLineClearance))
            layLotLine(x, y, 0, 1);
        x = drawRandom() % kMapSize;
        y = drawRandom() % kMapSize;
        if (openAcross(x, y, 0, 1, kLotLineClearance))
            layLotLine(x, y, 1, 0);
    }
}

// The middle of a street (walkways two cells away on both sides) gets
// a centre line; rotation 1 when the street runs along y.
static void markCentreLines()
{
    const int r = kCentreLineReach;
    for (int x = r; x < kMapSize - r; x++)
        for (int y = r; y < kMapSize - r; y++) {
            if (tileKind[x][y] != kTileStreet)
                continue;
            if (tileKind[x - r][y] == kTileWalkway && tileKind[x + r][y] == kTileWalkway) {
                tileKind[x][y] = kTileCentreLine;
                tileRotation[x][y] = 1;
            }
            if (tileKind[x][y - r] == kTileWalkway && tileKind[x][y + r] == kTileWalkway)
                tileKind[x][y] = kTileCentreLine;
        }
}

// True when a neighbour of (x, y) is part of the city proper (not void, not walkway).
static bool besideCityProper(int x, int y)
{
    for (int dx = -1; dx <= 1; dx++)
        for (int dy = -1; dy <= 1; dy++) {
            int k = tileAt(x + dx, y + dy);
            if ((dx != 0 || dy != 0) && k != kTileVoid && k != kTileWalkway)
                return true;
        }
    return false;
}

// A walkway all round the city.
static void edgeCity()
{
    for (int x = 1; x <= kLastPlannedCell; x++)
        for (int y = 1; y <= kLastPlannedCell; y++)
            if (tileKind[x][y] == kTileVoid && besideCityProper(x, y))
                tileKind[x][y] = kTileWalkway;
}

// Turns every cell of one kind into another.
static void replaceKind(int from, int to)
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            if (tileKind[x][y] == from)
                tileKind[x][y] = to;
}

// Open ground is marked as lots still to be decided.
static void markLots()
{
    replaceKind(kTileOpenGround, kTileMark);
}

// Fills the lot whose first cell is (x0, y0) row by row: each row x runs from y0
// towards +y over marked cells, and the next row follows while (x + 1, y0) is marked.
static void fillLot(int x0, int y0, int kind)
{
    int x = x0;
    do {
        int y = y0;
        do {
            tileKind[x][y] = kind;
            y++;
        } while (tileAt(x, y) == kTileMark);
        x++;
    } while (tileAt(x, y0) == kTileMark);
}

// Each lot becomes a building (nine in ten) or stays open ground.
static void buildLots()
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            if (tileKind[x][y] == kTileMark)
                fillLot(x, y, drawRandom() % 100 > kOpenLotPercent ? kTileFloor : kTileOpenGround);
}

// The outer wall a floor cell becomes from the walkways beside it (later
// tests win, corners over sides); floor if no walkway touches it.
static void wallFromWalkways(int x, int y)
{
    bool west = tileAt(x - 1, y) == kTileWalkway;
    bool north = tileAt(x, y - 1) == kTileWalkway;
    bool east = tileAt(x + 1, y) == kTileWalkway;
    bool south = tileAt(x, y + 1) == kTileWalkway;
    int kind = kTileFloor;
    int rotation = 0;
    if (west) { kind = kTileWall; rotation = 0; }
    if (north) { kind = kTileWall; rotation = 1; }
    if (east) { kind = kTileWall; rotation = 2; }
    if (south) { kind = kTileWall; rotation = 3; }
    if (west && south) { kind = kTileCorner; rotation = 0; }
    if (west && north) { kind = kTileCorner; rotation = 1; }
    if (east && north) { kind = kTileCorner; rotation = 2; }
    if (east && south) { kind = kTileCorner; rotation = 3; }
    if (kind == kTileFloor)
        return;
    tileKind[x][y] = kind;
    tileRotation[x][y] = rotation;
}

// The floor cells along a building's edge become its walls and corners.
static void raiseOuterWalls()
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            if (tileKind[x][y] == kTileFloor)
                wallFromWalkways(x, y);
}

// The floor inside the walls is marked as interiors still to be done.
static void markInteriors()
{
    replaceKind(kTileFloor, kTileMark);
}

// Number of marked cells in a row from (x, y) in direction (dx, dy).
static int markedRun(int x, int y, int dx, int dy)
{
    int n = 0;
    while (tileAt(x + n * dx, y + n * dy) == kTileMark)
        n++;
    return n;
}

// Makes the wall cell (x, y) an outer doorway when the street lies at (sx, sy);
// returns whether it did.
static int streetDoor(int sx, int sy, int x, int y)
{
    if (tileAt(sx, sy) != kTileStreet)
        return 0;
    tileKind[x][y] = kTileOuterDoorway;
    return 1;
}

// Makes the wall cell (x, y) an outer doorway, always or on a 1 in 10 draw.
static void extraDoor(int x, int y, bool always)
{
    if (always || drawRandom() % kExtraDoorChance == 0)
        tileKind[x][y] = kTileOuterDoorway;
}

// One building's interior from its first floor cell (x0, y0): floor again, a
// doorway on each side facing a street, and random extra doorways.
static void finishBuilding(int x0, int y0)
{
    int nx = markedRun(x0, y0, 1, 0);
    int ny = markedRun(x0, y0, 0, 1);
    for (int x = x0; x < x0 + nx; x++)
        for (int y = y0; y < y0 + ny; y++)
            tileKind[x][y] = kTileFloor;
    int dx = drawRandom() % nx + x0;
    int dy = drawRandom() % ny + y0;
    int r = kDoorStreetReach;
    int n = streetDoor(x0 - r, dy, x0 - 1, dy);
    n += streetDoor(x0 + nx - 1 + r, dy, x0 + nx, dy);
    n += streetDoor(dx, y0 - r, dx, y0 - 1);
    n += streetDoor(dx, y0 + ny - 1 + r, dx, y0 + ny);
    int ex = drawRandom() % nx + x0;
    int ey = drawRandom() % ny + y0;
    extraDoor(x0 - 1, ey, n == 0);
    extraDoor(x0 + nx, ey, n == 0);
    extraDoor(ex, y0 - 1, n == 0);
    extraDoor(ex, y0 + ny, n == 0);
}

// Every building's interior and outer doorways.
static void finishBuildings()
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++)
            if (tileKind[x][y] == kTileMark)
                finishBuilding(x, y);
}

// One inner wall attempt through floor cell (x, y) along (dx, dy): it is built only
// when the floor run ends in plain outer walls at both ends. Walls along y are
// turned a quarter; the outer walls keep their rotation at the junctions.
static void tryInnerWall(int x, int y, int dx, int dy)
{
    int back = 1;
    while (tileAt(x - back * dx, y - back * dy) == kTileFloor)
        back++;
    int ahead = 1;
    while (tileAt(x + ahead * dx, y + ahead * dy) == kTileFloor)
        ahead++;
    if (tileAt(x - back * dx, y - back * dy) != kTileWall ||
        tileAt(x + ahead * dx, y + ahead * dy) != kTileWall)
        return;
    for (int i = 1 - back; i < ahead; i++) {
        tileKind[x + i * dx][y + i * dy] = i == 0 ? kTileInnerDoorway : kTileInnerWall;
        if (dy != 0)
            tileRotation[x + i * dx][y + i * dy] = 1;
    }
    tileKind[x - back * dx][y - back * dy] = kTileJunction;
    tileKind[x + ahead * dx][y + ahead * dy] = kTileJunction;
}

// Inner walls across buildings from outer wall to outer wall, each
// with one doorway where it was started.
static void raiseInnerWalls()
{
    for (int i = 0; i < kInnerWallAttempts; i++) {
        int x = drawRandom() % kMapSize;
        int y = drawRandom() % kMapSize;
        if (tileKind[x][y] != kTileFloor)
            continue;
        if (drawRandom() % 2 == 0)
            tryInnerWall(x, y, 1, 0);
        else
            tryInnerWall(x, y, 0, 1);
    }
}

// Lays out the whole tile map from drawRandom(), phase by phase.
void generateLevel()
{
    clearMap();
    growBlockAreas();
    layStreets();
    expandBlocks();
    edgeStreets();
    layCornerWalkways();
    layLotLines();
    markCentreLines();
    edgeCity();
    markLots();
    buildLots();
    raiseOuterWalls();
    markInteriors();
    finishBuildings();
    raiseInnerWalls();
}

// ---- Wall boxes ---------------------------------------------------------------

// Appends a wall box to a cell; slivers (0.025 or thinner) and boxes beyond the
// cell's seven are dropped. Cut walls come back through here too.
void addWallBox(int cx, int cy, float x, float y, float width, float height)
{
    if (cx < 0 || cx >= kMapSize || cy < 0 || cy >= kMapSize)
        return;
    if (!(width > kThinnestWallBox && height > kThinnestWallBox))
        return;
    if (wallBoxCount[cx][cy] >= kMaxWallBoxesPerCell)
        return;
    WallBox& w = wallBoxes[cx][cy][wallBoxCount[cx][cy]];
    w.x = x;
    w.y = y;
    w.width = width;
    w.height = height;
    wallBoxCount[cx][cy]++;
}

// One rectangle of a wall piece (hundredths of a cell) turned about the cell
// centre by the cell's quarter turns, stored as its bounding box.
void addWallPiece(int cx, int cy, int rotation, int x0, int y0, int x1, int y1)
{
    float rx0 = x0 / 100.0f - 0.5f;
    float ry0 = y0 / 100.0f - 0.5f;
    float rx1 = x1 / 100.0f - 0.5f;
    float ry1 = y1 / 100.0f - 0.5f;
    float t = -(rotation * 90 * kDegreesToRadians);
    float c = cosf(t);
    float s = sinf(t);
    float ax = rx0 * c + ry0 * s;
    float ay = ry0 * c - rx0 * s;
    float bx = rx1 * c + ry1 * s;
    float by = ry1 * c - rx1 * s;
    float minX = fminf(ax, bx);
    float minY = fminf(ay, by);
    float maxX = fmaxf(ax, bx);
    float maxY = fmaxf(ay, by);
    addWallBox(cx, cy, cx + 0.5f + minX, cy + 0.5f + minY, maxX - minX, maxY - minY);
}

// Wall boxes for every wall-carrying cell, from its piece and rotation.
void buildWallBoxes()
{
    for (int x = 0; x < kMapSize; x++)
        for (int y = 0; y < kMapSize; y++) {
            int kind = tileKind[x][y];
            if (kind < kFirstWallPieceKind || kind >= kFirstWallPieceKind + kWallPieceKinds)
                continue;
            const WallPiece& p = kWallPieceTable[kind - kFirstWallPieceKind];
            for (int i = 0; i < p.rectCount; i++) {
                const WallRect& r = p.rects[i];
                addWallPiece(x, y, tileRotation[x][y], r.x0, r.y0, r.x1, r.y1);
            }
        }
}

// ---- Obstacles ----------------------------------------------------------------

// Appends a prop or car to the cell that holds it; a cell holds at most two.
void addObstacle(int cx, int cy, int kind, float x, float y, float a, float b, float angle)
{
    if (cx < 0 || cx >= kMapSize || cy < 0 || cy >= kMapSize)
        return;
    if (obstacleCount[cx][cy] >= kMaxObstaclesPerCell)
        return;
    Obstacle& o = obstacles[cx][cy][obstacleCount[cx][cy]];
    o.kind = kind;
    o.x = x;
    o.y = y;
    o.a = a;
    o.b = b;
    o.angle = angle;
    o.health = kObstacleHealth;
    obstacleCount[cx][cy]++;
}

// True when any cell within kCarClearCells of (x, y) already holds an obstacle.
static bool obstacleNear(int x, int y)
{
    for (int i = x - kCarClearCells; i <= x + kCarClearCells; i++)
        for (int j = y - kCarClearCells; j <= y + kCarClearCells; j++)
            if (obstacleCount[i][j] > 0)
                return true;
    return false;
}

static bool streetOrCentreLine(int x, int y)
{
    int k = tileAt(x, y);
    return k == kTileStreet || k == kTileCentreLine;
}

// One car attempt at centre-line cell (x, y): parked beside the line on a
// straight stretch, on a coin flip facing one way or the other.
static void tryCar(int x, int y)
{
    if (obstacleNear(x, y) || tileKind[x][y] != kTileCentreLine)
        return;
    float mx = x + 0.5f;
    float my = y + 0.5f;
    if (tileRotation[x][y] == 0) {
        if (!streetOrCentreLine(x - 1, y) || !streetOrCentreLine(x + 1, y))
            return;
        if (drawRandom() % 2 == 0)
            addObstacle(x, y, kObstacleCar, mx, my - kCarOffset, 0, 0, kCarAngleRight);
        else
            addObstacle(x, y, kObstacleCar, mx, my + kCarOffset, 0, 0, kCarAngleLeft);
    } else {
        if (!streetOrCentreLine(x, y - 1) || !streetOrCentreLine(x, y + 1))
            return;
        if (drawRandom() % 2 == 0)
            addObstacle(x, y, kObstacleCar, mx + kCarOffset, my, 0, 0, kCarAngleDown);
        else
            addObstacle(x, y, kObstacleCar, mx - kCarOffset, my, 0, 0, kCarAngleUp);
    }
}

// One prop attempt at a random point with nothing solid within kPropClearance.
static void tryProp()
{
    float px = (drawRandom() % kPropTenthsRange + kPropTenthsMin) * 0.1f;
    float py = (drawRandom() % kPropTenthsRange + kPropTenthsMin) * 0.1f;
    if (isBlocked(px, py, kPropClearance, true))
        return;
    float angle = (drawRandom() % kPropAngleHundredths) * 0.01f * kDegreesToRadians;
    int kind = drawRandom() % kPropKinds;
    addObstacle((int)floorf(px), (int)floorf(py), kind, px, py, 0, 0, angle);
}

// Parked cars on the streets first, then loose props wherever there is room.
void placeObstacles()
{
    for (int i = 0; i < kCarAttempts; i++) {
        int x = drawRandom() % kCarCellRange + kCarCellMin;
        int y = drawRandom() % kCarCellRange + kCarCellMin;
        tryCar(x, y);
    }
    for (int i = 0; i < kPropAttempts; i++)
        tryProp();
}

// ---- New game -----------------------------------------------------------------

// A fresh city: the world emptied, the plan, its wall boxes, cars and props,
// and the cell the players start from: (128, 128) if free, else the first
// free cell drawn at random.
void generateCity(int32_t& startX, int32_t& startY)
{
    resetWorld();
    generateLevel();
    buildWallBoxes();
    placeObstacles();
    int sx = kStartCell;
    int sy = kStartCell;
    while (isBlocked(sx + 0.5f, sy + 0.5f, kPlayerRadius, true)) {
        sx = drawRandom() % kMapSize;
        sy = drawRandom() % kMapSize;
    }
    startX = sx;
    startY = sy;
}
