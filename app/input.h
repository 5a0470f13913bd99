// What the live keyboard, mouse and pad of this pass mean to the game: the
// step's input record, the menus', the lists' and watching's input records,
// and the pause key.
#pragma once

#include "app/runslist.h"
#include "app/watching.h"
#include "render/menu.h"

void readStepInput(float speedFactor);
MenuInput liveMenuInput();
MenuInput withMenuKeys(MenuInput in);
RunsListInput liveRunsListInput();
WatchInput liveWatchInput();
bool pauseKeyPressed();
