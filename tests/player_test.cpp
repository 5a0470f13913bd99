// The player stage and the game step around it, driven through the step's one
// input record: walking and sprinting at any speed factor, energy and health
// at their boundaries, aim and camera, the weapons, several players, the order
// of the stages and the end of a game.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <SDL/SDL_keysym.h>

#include <cmath>
#include <cstring>

#include "app/app.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "sim/player.h"
#include "sim/shots.h"
#include "sim/step.h"
#include "sim/zombies.h"
#include "tests/busyworld.h"
#include "tests/scratchdir.h"
#include "tests/testworld.h"
#include "world/savefile.h"

namespace {

const float d = 0.011f / sqrtf(2);   // walking gain along each axis on a diagonal

// One player at rest in the middle of the open patch with the camera on it,
// full of health and energy, no input and the pointer in the middle of a 4:3
// window; each test runs in a scratch directory, where a game over may write.
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
        stepInput = StepInput{0, 0, 400, 300, false, false, false, false, 1, 800, 600, 800.0f / 600.0f};
        energy[0] = 100;
        energyRegenDelay[0] = fireCooldown[0] = 0;
        cameraZoom = 7.5f;
        killCount = bestKillCount = 0;
    }
    void TearDown() override { leaveScratchDir(scratch); }

    // The player stage of player 0 at speed factor f; true when it died.
    static bool stage(float f)
    {
        stepInput.speedFactor = f;
        return runPlayerStage(0, f);
    }

    ScratchDir scratch;
};

// 0.3 energy pays for 0.3 of a sprint's 0.5; the 0.2 overdrawn costs 0.1
// health and starts the health pause of 60. Energy at exactly 0 is not
// overdrawn: no health is lost and the pause runs on.
TEST_F(Player, OnlyOverdrawnEnergyIsPaidWithHealth)
{
    energy[0] = 0.3f;
    stepInput.moveAcross = kAxisFull;
    stepInput.sprint = true;
    stage(1);
    EXPECT_EQ(energy[0], 0.0f);
    EXPECT_NEAR(actors[0].health, 99.9f, 1e-4f);
    EXPECT_EQ(healthRegenDelay[0], 59.0f);
    stepInput.sprint = false;
    energy[0] = 0;
    energyRegenDelay[0] = 5;
    healthRegenDelay[0] = 0;
    actors[0].health = 50;
    stage(1);
    EXPECT_EQ(healthRegenDelay[0], -1.0f);
    EXPECT_EQ(actors[0].health, 50.0f) << "no energy, no health back";
}

// Energy comes back at 0.15 a step unit once its pause has run out, so half
// as much in a step at half speed; both buttons held fire the gun every fifth
// step and never let the throw have its turn.
TEST_F(Player, EnergyReturnsAtTheSpeedFactorAndBothButtonsOnlyFireTheGun)
{
    energy[0] = 50;
    energyRegenDelay[0] = 0;
    stage(0.5f);
    EXPECT_NEAR(energy[0], 50.075f, 1e-5f);
    stepInput.gun = stepInput.throwing = true;
    int shots = 0;
    for (int step = 0; step < 50; step++) {
        stepGame(1);
        shots += tracerCount;
        actors[0].health = 100;
    }
    EXPECT_EQ(shots, 10);
    EXPECT_EQ(projectileCount, 0);
}

// Health stays put through the whole hurt pause, comes back once it ran out
// (0.0015 a step unit per point of energy), and both stop at 100.
TEST_F(Player, HealthComesBackOnlyAfterItsPauseAndStopsAtTheTop)
{
    actors[0].health = 50;
    energy[0] = 40;
    energyRegenDelay[0] = 5;
    healthRegenDelay[0] = 1;
    stage(1);
    EXPECT_EQ(actors[0].health, 50.0f) << "the pause ends in this step";
    stage(1);
    EXPECT_NEAR(actors[0].health, 50.06f, 1e-5f);
    actors[0].health = energy[0] = 99.99f;
    for (int step = 0; step < 5; step++)
        stage(1);
    EXPECT_EQ(energy[0], 100.0f);
    EXPECT_EQ(actors[0].health, 100.0f);
}

TEST_F(Player, ExactlyNoHealthIsDeath)
{
    actors[0].health = 0.001f;
    EXPECT_FALSE(stage(1));
    actors[0].health = 0;
    EXPECT_TRUE(stage(1));
}

// The view is 7.5 cells high and 10 wide at 4:3; a pointer beyond the window
// aims at its edge.
TEST_F(Player, APointerOutsideTheWindowAimsAtTheEdgeOfTheView)
{
    stepInput.pointerX = -300;
    stepInput.pointerY = 5000;
    stage(1);
    EXPECT_EQ(aimScreenX[0], -1.0f);
    EXPECT_EQ(aimScreenY[0], 1.0f);
    EXPECT_FLOAT_EQ(aimWorldX[0], 123.0f);
    EXPECT_FLOAT_EQ(aimWorldY[0], 131.75f);
}

// Aimed up and to the right at 45 degrees, the explosive starts 0.25 ahead
// along the facing at 0.11 a step unit, whatever the player's own speed; a
// full list takes none, but the cooldown of 20 and the energy pause of 30
// are set all the same.
TEST_F(Player, AThrowLeavesAlongTheFacingAtItsOwnSpeedEvenWhenTheListIsFull)
{
    stepInput.throwing = true;
    stepInput.pointerX = 600;
    stepInput.pointerY = 100;
    actors[0].vx = 0.05f;
    stage(1);
    ASSERT_EQ(projectileCount, 1);
    const float r = sqrtf(0.5f);
    EXPECT_NEAR(projectiles[0].x, 128 + 0.25f * r, 1e-4f);
    EXPECT_NEAR(projectiles[0].y, 128 - 0.25f * r, 1e-4f);
    EXPECT_NEAR(projectiles[0].vx, 0.11f * r, 1e-5f);
    EXPECT_NEAR(projectiles[0].vy, -0.11f * r, 1e-5f);
    EXPECT_EQ(projectiles[0].owner, 0);
    EXPECT_EQ(fireCooldown[0], 20.0f);
    projectileCount = kMaxProjectiles;
    fireCooldown[0] = energyRegenDelay[0] = 0;
    stage(1);
    EXPECT_EQ(projectileCount, kMaxProjectiles);
    EXPECT_EQ(fireCooldown[0], 20.0f);
    EXPECT_EQ(energyRegenDelay[0], 29.0f);
}

// Only player 0 reads the input; the others stand still. Any player's death
// ends the game, whichever comes first in the list.
TEST_F(Player, OtherPlayersTakeNoInputAndAnyPlayersDeathEndsTheGame)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorPlayer, 129, 128}});
    playerCount = 2;
    energy[1] = 100;
    stepInput.moveAcross = kAxisFull;
    EXPECT_EQ(stepGame(1), kStepPlaysOn);
    EXPECT_GT(actors[0].x, 128.0f);
    EXPECT_EQ(actors[1].x, 129.0f);
    for (int dead = 0; dead < 2; dead++) {
        actors[0].health = actors[1].health = 100;
        actors[dead].health = 0;
        EXPECT_EQ(stepGame(1), kStepPlayerDied) << "player " << dead << " died";
    }
}

// A loaded game whose player count runs past the per-player arrays or the
// actors steps only the players that exist: the zombie in slot 4 is no player.
TEST_F(Player, APlayerCountPastThePlayersThereAreStepsOnlyThoseThatExist)
{
    openWorldWith({{kActorPlayer, 120, 120}, {kActorPlayer, 121, 120}, {kActorPlayer, 122, 120},
                   {kActorPlayer, 123, 120}, {kActorZombie, 140, 140}});
    playerCount = 9;
    actors[4].health = 0;
    EXPECT_EQ(stepGame(1), kStepPlaysOn);
    openWorldWith({{kActorPlayer, 128, 128}});
    playerCount = 3;
    energy[1] = 50;
    stepGame(1);
    EXPECT_EQ(energy[1], 50.0f) << "no actor, no player 1";
}

TEST_F(Player, TheMenuKeyOpensTheMenuAfterAWholeStepButADeathWins)
{
    stepInput.menuKey = true;
    stepInput.moveAcross = kAxisFull;
    EXPECT_EQ(stepGame(1), kStepMenuKey);
    EXPECT_GT(actors[0].x, 128) << "the player still moved";
    actors[0].health = -1;
    EXPECT_EQ(stepGame(1), kStepPlayerDied);
}

}  // namespace
