// Geometric queries on the solids of the map: solid tiles, wall boxes and the
// turned boxes of props and cars. Everything is single precision and stateless.
#include "world/collision.h"

#include <cmath>

#include "world/world.h"

// ---- Constants ----------------------------------------------------------------

const float kPropHalfSize = 0.4f;       // props are 0.8 x 0.8 squares
const float kCarHalfLength = 0.9f;      // cars are 1.8 long along their angle ...
const float kCarHalfWidth = 0.4f;       // ... and 0.8 wide across it
const int kLastSolidObstacleKind = 4;   // kinds 0..4 block; any other kind does not
const float kFarOutside = 8.0f;         // cell coordinates beyond the map are clamped this far out

// ---- Records ------------------------------------------------------------------

// The cells examined around a point, already clipped to the map.
struct CellRange {
    int x0, x1;  // first and last column, inclusive
    int y0, y1;  // first and last row, inclusive
};

// ---- Helpers ------------------------------------------------------------------

// Cell index of a coordinate. Far-off or non-finite values are clamped before the
// conversion so that a stray position can never overflow the integer.
static int cellOf(float v)
{
    if (!(v >= -kFarOutside))
        return (int)-kFarOutside;
    if (v > kMapSize + kFarOutside)
        return kMapSize + (int)kFarOutside;
    return (int)floorf(v);
}

static int clampInt(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

static float clampFloat(float v, float lo, float hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// The cells from one beyond the radius on each side of the point's cell, clipped
// to the map; an empty range (x0 > x1) when the point lies well outside.
static CellRange cellsAround(float x, float y, float r)
{
    int ix = cellOf(x);
    int iy = cellOf(y);
    int ir = clampInt(cellOf(r), 0, (int)kFarOutside);
    CellRange c;
    c.x0 = clampInt(ix - ir - 1, 0, kMapSize);
    c.x1 = clampInt(ix + ir + 1, -1, kMapSize - 1);
    c.y0 = clampInt(iy - ir - 1, 0, kMapSize);
    c.y1 = clampInt(iy + ir + 1, -1, kMapSize - 1);
    return c;
}

// True when the circle's bounding square overlaps the box's inside (strictly).
static bool boundsOverlap(float x, float y, float r, float bx, float bw, float by, float bh)
{
    return bx < x + r && x - r < bx + bw && by < y + r && y - r < by + bh;
}

// True when the point lies in the box, edges included.
static bool insideClosedBox(float x, float y, float bx, float bw, float by, float bh)
{
    return bx <= x && x <= bx + bw && by <= y && y <= by + bh;
}

// The box of an obstacle in its own frame; false for kinds that do not block.
static bool obstacleFrameBox(const Obstacle& o, float& bx, float& bw, float& by, float& bh)
{
    if (o.kind < 0 || o.kind > kLastSolidObstacleKind)
        return false;
    float halfLength = o.kind == kObstacleCar ? kCarHalfLength : kPropHalfSize;
    float halfWidth = o.kind == kObstacleCar ? kCarHalfWidth : kPropHalfSize;
    bx = -halfLength;
    bw = halfLength + halfLength;
    by = -halfWidth;
    bh = halfWidth + halfWidth;
    return true;
}

// Takes a world point into the obstacle's frame, where its box is axis-aligned.
static void toObstacleFrame(const Obstacle& o, float px, float py, float& lx, float& ly)
{
    float c = cosf(o.angle);
    float s = sinf(o.angle);
    lx = (px - o.x) * c + (py - o.y) * s;
    ly = (py - o.y) * c - (px - o.x) * s;
}

// Takes a point in the obstacle's frame back to the world.
static void fromObstacleFrame(const Obstacle& o, float lx, float ly, float& px, float& py)
{
    float c = cosf(o.angle);
    float s = sinf(o.angle);
    px = o.x + lx * c - ly * s;
    py = o.y + lx * s + ly * c;
}

// ---- Queries ------------------------------------------------------------------

// Straight-line distance between two points.
float distance(float x1, float y1, float x2, float y2)
{
    float dx = x1 - x2;
    float dy = y1 - y2;
    return sqrtf(dx * dx + dy * dy);
}

// Does the circle touch the box? A point (radius 0) counts the edges; a real
// circle must reach strictly inside, so merely touching at distance r is free.
bool circleHitsBox(float x, float y, float r, float bx, float bw, float by, float bh)
{
    if (r == 0.0f)
        return insideClosedBox(x, y, bx, bw, by, bh);
    if (!boundsOverlap(x, y, r, bx, bw, by, bh))
        return false;
    if (insideClosedBox(x, y, bx, bw, by, bh))
        return true;
    float nx = clampFloat(x, bx, bx + bw);
    float ny = clampFloat(y, by, by + bh);
    return distance(x, y, nx, ny) < r;
}

// Tiles (if they count) and wall boxes of one cell against the circle.
static bool cellTilesOrWallsHit(int cx, int cy, float x, float y, float r, bool tilesCount)
{
    if (tilesCount && tileKind[cx][cy] < kSolidTileKinds &&
        circleHitsBox(x, y, r, (float)cx, 1.0f, (float)cy, 1.0f))
        return true;
    for (int i = 0; i < wallBoxCount[cx][cy]; i++) {
        const WallBox& w = wallBoxes[cx][cy][i];
        if (circleHitsBox(x, y, r, w.x, w.width, w.y, w.height))
            return true;
    }
    return false;
}

// The turned props and cars held by one cell against the circle.
static bool cellObstaclesHit(int cx, int cy, float x, float y, float r)
{
    for (int i = 0; i < obstacleCount[cx][cy]; i++) {
        const Obstacle& o = obstacles[cx][cy][i];
        float bx, bw, by, bh, lx, ly;
        if (!obstacleFrameBox(o, bx, bw, by, bh))
            continue;
        toObstacleFrame(o, x, y, lx, ly);
        if (circleHitsBox(lx, ly, r, bx, bw, by, bh))
            return true;
    }
    return false;
}

// Does a circle (or a point, r = 0) touch anything solid near it? Wall boxes and
// obstacles always block; solid tiles only when tilesCount is set.
bool isBlocked(float x, float y, float r, bool tilesCount)
{
    CellRange c = cellsAround(x, y, r);
    for (int cx = c.x0; cx <= c.x1; cx++)
        for (int cy = c.y0; cy <= c.y1; cy++)
            if (cellTilesOrWallsHit(cx, cy, x, y, r, tilesCount))
                return true;
    for (int cx = c.x0; cx <= c.x1; cx++)
        for (int cy = c.y0; cy <= c.y1; cy++)
            if (cellObstaclesHit(cx, cy, x, y, r))
                return true;
    return false;
}

// Flat push: a circle overlapping a box side (centre level with that side) is
// moved straight out to exactly r from it. Corners and inside centres stay put.
void pushFromSide(float& x, float& y, float r, float bx, float bw, float by, float bh)
{
    if (!boundsOverlap(x, y, r, bx, bw, by, bh) || insideClosedBox(x, y, bx, bw, by, bh))
        return;
    if (by < y && y < by + bh)
        x = x >= bx + bw * 0.5f ? bx + bw + r : bx - r;
    else if (bx < x && x < bx + bw)
        y = y >= by + bh * 0.5f ? by + bh + r : by - r;
}

// Corner push: moves the centre away from the box's nearest point along the
// line between them until it is exactly r away.
void pushFromNearestPoint(float& x, float& y, float r, float bx, float bw, float by, float bh)
{
    if (!boundsOverlap(x, y, r, bx, bw, by, bh) || insideClosedBox(x, y, bx, bw, by, bh))
        return;
    float nx = clampFloat(x, bx, bx + bw);
    float ny = clampFloat(y, by, by + bh);
    float d = distance(x, y, nx, ny);
    if (d < r) {
        x = nx + (x - nx) / d * r;
        y = ny + (y - ny) / d * r;
    }
}

// Side or corner push against the solid tile and the wall boxes of one cell.
static void pushFromCell(int cx, int cy, float& x, float& y, float r, bool corners)
{
    if (tileKind[cx][cy] < kSolidTileKinds) {
        if (corners)
            pushFromNearestPoint(x, y, r, (float)cx, 1.0f, (float)cy, 1.0f);
        else
            pushFromSide(x, y, r, (float)cx, 1.0f, (float)cy, 1.0f);
    }
    for (int i = 0; i < wallBoxCount[cx][cy]; i++) {
        const WallBox& w = wallBoxes[cx][cy][i];
        if (corners)
            pushFromNearestPoint(x, y, r, w.x, w.width, w.y, w.height);
        else
            pushFromSide(x, y, r, w.x, w.width, w.y, w.height);
    }
}

// Corner push against each turned obstacle of one cell, worked in its frame.
static void pushFromCellObstacles(int cx, int cy, float& x, float& y, float r)
{
    for (int i = 0; i < obstacleCount[cx][cy]; i++) {
        const Obstacle& o = obstacles[cx][cy][i];
        float bx, bw, by, bh, lx, ly;
        if (!obstacleFrameBox(o, bx, bw, by, bh))
            continue;
        toObstacleFrame(o, x, y, lx, ly);
        pushFromNearestPoint(lx, ly, r, bx, bw, by, bh);
        fromObstacleFrame(o, lx, ly, x, y);
    }
}

// Moves an actor's circle out of the solids around it: flat sides first, then
// corners, then props and cars. The cells are chosen once, from the entry position.
void pushOutOfSolids(float& x, float& y, float r)
{
    CellRange c = cellsAround(x, y, r);
    for (int cx = c.x0; cx <= c.x1; cx++)
        for (int cy = c.y0; cy <= c.y1; cy++)
            pushFromCell(cx, cy, x, y, r, false);
    for (int cx = c.x0; cx <= c.x1; cx++)
        for (int cy = c.y0; cy <= c.y1; cy++)
            pushFromCell(cx, cy, x, y, r, true);
    for (int cx = c.x0; cx <= c.x1; cx++)
        for (int cy = c.y0; cy <= c.y1; cy++)
            pushFromCellObstacles(cx, cy, x, y, r);
}
