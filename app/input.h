// What the live keyboard, mouse and pad of this pass mean to the game: the
// step's input record, the menus' and the lists' input records, and the
// pause key.
#pragma once

#include "app/runslist.h"
#include "render/menu.h"

void readStepInput(float speedFactor);
MenuInput liveMenuInput();
MenuInput withMenuKeys(MenuInput in);
RunsListInput liveRunsListInput();
bool pauseKeyPressed();
