// Turns the waiting keyboard and mouse-button events into per-pass states.
#include "app/input.h"

#include <SDL/SDL.h>

#include "sim/step.h"

int32_t keyState[kKeyStates] = {};
int32_t mouseButtonState[kMouseButtonStates] = {};
int32_t mouseX = 0;
int32_t mouseY = 0;

// Ages every "went down" mark of the table to "held".
static void agePresses(int32_t* states, int count)
{
    for (int i = 0; i < count; i++)
        if (states[i] == kInputPressed)
            states[i] = kInputHeld;
}

// Takes every waiting event of the mask out of the queue and writes value at the
// key symbol or button number it names; out-of-range ones are dropped.
static void applyEvents(Uint32 mask, int32_t* states, int count, int32_t value)
{
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, mask) > 0) {
        int index = (mask & (SDL_KEYDOWNMASK | SDL_KEYUPMASK)) ? (int)event.key.keysym.sym
                                                              : (int)event.button.button;
        if (index >= 0 && index < count)
            states[index] = value;
    }
}

// One poll per pass: all downs before all ups, keys then buttons, then the cursor.
void pollInput()
{
    agePresses(keyState, kKeyStates);
    applyEvents(SDL_KEYDOWNMASK, keyState, kKeyStates, kInputPressed);
    applyEvents(SDL_KEYUPMASK, keyState, kKeyStates, kInputUp);
    agePresses(mouseButtonState, kMouseButtonStates);
    applyEvents(SDL_MOUSEBUTTONDOWNMASK, mouseButtonState, kMouseButtonStates, kInputPressed);
    applyEvents(SDL_MOUSEBUTTONUPMASK, mouseButtonState, kMouseButtonStates, kInputUp);
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    mouseX = x;
    mouseY = y;
}

// 1 when either key is down (held or just pressed), else 0.
static int eitherDown(int keyA, int keyB)
{
    return keyState[keyA] != kInputUp || keyState[keyB] != kInputUp ? 1 : 0;
}

// The step's input from this pass's live state: arrows or W, A, S, D walk
// (opposite keys cancel), left Shift sprints, the two buttons fire and throw,
// the pointer aims, and Return or Space going down opens the menu.
void readStepInput(float speedFactor)
{
    stepInput.moveAcross = (eitherDown(SDLK_RIGHT, SDLK_d) - eitherDown(SDLK_LEFT, SDLK_a)) * kAxisFull;
    stepInput.moveAlong = (eitherDown(SDLK_UP, SDLK_w) - eitherDown(SDLK_DOWN, SDLK_s)) * kAxisFull;
    stepInput.pointerX = mouseX;
    stepInput.pointerY = mouseY;
    stepInput.sprint = keyState[SDLK_LSHIFT] != kInputUp;
    stepInput.gun = mouseButtonState[kGunButton] != kInputUp;
    stepInput.throwing = mouseButtonState[kThrowButton] != kInputUp;
    stepInput.menuKey = keyState[SDLK_RETURN] == kInputPressed || keyState[SDLK_SPACE] == kInputPressed;
    stepInput.speedFactor = speedFactor;
}
