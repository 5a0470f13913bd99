// One step of the game world, and the one record of everything it reads from
// outside the world: the controls of player 0, the pointer, the view's shape
// and the speed.
#pragma once

#include <cstdint>

const int32_t kAxisFull = 32767;     // a walking axis pushed all the way
const float kMinSpeedFactor = 0.2f;  // the slowest step a frame may ask for, step units
const float kMaxSpeedFactor = 2.0f;  // the fastest step a frame may ask for, step units
const int32_t kStepPlaysOn = 0;      // what a step reports: nothing for the game flow
const int32_t kStepMenuKey = 1;      // the menu key went down
const int32_t kStepPlayerDied = 2;   // a player died: the game is over

// What the step reads from outside the world. The main loop fills it from live
// input and a replay from its file; the step reads nothing else.
struct StepInput {
    int32_t moveAcross;   // walking to the right (+) or left (-), -32767..32767
    int32_t moveAlong;    // walking up the screen (+) or down (-), -32767..32767
    int32_t pointerX;     // aim, window pixels from the left
    int32_t pointerY;     // aim, window pixels from the top
    bool sprint;          // sprint held
    bool gun;             // fire held
    bool throwing;        // throw held
    bool menuKey;         // the menu key went down in this pass
    float speedFactor;    // 0.2..2.0, the step's time scale
    float viewWidth;      // the view the pointer is in, window pixels, 1..65535
    float viewHeight;     // the view the pointer is in, window pixels, 1..65535
    float viewAspect;     // view width over height, as the view is drawn
};

extern StepInput stepInput;          // the input of the step about to run

int32_t stepGame(float speedFactor);
