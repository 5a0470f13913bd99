// What the live keyboard, mouse and pad of this pass mean to the game: the
// step's input record, the menus', the lists' and watching's input records,
// and the pause key.
#pragma once

#include <cstdint>

#include "app/runslist.h"
#include "app/watching.h"
#include "options/options.h"
#include "render/menu.h"

extern int32_t optionsPointerX;   // the mouse as the options' last pass saw it, window pixels
extern int32_t optionsPointerY;

void readStepInput(float speedFactor);
MenuInput liveMenuInput();
MenuInput withMenuKeys(MenuInput in);
RunsListInput liveRunsListInput();
WatchInput liveWatchInput();
OptionsInput liveOptionsInput();
bool pauseKeyPressed();
