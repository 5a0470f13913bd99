// Collision queries against a hand-built world: walkable floor everywhere, with
// the solid tiles, wall boxes and obstacles each test places.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sim/collision.h"
#include "tests/testworld.h"

namespace {

struct Collision : ::testing::Test {
    // Walkable floor (kind 7) everywhere, no wall boxes, no obstacles.
    void SetUp() override
    {
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++) {
                tileKind[x][y] = 7;
                wallBoxCount[x][y] = 0;
                obstacleCount[x][y] = 0;
            }
    }
    void TearDown() override { SetUp(); }
    void putObstacle(int cx, int cy, int kind, float x, float y, float angle)
    {
        obstacles[cx][cy][obstacleCount[cx][cy]++] = Obstacle{kind, x, y, 0, 0, angle, 100};
    }
};

// Expects an actor's circle at (x, y) to end at (endX, endY) once pushed out of the solids.
void expectPushedTo(float x, float y, float endX, float endY)
{
    float px = x, py = y;
    pushOutOfSolids(px, py, 0.23f);
    EXPECT_NEAR(px, endX, 1e-5f) << "from " << x << ", " << y;
    EXPECT_NEAR(py, endY, 1e-5f) << "from " << x << ", " << y;
}

TEST_F(Collision, EdgesBlockAPointButACircleMustReachPastThem)
{
    putWallBox(40, 40, 40.25f, 40.0f, 0.5f, 1.0f);
    EXPECT_TRUE(isBlocked(40.25f, 40.5f, 0, false));   // on the left edge
    EXPECT_TRUE(isBlocked(40.75f, 41.0f, 0, false));   // on the far corner
    EXPECT_FALSE(isBlocked(40.2f, 40.5f, 0, false));
    EXPECT_FALSE(circleHitsBox(9.75f, 10.5f, 0.25f, 10.0f, 1.0f, 10.0f, 1.0f));
    EXPECT_TRUE(circleHitsBox(9.76f, 10.5f, 0.25f, 10.0f, 1.0f, 10.0f, 1.0f));
    // At a corner: the centre is exactly 1.25 from (0, 0).
    EXPECT_FALSE(circleHitsBox(-0.75f, -1.0f, 1.25f, 0.0f, 1.0f, 0.0f, 1.0f));
    EXPECT_TRUE(circleHitsBox(-0.75f, -1.0f, 1.26f, 0.0f, 1.0f, 0.0f, 1.0f));
    // Bounding squares overlap, but the corner is out of reach.
    EXPECT_FALSE(circleHitsBox(-0.2f, -0.2f, 0.25f, 0.0f, 1.0f, 0.0f, 1.0f));
    // An actor's radius just left of a wall along its mid-line.
    EXPECT_FALSE(circleHitsBox(10.01f - 0.23f, 10.5f, 0.23f, 10.01f, 0.12f, 10.0f, 1.0f));
    EXPECT_TRUE(circleHitsBox(10.011f - 0.23f, 10.5f, 0.23f, 10.01f, 0.12f, 10.0f, 1.0f));
}

// Where a circle of 0.23 ends after being pushed out of one or two solid
// tiles: just touching the side it overlapped, also from the next cell on the
// +x or +y side. Against the seam of two tiles the flat push of the lower one
// comes first and leaves it clear of the upper one's corner, so it keeps its y
// (corners first would shove it along the wall). A centre inside is never pushed.
TEST_F(Collision, OverlapsArePushedOutUntilTheCircleJustTouches)
{
    struct Case { int tileX, tileY, secondTileY; float x, y, endX, endY; };
    const Case cases[] = {
        {10, 10, 10, 9.9f, 10.5f, 10 - 0.23f, 10.5f},   {10, 10, 10, 10.5f, 11.1f, 10.5f, 11 + 0.23f},
        {11, 10, 10, 10.9f, 10.5f, 11 - 0.23f, 10.5f},  {20, 21, 21, 20.5f, 20.9f, 20.5f, 21 - 0.23f},
        {10, 10, 11, 9.9f, 11.05f, 10 - 0.23f, 11.05f}, {10, 10, 10, 10.1f, 10.5f, 10.1f, 10.5f},
        {10, 10, 10, 10.0f, 10.5f, 10.0f, 10.5f},       {10, 10, 10, 11.0f, 11.0f, 11.0f, 11.0f},
    };
    for (const Case& c : cases) {
        SetUp();
        tileKind[c.tileX][c.tileY] = tileKind[c.tileX][c.secondTileY] = 0;
        EXPECT_TRUE(isBlocked(c.x, c.y, 0.23f, true)) << "from " << c.x << ", " << c.y;
        expectPushedTo(c.x, c.y, c.endX, c.endY);
    }
    putWallBox(30, 30, 30.01f, 30.0f, 0.12f, 1.0f);
    expectPushedTo(30.2f, 30.5f, 30.01f + 0.12f + 0.23f, 30.5f);
}

// Beyond a corner there is no flat push: the circle leaves the corner along the
// diagonal until it just touches; one inside the tile's bounding square but out
// of the corner's reach (0.24 from it) stays.
TEST_F(Collision, CornerContactIsPushedAlongTheDiagonal)
{
    tileKind[20][20] = 0;
    expectPushedTo(21.1f, 19.9f, 21.0f + 0.23f * sqrtf(0.5f), 20.0f - 0.23f * sqrtf(0.5f));
    expectPushedTo(21.17f, 21.17f, 21.17f, 21.17f);
}

TEST_F(Collision, OnlyCellsInsideTheMapAreExamined)
{
    putWallBox(0, 5, 0.0f, 5.0f, 0.2f, 1.0f);
    EXPECT_TRUE(isBlocked(-0.1f, 5.5f, 0.15f, false));   // cell 0 seen from cell -1
    tileKind[255][10] = 0;
    expectPushedTo(256.1f, 10.5f, 256.0f + 0.23f, 10.5f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float far[][2] = {{-1.5f, -1.5f}, {-1000, 5}, {5, 1e30f}, {1e30f, -1e30f}, {nan, 5}};
    for (const auto& p : far) {
        EXPECT_FALSE(isBlocked(p[0], p[1], 0.9f, true));
        float x = p[0], y = p[1];
        pushOutOfSolids(x, y, 0.23f);
    }
}

// A car's long side lies along its angle; the cell holding an obstacle is the
// one that sees it, even where it reaches into the next cell.
TEST_F(Collision, ObstaclesBlockAsTurnedBoxesFromTheirHolderCell)
{
    putObstacle(20, 20, kObstacleCar, 20.5f, 20.5f, 1.5707964f);
    EXPECT_TRUE(isBlocked(20.5f, 21.3f, 0, false));
    EXPECT_TRUE(isBlocked(20.5f, 19.7f, 0, false));
    EXPECT_FALSE(isBlocked(21.3f, 20.5f, 0, false));
    expectPushedTo(21.0f, 20.5f, 20.9f + 0.23f, 20.5f);   // overlapping its long side
    putObstacle(30, 30, kObstacleCar, 30.5f, 29.7f, 0);
    EXPECT_TRUE(isBlocked(31.3f, 29.5f, 0.1f, false));
    expectPushedTo(30.5f, 30.2f, 30.5f, 30.1f + 0.23f);
    // A prop turned by 45 degrees reaches 0.57 along the axes, not its old corner.
    putObstacle(50, 50, 2, 50.5f, 50.5f, 0.78539819f);
    EXPECT_TRUE(isBlocked(51.05f, 50.5f, 0, false));
    EXPECT_FALSE(isBlocked(50.89f, 50.89f, 0, false));
    putObstacle(60, 60, 5, 60.5f, 60.5f, 0);
    EXPECT_FALSE(isBlocked(60.5f, 60.5f, 0.23f, true)) << "kinds past the car are not solid";
}

TEST_F(Collision, SolidTilesCountOnlyWhenAsked)
{
    tileKind[70][70] = 0;
    EXPECT_TRUE(isBlocked(70.5f, 70.5f, 0, true));
    EXPECT_FALSE(isBlocked(70.5f, 70.5f, 0.115f, false));
    tileKind[70][70] = 3;
    EXPECT_TRUE(isBlocked(69.9f, 70.5f, 0.23f, true));
    tileKind[70][70] = 4;
    EXPECT_FALSE(isBlocked(69.9f, 70.5f, 0.23f, true));
}

}  // namespace
