// One step of the game world, and the one record of everything it reads from
// outside the world: the controls of player 0, the pointer and the speed.
#pragma once

#include <cstdint>

const int32_t kAxisFull = 32767;     // a walking axis pushed all the way
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
};

extern StepInput stepInput;          // the input of the step about to run

int32_t stepGame(float speedFactor);
