// The events of the last game step.
#include "sim/events.h"

GameEvent gameEvents[kMaxGameEvents] = {};
int32_t gameEventCount = 0;

// Forgets the events of the step before; the step calls this first.
void clearGameEvents()
{
    gameEventCount = 0;
}

// Appends an event; a full list keeps the ones it has, since the first
// events of a step are as good as any.
void addGameEvent(int kind, float x, float y)
{
    if (gameEventCount >= kMaxGameEvents)
        return;
    gameEvents[gameEventCount++] = GameEvent{kind, x, y};
}
