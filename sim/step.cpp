// The game step. Players, zombies and shots join it as they are built; until
// then a game in progress stands still and is only drawn.
#include "sim/step.h"

// Advances the world by one step of speedFactor step units.
void stepGame(float speedFactor)
{
    (void)speedFactor;
}
