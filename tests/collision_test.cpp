// Collision queries at their exact edges, which recorded games seldom reach,
// against a hand-built world: walkable floor everywhere, with the solid
// tiles, wall boxes and obstacles each test places.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "world/collision.h"
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
