// Turns the live tables of the keyboard, mouse and pad into the records the
// step and the menus read.
#include "app/input.h"

#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "sim/step.h"

// The step's input from this pass's live state: walking keys at full (opposite
// ones cancel), else the pad's stick at its push; the pointer of whichever of
// mouse and aiming stick moved last; keys, buttons and pad switches alike;
// the window's shape as it is now.
void readStepInput(float speedFactor)
{
    int across = (keyActionDown(kKeyRight) ? 1 : 0) - (keyActionDown(kKeyLeft) ? 1 : 0);
    int along = (keyActionDown(kKeyUp) ? 1 : 0) - (keyActionDown(kKeyDown) ? 1 : 0);
    bool keysWalk = across != 0 || along != 0;
    stepInput.moveAcross = keysWalk ? across * kAxisFull : padWalk.x;
    stepInput.moveAlong = keysWalk ? along * kAxisFull : -padWalk.y;
    stepInput.pointerX = padDrivesAim ? padPointerX : mouseX;
    stepInput.pointerY = padDrivesAim ? padPointerY : mouseY;
    stepInput.sprint = keyActionDown(kKeySprint) || padActionState[kPadSprint] != kInputUp;
    stepInput.gun = mouseButtonState[kGunButton] != kInputUp || padActionState[kPadFire] != kInputUp;
    stepInput.throwing = mouseButtonState[kThrowButton] != kInputUp || padActionState[kPadThrow] != kInputUp;
    stepInput.menuKey = keyActionPressed(kKeyMenu) || padActionState[kPadMenu] == kInputPressed;
    stepInput.speedFactor = speedFactor;
    stepInput.viewWidth = screenWidth;
    stepInput.viewHeight = screenHeight;
    stepInput.viewAspect = aspectRatio;
}

// The menus' input from this pass's live state: the mouse, its left button
// going down, and the pad's highlight moves, A and B.
MenuInput liveMenuInput()
{
    MenuInput in;
    in.pointerX = mouseX;
    in.pointerY = mouseY;
    in.click = mouseButtonState[kMenuButton] == kInputPressed;
    in.highlightStep = padMenuStep;
    in.choose = padActionState[kPadChoose] == kInputPressed;
    in.back = padActionState[kPadBack] == kInputPressed;
    in.padDrives = padDrivesHighlight;
    return in;
}

// The pause key or the pad's pause switch went down in this pass.
bool pauseKeyPressed()
{
    return keyState[keyBindings[kKeyPause]] == kInputPressed || padActionState[kPadPause] == kInputPressed;
}
