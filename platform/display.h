// The window, the OpenGL context and the fixed GL state every frame relies on,
// and the window's event queue.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>

const int kExitNoSdl = 1;            // SDL could not start
const int kExitNoVideoMode = 3;      // no video mode could be set

extern SDL_Surface* screenSurface;   // the surface of the real video mode
extern float fieldOfViewY;           // degrees, vertical field of view of the start-up projection
extern int32_t desktopWidth;         // the desktop's size before the game's window opened, pixels
extern int32_t desktopHeight;

void setupDisplay();
bool changeVideoMode(int32_t width, int32_t height, bool full);
int listVideoModes(int32_t* widths, int32_t* heights, int room);
void showSystemPointer(bool shown);
void pumpEvents();
bool drainEvents();
void clearDisplay();
void swapDisplay();
bool displayHasMouse();
void closeDisplay();
