// What the live keyboard, mouse and pad of this pass mean to the game: the
// step's input record, the menus' and watching's input records, and the
// pause key.
#pragma once

#include "app/watching.h"
#include "render/menu.h"

void readStepInput(float speedFactor);
MenuInput liveMenuInput();
WatchInput liveWatchInput();
bool pauseKeyPressed();
