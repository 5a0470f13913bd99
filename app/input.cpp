// Turns the live tables of the keyboard, mouse and pad into the records the
// step and the menus read.
#include "app/input.h"

#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "sim/step.h"

// ---- Globals ----------------------------------------------------------------

int32_t optionsPointerX = -1;
int32_t optionsPointerY = -1;
static bool keysDriveMenu = false;   // the arrows or Return worked a menu more lately than the mouse
static int32_t menuSeenMouseX = 0;   // the mouse as the last menu or list pass left it, window pixels
static int32_t menuSeenMouseY = 0;
static int32_t acrossBefore = 0;  // the pad's direction across in the pass before: -1 left, 1 right, 0 neither

// ---- Functions --------------------------------------------------------------

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

// +1 for the key that went down, -1 for the other, 0 for neither or both.
static int32_t keyStep(int32_t plus, int32_t minus)
{
    return (keyState[plus] == kInputPressed ? 1 : 0) - (keyState[minus] == kInputPressed ? 1 : 0);
}

// Watching's input from this pass's live state: the menus' record, Space,
// the arrows (up and down the speed, left and right seek; the pad's stick or
// d-pad across seeks as it is newly pushed), Escape, Return, P or Start for
// "Play from here", and the window's size.
WatchInput liveWatchInput()
{
    int32_t across = padAcrossHeld();
    WatchInput in = {};
    in.menu = liveMenuInput();
    in.windowWidth = screenWidth;
    in.windowHeight = screenHeight;
    in.pause = keyState[kSpaceKey] == kInputPressed;
    in.speedStep = keyStep(kUpArrowKey, kDownArrowKey);
    in.seekStep = keyStep(kRightArrowKey, kLeftArrowKey);
    if (in.seekStep == 0 && across != acrossBefore)
        in.seekStep = across;
    acrossBefore = across;
    in.escape = keyState[kEscapeKey] == kInputPressed;
    in.playHere = keyState[kPlayHereKey] == kInputPressed || padActionState[kPadMenu] == kInputPressed;
    in.enter = keyState[kReturnKey] == kInputPressed;
    return in;
}

// The first key that went down in this pass, 0 when none did.
static int32_t keyWentDown()
{
    for (int32_t k = 1; k < kKeyStates; k++)
        if (keyState[k] == kInputPressed)
            return k;
    return 0;
}

// The options' input from this pass's live state: the mouse (a move takes
// the highlight), the arrows, Return and Escape, the pad's stick or d-pad,
// A and B, the key that went down for a binding, and the whole pad for one.
OptionsInput liveOptionsInput()
{
    OptionsInput in = {};
    in.pointerX = mouseX;
    in.pointerY = mouseY;
    in.windowWidth = screenWidth;
    in.windowHeight = screenHeight;
    in.pointerMoved = optionsPointerX >= 0 && (mouseX != optionsPointerX || mouseY != optionsPointerY);
    optionsPointerX = mouseX;
    optionsPointerY = mouseY;
    in.click = mouseButtonState[kMenuButton] == kInputPressed;
    in.step = (keyState[kDownArrowKey] == kInputPressed) - (keyState[kUpArrowKey] == kInputPressed) + padMenuStep;
    int32_t walkAxis = padBindings[kPadWalkAcross][0].index;
    int32_t stickX = walkAxis >= 0 && walkAxis < kPadAxes ? padAxis[walkAxis] : 0;
    in.adjust = (keyState[kRightArrowKey] == kInputPressed) - (keyState[kLeftArrowKey] == kInputPressed) +
                padSideStep(stickX, padHat[kPadMenuHat], optionsPadSideHeld);
    in.choose = keyState[kReturnKey] == kInputPressed || padActionState[kPadChoose] == kInputPressed;
    in.back = keyState[kEscapeKey] == kInputPressed || padActionState[kPadBack] == kInputPressed;
    in.keyPressed = keyWentDown();
    for (int i = 0; i < kPadAxes; i++)
        in.pad.axis[i] = padAxis[i];
    for (int i = 0; i < kPadButtons; i++)
        in.pad.button[i] = padButtonState[i];
    for (int i = 0; i < kPadHats; i++)
        in.pad.hat[i] = padHat[i];
    return in;
}

// The pause key or the pad's pause switch went down in this pass.
bool pauseKeyPressed()
{
    return keyState[keyBindings[kKeyPause]] == kInputPressed || padActionState[kPadPause] == kInputPressed;
}

// The arrow keys on this pass: -1 for the up arrow going down, 1 for the
// down arrow, 0 for neither or both.
static int32_t arrowStep()
{
    return (keyState[kDownArrowKey] == kInputPressed ? 1 : 0) - (keyState[kUpArrowKey] == kInputPressed ? 1 : 0);
}

// A menu's input with the keys added: the arrows move the highlight as the
// pad does and Return chooses; once a key worked the menu it drives it like
// the pad, until the mouse moves or clicks.
MenuInput withMenuKeys(MenuInput in)
{
    bool mouseUsed = in.click || in.pointerX != menuSeenMouseX || in.pointerY != menuSeenMouseY;
    menuSeenMouseX = in.pointerX;
    menuSeenMouseY = in.pointerY;
    int32_t step = arrowStep();
    bool chose = keyState[kReturnKey] == kInputPressed;
    if (mouseUsed)
        keysDriveMenu = false;
    if (step != 0 || chose)
        keysDriveMenu = true;
    in.highlightStep += step;
    if (keysDriveMenu) {
        in.choose = in.choose || chose;
        in.padDrives = true;
    }
    return in;
}

// The lists' input from this pass's live state: the mouse (a move lights the
// item under it), the arrows and the pad's moves, Return or A to choose, and
// Escape, the pause key or B to go back.
RunsListInput liveRunsListInput()
{
    RunsListInput in;
    in.pointerY = mouseY;
    in.windowHeight = screenHeight;
    in.pointerMoved = mouseX != menuSeenMouseX || mouseY != menuSeenMouseY;
    menuSeenMouseX = mouseX;
    menuSeenMouseY = mouseY;
    in.click = mouseButtonState[kMenuButton] == kInputPressed;
    in.step = arrowStep() + padMenuStep;
    in.choose = keyState[kReturnKey] == kInputPressed || padActionState[kPadChoose] == kInputPressed;
    in.back = keyState[kEscapeKey] == kInputPressed || pauseKeyPressed() || padActionState[kPadBack] == kInputPressed;
    return in;
}
