// How every game starts, the same way whether the player begins it or a
// recording describes it: a new city from the generator as it stands, or the
// world of a save; and the recording that a game played begins.
#pragma once

#include <cstdint>

void startNewGame();
bool setUpGame(int start, int32_t saveSize);
bool beginGame(int start, int32_t saveSize, int64_t date, float viewWidth, float viewHeight, float viewAspect);
