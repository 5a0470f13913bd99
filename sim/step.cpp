// The game step: the players, the shots in flight, the population and the
// actors, in a fixed order, then the menu key and the end of a game.
#include "sim/step.h"

#include "app/app.h"
#include "sim/events.h"
#include "sim/player.h"
#include "sim/shots.h"
#include "sim/zombies.h"
#include "world/world.h"

StepInput stepInput = {};

// The players that exist: never more than the per-player arrays hold or the
// actor list has, whatever a loaded game claims.
static int livePlayers()
{
    int n = playerCount < kMaxPlayers ? playerCount : kMaxPlayers;
    return n < actorCount ? n : actorCount;
}

// The menu key opens the main menu over the game; a death ends the game
// instead, back to the title (the game flow keeps the best score).
static void endStep(bool menuKeyPressed, bool gameOver)
{
    if (menuKeyPressed)
        gameState = kStateGameMenu;
    if (gameOver)
        gameState = kStateTitleMenu;
}

// Advances the world by one step of speedFactor step units. Last step's
// tracers and events go first, so each shot is drawn and heard once; every
// later stage sees what the earlier ones did, and all after the players use
// the camera they left.
void stepGame(float speedFactor)
{
    tracerCount = 0;
    clearGameEvents();
    bool gameOver = false;
    for (int p = 0; p < livePlayers(); p++)
        if (runPlayerStage(p, speedFactor))
            gameOver = true;
    runProjectileStage(speedFactor);
    runExplosionStage(speedFactor);
    spawnActors(speedFactor);
    advanceThinkTick();
    runActorStage(speedFactor);
    endStep(stepInput.menuKey, gameOver);
}
