// Per-pass keyboard and mouse state. Every reader looks at these tables only;
// values: 0 up, 1 held, 2 went down in this pass.
#pragma once

#include <cstdint>

const int kKeyStates = 500;          // entries of keyState, by SDL key symbol
const int kMouseButtonStates = 10;   // entries of mouseButtonState, by SDL button number
const int kInputUp = 0;
const int kInputHeld = 1;
const int kInputPressed = 2;
const int kGunButton = 1;            // left mouse button fires
const int kThrowButton = 3;          // right mouse button throws

extern int32_t keyState[kKeyStates];                 // 0 up, 1 held, 2 went down this pass
extern int32_t mouseButtonState[kMouseButtonStates]; // 0 up, 1 held, 2 went down this pass
extern int32_t mouseX;                               // cursor x, window pixels from the left
extern int32_t mouseY;                               // cursor y, window pixels from the top

void pollInput();
void readStepInput(float speedFactor);
