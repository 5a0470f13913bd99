// The player stage and the game step around it: walking and sprinting, aim,
// the gun and the throw, energy and health, the camera, the menu key and the
// end of a game, and a step at the busiest that must not touch the heap.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <SDL/SDL_keysym.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "sim/player.h"
#include "sim/step.h"
#include "tests/busyworld.h"
#include "tests/testworld.h"

// ---- Heap calls counted while `countingHeap` is set -------------------------
// operator new is replaced, and so are malloc and its kin, forwarding to the C
// library's allocator. The address sanitizer owns malloc, so under it only
// operator new is counted.

// The replaced operator delete hands back to free what the replaced operator
// new took from malloc, a pairing the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

static bool countingHeap = false;
static int heapCalls = 0;
static void* volatile heapSink = nullptr;  // keeps the counter's own check from being optimised away

static void noteHeapCall()
{
    if (countingHeap)
        heapCalls++;
}

void* operator new(size_t size)
{
    noteHeapCall();
    void* p = malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t n, size_t size);
void* __libc_realloc(void* p, size_t size);

void* malloc(size_t size)
{
    noteHeapCall();
    return __libc_malloc(size);
}

void* calloc(size_t n, size_t size)
{
    noteHeapCall();
    return __libc_calloc(n, size);
}

void* realloc(void* p, size_t size)
{
    noteHeapCall();
    return __libc_realloc(p, size);
}
}
#endif

namespace {

// One player at rest in the middle of the open patch, full of health and
// energy, every control released and the cursor in the middle of a 4:3 window;
// each test runs in a scratch directory, where a game over may write its score.
struct Player : ::testing::Test {
    void SetUp() override
    {
        ASSERT_NE(getcwd(home, sizeof home), nullptr);
        ASSERT_NE(mkdtemp(scratch), nullptr);
        ASSERT_EQ(chdir(scratch), 0);
        openWorldWith({{kActorPlayer, 128, 128}});
        memset(keyState, 0, sizeof keyState);
        memset(mouseButtonState, 0, sizeof mouseButtonState);
        screenWidth = 800;
        screenHeight = 600;
        aspectRatio = screenWidth / screenHeight;
        mouseX = 400;
        mouseY = 300;
        energy[0] = 100;
        energyRegenDelay[0] = fireCooldown[0] = 0;
        cameraZoom = 7.5f;
        killCount = bestKillCount = 0;
        gameState = kStatePlaying;
    }

    void TearDown() override
    {
        remove("stats.dat");
        ASSERT_EQ(chdir(home), 0);
        rmdir(scratch);
    }

    char home[4096] = {};
    char scratch[32] = "/tmp/vg-player-XXXXXX";
};

// The velocity the player stage alone gives with the keys held.
float speedGivenBy(std::initializer_list<int> keys)
{
    memset(keyState, 0, sizeof keyState);
    for (int k : keys)
        keyState[k] = kInputHeld;
    actors[0].vx = actors[0].vy = 0;
    runPlayerStage(0, 1);
    return hypotf(actors[0].vx, actors[0].vy);
}

// True when a file of that name exists in the working directory.
bool fileExists(const char* name)
{
    FILE* f = fopen(name, "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

TEST_F(Player, NoDirectionGivesNoAccelerationAndSprintingOnTheSpotIsFree)
{
    const int noDirection[3][3] = {{SDLK_LSHIFT, 0, 0}, {SDLK_a, SDLK_RIGHT, SDLK_LSHIFT},
                                   {SDLK_w, SDLK_s, SDLK_LSHIFT}};
    for (const int* keys : noDirection) {
        energy[0] = 50;
        energyRegenDelay[0] = 0;
        EXPECT_EQ(speedGivenBy({keys[0], keys[1], keys[2]}), 0.0f) << keys[0] << " " << keys[1];
        EXPECT_EQ(energy[0], 50 + kEnergyRegeneration) << "no cost and no pause";
    }
}

TEST_F(Player, DiagonalsAreAsFastAsStraightLinesAndSprintIsHalfAgainFaster)
{
    float straight = speedGivenBy({SDLK_d});
    EXPECT_FLOAT_EQ(straight, kWalkAcceleration);
    EXPECT_FLOAT_EQ(speedGivenBy({SDLK_w, SDLK_a}), straight);
    EXPECT_TRUE(actors[0].vx < 0 && actors[0].vy < 0) << "up and left lead towards -x and -y";
    EXPECT_FLOAT_EQ(speedGivenBy({SDLK_DOWN, SDLK_RIGHT}), straight);
    EXPECT_TRUE(actors[0].vx > 0 && actors[0].vy > 0);
    EXPECT_FLOAT_EQ(speedGivenBy({SDLK_s, SDLK_d, SDLK_LSHIFT}), straight * kSprintMagnitude);
    EXPECT_EQ(energyRegenDelay[0], kEnergyPause - 1);
}

TEST_F(Player, SprintingPastEmptyEnergyIsPaidWithHealth)
{
    energy[0] = 0.3f;
    keyState[SDLK_d] = keyState[SDLK_LSHIFT] = kInputHeld;
    runPlayerStage(0, 1);
    EXPECT_EQ(energy[0], 0.0f);
    EXPECT_NEAR(actors[0].health, 99.9f, 1e-4f);
    EXPECT_EQ(healthRegenDelay[0], kPlayerHurtPause - 1) << "set to 60, then one step ran off";
}

TEST_F(Player, BothButtonsFireTheGunAndNeverThrow)
{
    mouseButtonState[kGunButton] = mouseButtonState[kThrowButton] = kInputHeld;
    int shots = 0;
    for (int step = 0; step < 50; step++) {
        stepGame(1);
        shots += tracerCount;
        actors[0].health = 100;
    }
    EXPECT_EQ(shots, 10) << "one shot every fifth step";
    EXPECT_EQ(projectileCount, 0);
}

TEST_F(Player, AThrowLeavesAheadAtItsOwnSpeedAndSetsTheTimersEvenWhenTheListIsFull)
{
    mouseButtonState[kThrowButton] = kInputPressed;
    mouseX = 800;  // aim straight right
    actors[0].vx = 0.05f;
    runPlayerStage(0, 1);
    ASSERT_EQ(projectileCount, 1);
    EXPECT_NEAR(projectiles[0].x, 128 + kThrowDistance, 1e-5f);
    EXPECT_NEAR(projectiles[0].vx, kProjectileSpeed, 1e-6f);
    EXPECT_EQ(projectiles[0].fuse, kProjectileFuse);
    EXPECT_EQ(fireCooldown[0], kThrowCooldown);
    projectileCount = kMaxProjectiles;
    fireCooldown[0] = energyRegenDelay[0] = 0;
    runPlayerStage(0, 1);
    EXPECT_EQ(projectileCount, kMaxProjectiles);
    EXPECT_EQ(fireCooldown[0], kThrowCooldown);
    EXPECT_EQ(energyRegenDelay[0], kEnergyPause - 1);
}

// The reach is drawn first, then the spread; the shot passes the whole reach
// over open ground.
TEST_F(Player, TheGunDrawsItsReachThenItsSpread)
{
    mouseButtonState[kGunButton] = kInputPressed;
    mouseX = 800;
    srand(99);
    int reach = rand() % kGunRangeDraws;
    int spread = rand() % kGunSpreadDraws;
    srand(99);
    runPlayerStage(0, 1);
    ASSERT_EQ(tracerCount, 1);
    const Tracer& t = tracers[0];
    EXPECT_FLOAT_EQ(t.angle, actors[0].angle + spread * kGunSpreadUnit - kGunSpreadHalf);
    EXPECT_NEAR(hypotf(t.endX - 128, t.endY - 128), kGunRange + reach * kGunRangeUnit, 1e-4f);
    EXPECT_NEAR(hypotf(t.startX - 128, t.startY - 128), kGunStartDistance, 1e-5f);
}

TEST_F(Player, ACursorOutsideTheWindowAimsAtTheEdgeOfTheView)
{
    mouseX = -300;
    mouseY = 5000;
    runPlayerStage(0, 1);
    EXPECT_EQ(aimScreenX[0], -1.0f);
    EXPECT_EQ(aimScreenY[0], 1.0f);
    EXPECT_FLOAT_EQ(aimWorldX[0], 128 - 7.5f * 4 / 3 * 0.5f);
    EXPECT_FLOAT_EQ(aimWorldY[0], 128 + 7.5f * 0.5f);
}

TEST_F(Player, TimersAndTheCameraMoveTwiceAsFastAtDoubleSpeed)
{
    actors[0].x = 132;
    actors[0].health = 50;
    fireCooldown[0] = 10;
    energyRegenDelay[0] = 10;
    healthRegenDelay[0] = 10;
    runPlayerStage(0, 2);
    EXPECT_EQ(fireCooldown[0], 8.0f);
    EXPECT_EQ(energyRegenDelay[0], 8.0f);
    EXPECT_EQ(healthRegenDelay[0], 8.0f);
    // The aim is the camera itself, so the target lies 0.75 of the way to the player.
    EXPECT_NEAR(cameraX, 128 + 0.2f * 0.75f * 4, 1e-5f);
    EXPECT_NEAR(cameraZoom, 7.5f + 0.2f * (50 * 0.055f + 2 - 7.5f), 1e-5f);
}

TEST_F(Player, HealthComesBackInProportionToEnergyAndBothStopAtTheTop)
{
    actors[0].health = 50;
    energy[0] = 40;
    energyRegenDelay[0] = 5;
    runPlayerStage(0, 1);
    EXPECT_NEAR(actors[0].health, 50 + 40 * 0.0015f, 1e-5f);
    EXPECT_EQ(energy[0], 40.0f) << "its own pause still runs";
    actors[0].health = 99.99f;
    energy[0] = 99.99f;
    for (int step = 0; step < 5; step++)
        runPlayerStage(0, 1);
    EXPECT_EQ(energy[0], kMaxEnergy);
    EXPECT_EQ(actors[0].health, kMaxHealth);
}

TEST_F(Player, TheMenuKeyOpensTheMenuAfterAWholeStep)
{
    keyState[SDLK_SPACE] = kInputPressed;
    keyState[SDLK_d] = kInputHeld;
    stepGame(1);
    EXPECT_EQ(gameState, kStateGameMenu);
    EXPECT_GT(actors[0].x, 128) << "the player still moved";
    keyState[SDLK_SPACE] = kInputHeld;
    gameState = kStatePlaying;
    stepGame(1);
    EXPECT_EQ(gameState, kStatePlaying) << "a held key opens nothing";
}

TEST_F(Player, ADeathEndsTheGameOverTheMenuKeyAndKeepsOnlyABeatenBest)
{
    keyState[SDLK_RETURN] = kInputPressed;
    killCount = bestKillCount = 7;
    actors[0].health = -1;
    stepGame(1);
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_FALSE(fileExists("stats.dat")) << "an equal score is not a new best";
    EXPECT_EQ(bestKillCount, 7);

    gameState = kStatePlaying;
    killCount = 9;
    actors[0].health = 0;
    stepGame(1);
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_EQ(bestKillCount, 9);
    unsigned char bytes[8] = {};
    FILE* f = fopen("stats.dat", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fread(bytes, 1, sizeof bytes, f), 4u);
    fclose(f);
    EXPECT_EQ(bytes[0], 9);
}

// A game whose player count runs past the per-player arrays or the actors
// there are (a damaged saved game) steps only the players that exist.
TEST_F(Player, APlayerCountPastThePlayersThereAreStepsOnlyThoseThatExist)
{
    playerCount = 9;
    energy[1] = 50;
    stepGame(1);
    EXPECT_EQ(energy[1], 50.0f);
    EXPECT_EQ(gameState, kStatePlaying);
}

// Sprinting, firing and throwing among 500 actors, 50 explosions, full decal
// and projectile lists: no step asks the heap for anything.
TEST(Step, NoHeapCallsAtTheBusiest)
{
    buildBusyWorld();
    for (int step = 0; step < 120; step++) {
        mouseButtonState[kGunButton] = step < 60 ? kInputHeld : kInputUp;
        actors[0].health = 100;
        countingHeap = true;
        stepGame(1);
        countingHeap = false;
    }
    EXPECT_EQ(heapCalls, 0);
    EXPECT_GT(killCount, 0) << "the step was busy";
    countingHeap = true;
    heapSink = new char[64];
    delete[] (char*)heapSink;
    countingHeap = false;
    EXPECT_GT(heapCalls, 0) << "the counter itself sees the heap";
}

}  // namespace
