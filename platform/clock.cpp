// The clock, read and waited on through SDL.
#include "platform/clock.h"

#include <SDL/SDL.h>

// Milliseconds since SDL started; wraps after 49 days.
uint32_t clockTicks()
{
    return SDL_GetTicks();
}

// Sleeps at least this long.
void sleepMilliseconds(uint32_t milliseconds)
{
    SDL_Delay(milliseconds);
}
