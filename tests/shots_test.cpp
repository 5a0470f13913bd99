// Gun traces, projectiles, explosions and wall cutting at the boundaries of
// their rules, each on a small hand-made open patch with hand-placed walls.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/shots.h"
#include "sim/zombies.h"
#include "tests/testworld.h"

namespace {

// A bomb thrown by player 0 with the given fuse (0: struck, it blows up in the next projectile stage).
void addProjectile(float x, float y, float vx, float fuse, float vy = 0) { projectiles[projectileCount++] = Projectile{0, x, y, vx, vy, 0, fuse}; }

// Expects box k of the cell to be the given rectangle, to a ten-thousandth.
void expectBox(int cx, int cy, int k, float x, float y, float width, float height)
{
    const WallBox& b = wallBoxes[cx][cy][k];
    EXPECT_NEAR(b.x, x, 1e-4f) << "box " << k;
    EXPECT_NEAR(b.y, y, 1e-4f) << "box " << k;
    EXPECT_NEAR(b.width, width, 1e-4f) << "box " << k;
    EXPECT_NEAR(b.height, height, 1e-4f) << "box " << k;
}

// Every actor at the hit sample is hit, shoved by 0.075 along the shot and
// locked on player 0 (no more re-planning); a player hit takes a quarter of
// the 20, and so does everyone else hit at that sample.
TEST(Shots, EveryActorAtTheHitSampleIsHitAndTheTraceEndsThere)
{
    for (int playerInLine = 0; playerInLine < 2; playerInLine++) {
        SCOPED_TRACE(playerInLine ? "a player in the line" : "zombies only");
        openWorldWith({{kActorPlayer, 128, 128}, {playerInLine ? kActorPlayer : kActorZombie, 130, 128.05f},
                       {kActorZombie, 130, 127.95f}, {kActorZombie, 131, 128}});
        playerCount = 2;
        fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
        ASSERT_EQ(tracerCount, 1);
        float hurt = playerInLine ? 95.0f : 80.0f;
        EXPECT_EQ(actors[1].health, hurt);
        EXPECT_EQ(actors[2].health, hurt);
        EXPECT_EQ(actors[2].vx, 0.075f);
        EXPECT_EQ(actors[2].vy, 0.0f);
        EXPECT_EQ(actors[2].thinkSlot, -1) << "locked on its target";
        EXPECT_EQ(actors[2].hasTarget, 1);
        EXPECT_EQ(actors[2].target, 0);
        EXPECT_EQ(actors[0].health, 100.0f);
        EXPECT_EQ(actors[3].health, 100.0f) << "behind the hit sample";
        EXPECT_NEAR(tracers[0].endX, 130.0f, 0.25f);
    }
}

// A zombie that has moved (bleed timer below 0) bleeds where it stands, the
// mark turned within 10 degrees of the shot; a fresh one does not.
TEST(Shots, AHitZombieBleedsOnlyOnceItHasMoved)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 129.6f, 129.2f}});
    const float angle = 0.6435011f;
    fireTracer(angle, 128, 128, 0.1f, 8, 20, 0);
    EXPECT_EQ(actors[1].health, 80.0f);
    EXPECT_EQ(decalCount, 0);
    actors[1].bleedTimer = -0.5f;
    fireTracer(angle, 128, 128, 0.1f, 8, 20, 0);
    ASSERT_EQ(decalCount, 1);
    EXPECT_EQ(decals[0].kind, kDecalBlood);
    EXPECT_EQ(decals[0].x, 129.6f);
    EXPECT_GE(decals[0].angle, angle - 10 * 0.0174532925f);
    EXPECT_LT(decals[0].angle, angle + 10 * 0.0174532925f);
    EXPECT_EQ(actors[1].bleedTimer, 10.0f);
}

// The last of the 100 samples lies 7.921 out, short of the end point at 8: a
// zombie 8.2 out is 0.279 from it and is missed, and the trace keeps its end.
TEST(Shots, ATraceEndsAtItsEndPointWithoutSamplingIt)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 136.2f, 128}});
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    EXPECT_EQ(actors[1].health, 100.0f);
    EXPECT_EQ(tracers[0].endX, 136.0f);
    EXPECT_EQ(tracers[0].endY, 128.0f);
}

// Shots and bombs pass over solid tiles; only wall boxes and obstacles stop
// them. A shot starting inside a wall hits only what is at its first sample.
TEST(Shots, OnlyWallsStopShotsAndBombs)
{
    openWorldWith({{kActorPlayer, 128, 128.5f}, {kActorZombie, 131.5f, 128.5f}});
    tileKind[130][128] = 0;
    fireTracer(0, 128, 128.5f, 0.1f, 8, 20, 0);
    EXPECT_EQ(actors[1].health, 80.0f);
    addProjectile(129.9f, 128.5f, 0.2f, 100);
    runProjectileStage(1);
    EXPECT_EQ(projectiles[0].fuse, 100.0f);

    openWorldWith({{kActorPlayer, 127.8f, 128.5f}, {kActorZombie, 128.2f, 128.5f}, {kActorZombie, 129.5f, 128.5f}});
    putWallBox(128, 128, 128.0f, 128.0f, 0.5f, 1.0f);
    fireTracer(0, 127.8f, 128.5f, 0.3f, 8, 20, 0);
    EXPECT_EQ(actors[1].health, 80.0f);
    EXPECT_EQ(actors[2].health, 100.0f);
    actors[1].x = 127;
    fireTracer(0, 127.8f, 128.5f, 0.3f, 8, 20, 0);
    EXPECT_EQ(actors[2].health, 100.0f);
    EXPECT_EQ(tracers[1].endX, tracers[1].startX) << "the wall ends the trace at its first sample";
}

// A zombie and a bomb within reach of one sample are both hit. A bomb reached
// first stops the shot short of the zombie behind it and blows up where it
// was in the next projectile stage.
TEST(Shots, ProjectilesOnTheLineOfFireAreStruckAndStopTheShot)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 130, 128}});
    addProjectile(129.95f, 128.1f, 0, 100);
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    EXPECT_EQ(actors[1].health, 80.0f);
    EXPECT_EQ(projectiles[0].fuse, 0.0f);

    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 131, 128.2f}});
    addProjectile(130, 128.2f, 0, 100);
    fireTracer(0, 128, 128, 0.1f, 8, 20, 0);
    EXPECT_EQ(projectiles[0].fuse, 0.0f);
    EXPECT_EQ(actors[1].health, 100.0f);
    runProjectileStage(1);
    EXPECT_EQ(projectileCount, 0);
    ASSERT_EQ(explosionCount, 1);
    EXPECT_EQ(explosions[0].x, 130.0f);
}

// A bomb flies by its velocity times f past its thrower; any other actor
// within 0.46 stops it, as does the first wall box, whose crater the blast of
// the next step takes. Struck beyond the camera's range it falls away unheard.
TEST(Shots, BombsFlyPastTheirThrowerAndBlowUpAtTheFirstThingTheyMeet)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 131.4f, 128}});
    addProjectile(128.1f, 128, 0.1f, 100, 0.2f);
    addProjectile(130.9f, 128, 0.2f, 100);
    runProjectileStage(0.5f);
    EXPECT_NEAR(projectiles[0].x, 128.15f, 3e-5f);
    EXPECT_NEAR(projectiles[0].y, 128.1f, 3e-5f);
    EXPECT_EQ(projectiles[0].fuse, 100.0f);
    EXPECT_EQ(projectiles[1].fuse, 0.0f);

    openWorldWith({{kActorPlayer, 128, 128}});
    putWallBox(130, 128, 130.0f, 128.0f, 0.2f, 0.6f);
    addProjectile(128.2f, 128.3f, 0.11f, 100);
    for (int steps = 0; projectiles[0].fuse > 0 && steps < 100; steps++)
        runProjectileStage(1);
    EXPECT_LT(projectiles[0].x, 130.0f);
    EXPECT_EQ(explosionCount, 0);
    runProjectileStage(1);
    EXPECT_EQ(explosionCount, 1);
    EXPECT_EQ(wallBoxCount[130][128], 0) << "the crater took the wall";
    addProjectile(150, 128, 0, 0);
    runProjectileStage(1);
    EXPECT_EQ(projectileCount, 0);
    EXPECT_EQ(explosionCount, 1);
}

// A fresh explosion reaches 1.5: at its centre a zombie takes 1.5 * 25 and the
// player a tenth of it with a hurt pause; at 1.5 nothing. Half way out at f =
// 0.5 a zombie takes half of 0.5 * 25 and is shoved away along both axes. It
// loses 15 a step unit and is spent after seven steps; the one behind a spent
// one still acts in the same step.
TEST(Shots, ExplosionsHurtByClosenessAndScaleWithTheSpeedFactor)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128, 128}, {kActorZombie, 129.5f, 128},
                   {kActorCivilian, 129.1f, 129.1f}, {kActorZombie, 128.6f, 127.2f}});
    explosions[explosionCount++] = Explosion{128, 128, 0, 100};
    runExplosionStage(1);
    EXPECT_FLOAT_EQ(actors[0].health, 96.25f);
    EXPECT_FLOAT_EQ(actors[1].health, 62.5f);
    EXPECT_EQ(healthRegenDelay[0], 60.0f);
    EXPECT_EQ(actors[1].thinkSlot, -1);
    EXPECT_EQ(actors[2].health, 100.0f) << "1.5 from the centre";
    EXPECT_EQ(actors[3].health, 100.0f) << "1.556 from the centre";
    EXPECT_GT(actors[4].vx, 0.0f) << "shoved away from the centre";
    EXPECT_LT(actors[4].vy, 0.0f) << "shoved away from the centre";
    EXPECT_NEAR(actors[4].vx / actors[4].vy, -0.75f, 1e-4f);
    for (int step = 2; step <= 7; step++) {
        EXPECT_EQ(explosionCount, 1) << "before step " << step;
        runExplosionStage(1);
    }
    EXPECT_EQ(explosionCount, 0);

    openWorldWith({{kActorPlayer, 120, 120}, {kActorZombie, 130.3f, 128.4f}});
    explosions[explosionCount++] = Explosion{120, 128, 0, 7.5f};
    explosions[explosionCount++] = Explosion{130, 128, 0, 100};
    runExplosionStage(0.5f);
    ASSERT_EQ(explosionCount, 1);
    EXPECT_EQ(explosions[0].strength, 92.5f);
    EXPECT_NEAR(actors[1].health, 87.5f, 1e-4f);
}

// A long wall cut by a crater keeps its pieces on both sides and loses
// slivers too thin to keep (0.02 wide); boxes wholly inside go.
TEST(Shots, ACraterSplitsALongWallAndDropsSliversTooThinToKeep)
{
    openWorld();
    for (int cx = 127; cx <= 130; cx++)
        putWallBox(cx, 128, cx, 128.4f, 1.0f, 0.2f);
    carveWalls(128.4f, 127.9f, 1.2f, 1.2f);
    for (int cx = 127; cx <= 130; cx++)
        EXPECT_EQ(wallBoxCount[cx][128], 1) << "cell " << cx;
    expectBox(128, 128, 0, 128.0f, 128.4f, 0.4f, 0.2f);
    expectBox(129, 128, 0, 129.6f, 128.4f, 0.4f, 0.2f);

    openWorld();
    putWallBox(128, 128, 128.0f, 128.28f, 0.6f, 0.62f);
    putWallBox(128, 129, 128.2f, 129.2f, 0.3f, 0.3f);
    carveWalls(128.1f, 128.3f, 1.2f, 1.2f);
    ASSERT_EQ(wallBoxCount[128][128], 1);
    expectBox(128, 128, 0, 128.0f, 128.28f, 0.1f, 0.62f);
    EXPECT_EQ(wallBoxCount[128][129], 0);
}

// A crater inside one box cuts it on all four sides: full-height pieces left
// and right, then top and bottom pieces only as wide as the crater. In a full
// cell the pieces that do not fit are lost.
TEST(Shots, ACraterInsideABoxLeavesFourPiecesAroundItAsRoomAllows)
{
    openWorld();
    putWallBox(128, 128, 128.0f, 128.0f, 1.0f, 1.0f);
    carveWalls(128.3f, 128.3f, 0.4f, 0.4f);
    ASSERT_EQ(wallBoxCount[128][128], 4);
    expectBox(128, 128, 0, 128.0f, 128.0f, 0.3f, 1.0f);
    expectBox(128, 128, 1, 128.7f, 128.0f, 0.3f, 1.0f);
    expectBox(128, 128, 2, 128.3f, 128.0f, 0.4f, 0.3f);
    expectBox(128, 128, 3, 128.3f, 128.7f, 0.4f, 0.3f);

    openWorld();
    for (int k = 0; k < 6; k++)
        putWallBox(128, 128, 128.0f, k == 0 ? 128.0f : 128.1f + k * 0.15f, 1.0f, 0.1f);
    carveWalls(128.3f, 127.5f, 0.4f, 0.55f);
    ASSERT_EQ(wallBoxCount[128][128], 6);
    expectBox(128, 128, 5, 128.0f, 128.0f, 0.3f, 0.1f);
    for (int k = 0; k < 6; k++)
        EXPECT_LT(wallBoxes[128][128][k].x, 128.7f) << k;
}

}  // namespace
