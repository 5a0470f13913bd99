// Program entry: start-up in its fixed order, then the main loop.
#include <SDL/SDL.h>
#include <cstdlib>
#include <ctime>

#include "app/app.h"
#include "app/display.h"
#include "app/settings.h"
#include "overlay/overlay.h"

int main(int, char**)
{
    readSettings();
    srand((unsigned)(uint32_t)time(nullptr));
    setupDisplay();
    initOverlay();
    initGame();
    runMainLoop();
    SDL_Quit();
    return 0;
}
