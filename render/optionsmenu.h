// Drawing the options screen from the options' state.
#pragma once

#include <cstdint>

const int kStickAxes = 4;   // walk x, walk y, aim x, aim y for the picture of the sticks

void drawOptionsScreen(float aspect, const int32_t* sticks);
