// Program entry: start-up in its fixed order (sound right after the display),
// then the main loop.
#include <cstdlib>
#include <ctime>

#include "app/app.h"
#include "app/sound.h"
#include "overlay/overlay.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
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
    closeDisplay();
    return 0;
}
