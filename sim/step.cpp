// The game step: the players, the shots in flight, the population and the
// actors, in a fixed order, then what happened for the game flow to act on.
#include "sim/step.h"

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

// What the step reports: a death, which ends the game, outranks the menu
// key, which opens the menu over it.
static int32_t endStep(bool menuKeyPressed, bool gameOver)
{
    if (gameOver)
        return kStepPlayerDied;
    return menuKeyPressed ? kStepMenuKey : kStepPlaysOn;
}

// Advances the world by one step of speedFactor step units. Last step's
// tracers and events go first, so each shot is drawn and heard once; every
// later stage sees what the earlier ones did, and all after the players use
// the camera they left. Returns what happened: kStepPlaysOn, kStepMenuKey or
// kStepPlayerDied.
int32_t stepGame(float speedFactor)
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
    return endStep(stepInput.menuKey, gameOver);
}
