// What the live keyboard, mouse and pad of this pass mean to the game: the
// step's input record, the menus' input record, and the pause key.
#pragma once

#include "render/menu.h"

void readStepInput(float speedFactor);
MenuInput liveMenuInput();
bool pauseKeyPressed();
