// What the live keyboard, mouse and pad of this pass mean to the game: the
// step's input record, the menus' input record, and the pause key.
#pragma once

#include <cstdint>

#include "options/options.h"
#include "render/menu.h"

extern int32_t optionsPointerX;   // the mouse as the options' last pass saw it, window pixels
extern int32_t optionsPointerY;

void readStepInput(float speedFactor);
MenuInput liveMenuInput();
OptionsInput liveOptionsInput();
bool pauseKeyPressed();
