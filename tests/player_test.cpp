// The player stage and the game step around it: walking and sprinting, aim,
// the gun and the throw, energy and health, the camera, the menu key and the
// end of a game, and a step at the busiest that must not touch the heap.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <SDL/SDL_keysym.h>

#include <cmath>
#include <cstring>
#include <new>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "app/settings.h"
#include "sim/player.h"
#include "sim/step.h"
#include "world/savefile.h"
#include "tests/busyworld.h"
#include "tests/scratchdir.h"
#include "tests/testworld.h"

// Heap calls are counted while `countingHeap` is set: operator new (and delete,
// to stay its pair) and malloc and its kin are replaced, forwarding to the C
// library. The address sanitizer owns malloc, so under it only new is counted.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

static bool countingHeap = false;
static int heapCalls = 0;
static void* volatile heapSink = nullptr;  // keeps the counter's own check from being optimised away

void* operator new(size_t size)
{
    heapCalls += countingHeap;
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
void* malloc(size_t size) { heapCalls += countingHeap; return __libc_malloc(size); }
void* calloc(size_t n, size_t size) { heapCalls += countingHeap; return __libc_calloc(n, size); }
void* realloc(void* p, size_t size) { heapCalls += countingHeap; return __libc_realloc(p, size); }
}
#endif

namespace {

// The player stage with the step's input read from the live key and mouse
// tables, as the main loop reads it.
void stageWithLiveInput(float f)
{
    readStepInput(f);
    runPlayerStage(0, f);
}

// One player at rest in the middle of the open patch, full of health and
// energy, every control released and the cursor in the middle of a 4:3 window;
// each test runs in a scratch directory, where a game over may write its score.
struct Player : ::testing::Test {
    void SetUp() override
    {
        enterScratchDir(scratch, "player");
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
    void TearDown() override { leaveScratchDir(scratch); }
    ScratchDir scratch;
};

// Walking gains 0.011 per step in any of the eight directions, sprinting half
// again with its cost of 0.5 energy and a pause of 30; opposite keys cancel,
// and a sprint without a direction is free (energy regenerates 0.15 instead).
TEST_F(Player, EveryDirectionWalksAtOneRateAndOnlyARealMoveSprints)
{
    struct Case { int keys[3]; float vx, vy, energyAfter, pauseAfter; };
    const float d = 0.011f / sqrtf(2), sd = 1.5f * d;
    const Case cases[] = {
        {{SDLK_LSHIFT}, 0, 0, 50.15f, -1},       {{SDLK_a, SDLK_RIGHT, SDLK_LSHIFT}, 0, 0, 50.15f, -1},
        {{SDLK_w, SDLK_s, SDLK_LSHIFT}, 0, 0, 50.15f, -1},  {{SDLK_d}, 0.011f, 0, 50.15f, -1},
        {{SDLK_w, SDLK_a}, -d, -d, 50.15f, -1},  {{SDLK_DOWN, SDLK_RIGHT}, d, d, 50.15f, -1},
        {{SDLK_s, SDLK_d, SDLK_LSHIFT}, sd, sd, 49.5f, 29},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "keys " << c.keys[0] << " " << c.keys[1] << " " << c.keys[2]);
        memset(keyState, 0, sizeof keyState);
        energy[0] = 50;
        energyRegenDelay[0] = actors[0].vx = actors[0].vy = 0;
        for (int k : c.keys)
            keyState[k] = kInputHeld;
        stageWithLiveInput(1);
        EXPECT_NEAR(actors[0].vx, c.vx, 1e-9f);
        EXPECT_NEAR(actors[0].vy, c.vy, 1e-9f);
        EXPECT_FLOAT_EQ(energy[0], c.energyAfter);
        EXPECT_EQ(energyRegenDelay[0], c.pauseAfter);
    }
}

// 0.3 energy pays for 0.3 of the 0.5 a sprint costs per step unit; the 0.2
// overdrawn costs 0.1 health and sets the health pause to 60, of which one step
// then runs off.
TEST_F(Player, SprintingPastEmptyEnergyIsPaidWithHealth)
{
    energy[0] = 0.3f;
    keyState[SDLK_d] = keyState[SDLK_LSHIFT] = kInputHeld;
    stageWithLiveInput(1);
    EXPECT_EQ(energy[0], 0.0f);
    EXPECT_NEAR(actors[0].health, 99.9f, 1e-4f);
    EXPECT_EQ(healthRegenDelay[0], 59.0f);
    energy[0] = 0.3f;
    stageWithLiveInput(0.5f);
    EXPECT_FLOAT_EQ(energy[0], 0.05f) << "at f = 0.5 the sprint costs 0.25";
}

// The gun's cooldown of 4 lets it fire every fifth step.
TEST_F(Player, BothButtonsFireTheGunAndNeverThrow)
{
    mouseButtonState[kGunButton] = mouseButtonState[kThrowButton] = kInputHeld;
    int shots = 0;
    for (int step = 0; step < 50; step++) {
        playStep(1);
        shots += tracerCount;
        actors[0].health = 100;
    }
    EXPECT_EQ(shots, 10);
    EXPECT_EQ(projectileCount, 0);
}

// Aimed straight right, the explosive starts 0.25 ahead at 0.11 per step with a
// fuse of 100, whatever the player's own speed; a full list takes none, but the
// cooldown of 20 and the energy pause of 30 are set all the same.
TEST_F(Player, AThrowLeavesAheadAtItsOwnSpeedAndSetsTheTimersEvenWhenTheListIsFull)
{
    mouseButtonState[kThrowButton] = kInputPressed;
    mouseX = 800;
    actors[0].vx = 0.05f;
    stageWithLiveInput(1);
    ASSERT_EQ(projectileCount, 1);
    EXPECT_NEAR(projectiles[0].x, 128.25f, 1e-5f);
    EXPECT_NEAR(projectiles[0].vx, 0.11f, 1e-6f);
    EXPECT_EQ(projectiles[0].fuse, 100.0f);
    EXPECT_EQ(fireCooldown[0], 20.0f);
    projectileCount = kMaxProjectiles;
    fireCooldown[0] = energyRegenDelay[0] = 0;
    stageWithLiveInput(1);
    EXPECT_EQ(projectileCount, kMaxProjectiles);
    EXPECT_EQ(fireCooldown[0], 20.0f);
    EXPECT_EQ(energyRegenDelay[0], 29.0f);
}

// Facing straight right, the reach (8 cells plus hundredths) is drawn first,
// then the spread (thousandths of a radian, 0.1 either side); the shot passes
// the whole reach over open ground, from 0.1 out.
TEST_F(Player, TheGunDrawsItsReachThenItsSpread)
{
    mouseButtonState[kGunButton] = kInputPressed;
    mouseX = 800;
    srand(99);
    int reach = rand() % 100;
    int spread = rand() % 201;
    srand(99);
    stageWithLiveInput(1);
    ASSERT_EQ(tracerCount, 1);
    const Tracer& t = tracers[0];
    EXPECT_FLOAT_EQ(t.angle, spread * 0.001f - 0.1f);
    EXPECT_NEAR(hypotf(t.endX - 128, t.endY - 128), 8 + reach * 0.01f, 1e-4f);
    EXPECT_NEAR(hypotf(t.startX - 128, t.startY - 128), 0.1f, 1e-5f);
}

// The view is 7.5 cells high and 10 wide at 4:3.
TEST_F(Player, ACursorOutsideTheWindowAimsAtTheEdgeOfTheView)
{
    mouseX = -300;
    mouseY = 5000;
    stageWithLiveInput(1);
    EXPECT_EQ(aimScreenX[0], -1.0f);
    EXPECT_EQ(aimScreenY[0], 1.0f);
    EXPECT_FLOAT_EQ(aimWorldX[0], 123.0f);
    EXPECT_FLOAT_EQ(aimWorldY[0], 131.75f);
}

// The aim is the camera itself, so the camera heads for 131, three quarters of
// the way to the player at 132, and closes 20 % of the distance; the zoom heads
// for 50 * 0.055 + 2 = 4.75 the same way.
TEST_F(Player, TimersAndTheCameraMoveTwiceAsFastAtDoubleSpeed)
{
    actors[0].x = 132;
    actors[0].health = 50;
    fireCooldown[0] = energyRegenDelay[0] = healthRegenDelay[0] = 10;
    stageWithLiveInput(2);
    EXPECT_EQ(fireCooldown[0], 8.0f);
    EXPECT_EQ(energyRegenDelay[0], 8.0f);
    EXPECT_EQ(healthRegenDelay[0], 8.0f);
    EXPECT_NEAR(cameraX, 128.6f, 1e-5f);
    EXPECT_NEAR(cameraZoom, 6.95f, 1e-5f);
}

// Health comes back by 0.0015 per point of energy while energy's own pause runs.
TEST_F(Player, HealthComesBackInProportionToEnergyAndBothStopAtTheTop)
{
    actors[0].health = 50;
    energy[0] = 40;
    energyRegenDelay[0] = 5;
    stageWithLiveInput(1);
    EXPECT_NEAR(actors[0].health, 50.06f, 1e-5f);
    EXPECT_EQ(energy[0], 40.0f);
    actors[0].health = energy[0] = 99.99f;
    for (int step = 0; step < 5; step++)
        stageWithLiveInput(1);
    EXPECT_EQ(energy[0], 100.0f);
    EXPECT_EQ(actors[0].health, 100.0f);
}

TEST_F(Player, TheMenuKeyOpensTheMenuAfterAWholeStep)
{
    keyState[SDLK_SPACE] = kInputPressed;
    keyState[SDLK_d] = kInputHeld;
    playStep(1);
    EXPECT_EQ(gameState, kStateGameMenu);
    EXPECT_GT(actors[0].x, 128) << "the player still moved";
    keyState[SDLK_SPACE] = kInputHeld;
    gameState = kStatePlaying;
    playStep(1);
    EXPECT_EQ(gameState, kStatePlaying) << "a held key opens nothing";
}

TEST_F(Player, ADeathEndsTheGameOverTheMenuKeyAndKeepsOnlyABeatenBest)
{
    keyState[SDLK_RETURN] = kInputPressed;
    killCount = bestKillCount = 7;
    actors[0].health = -1;
    playStep(1);
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_NE(access("stats.dat", F_OK), 0) << "an equal score is not a new best";
    EXPECT_EQ(bestKillCount, 7);

    gameState = kStatePlaying;
    killCount = 9;
    actors[0].health = 0;
    playStep(1);
    EXPECT_EQ(gameState, kStateTitleMenu);
    EXPECT_EQ(bestKillCount, 9);
    bestKillCount = 0;
    readBestScore();
    EXPECT_EQ(bestKillCount, 9) << "kept in stats.dat";
}

// A game whose player count runs past the per-player arrays or the actors
// there are (a damaged saved game) steps only the players that exist.
TEST_F(Player, APlayerCountPastThePlayersThereAreStepsOnlyThoseThatExist)
{
    playerCount = 9;
    energy[1] = 50;
    playStep(1);
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
        playStep(1);
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
