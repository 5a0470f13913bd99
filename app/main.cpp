// Program entry: start-up in its fixed order (sound right after the display),
// then the main loop.
#include <SDL/SDL.h>
#include <cstdlib>
#include <ctime>

#include "app/app.h"
#include "app/display.h"
#include "app/input.h"
#include "app/pad.h"
#include "app/settings.h"
#include "app/sound.h"
#include "overlay/overlay.h"
#include "world/world.h"

int main(int, char**)
{
    readSettings();
    seedRandom((uint32_t)time(nullptr));
    setupDisplay();
    readKeyBindings();
    readPadBindings();
    initPad();
    openSound();
    initOverlay();
    initGame();
    runMainLoop();
    closeSound();
    SDL_Quit();
    return 0;
}
