// The window, the OpenGL context and the fixed GL state every frame relies on,
// and the window's event queue.
#pragma once

#include <SDL/SDL.h>

const int kExitNoSdl = 1;            // SDL could not start
const int kExitNoVideoMode = 3;      // no video mode could be set

extern SDL_Surface* screenSurface;   // the surface of the real video mode
extern float fieldOfViewY;           // degrees, vertical field of view of the start-up projection

void setupDisplay();
void pumpEvents();
bool drainEvents();
void clearDisplay();
void swapDisplay();
bool displayHasMouse();
void closeDisplay();
