// The game pad: twin sticks, triggers and buttons turned into the same
// controls the keyboard and mouse give. The step never sees the pad: its
// walking, aim and switches go into the step's input record, which is what a
// recording keeps, so a game played with a pad replays like any other.
#include "platform/pad.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "platform/input.h"
#include "platform/settings.h"

// ---- Constants --------------------------------------------------------------

// The common layout: axes 0, 1 the left stick, 2 the left trigger, 3, 4 the
// right stick, 5 the right trigger; buttons 0 A, 1 B, 4, 5 the shoulders,
// 6 Back, 7 Start, 9 the left-stick click.
static const PadInput kAxis0 = {kPadInputAxis, 0, 0}, kAxis1 = {kPadInputAxis, 1, 0},
                      kAxis2 = {kPadInputAxis, 2, 0}, kAxis3 = {kPadInputAxis, 3, 0},
                      kAxis4 = {kPadInputAxis, 4, 0}, kAxis5 = {kPadInputAxis, 5, 0};
static const PadInput kButton0 = {kPadInputButton, 0, 0}, kButton1 = {kPadInputButton, 1, 0},
                      kButton4 = {kPadInputButton, 4, 0}, kButton5 = {kPadInputButton, 5, 0},
                      kButton6 = {kPadInputButton, 6, 0}, kButton7 = {kPadInputButton, 7, 0},
                      kButton9 = {kPadInputButton, 9, 0};
const PadInput kDefaultPadBindings[kPadActions][kPadBindingsPerAction] = {
    {kAxis0}, {kAxis1}, {kAxis3}, {kAxis4}, {kAxis5}, {kAxis2},
    {kButton4, kButton5, kButton9}, {kButton0}, {kButton1}, {kButton7}, {kButton6}};
const int32_t kDefaultPadBindingCounts[kPadActions] = {1, 1, 1, 1, 1, 1, 3, 1, 1, 1, 1};
const char* const kPadSettingKeys[kPadActions] = {
    "padwalkx", "padwalky", "padaimx", "padaimy", "padfire", "padthrow",
    "padsprint", "padchoose", "padcancel", "padmenu", "padpause"};
static const char* const kHatDirectionNames[4] = {"up", "right", "down", "left"};
static const int32_t kHatDirections[4] = {SDL_HAT_UP, SDL_HAT_RIGHT, SDL_HAT_DOWN, SDL_HAT_LEFT};
static const int32_t kTriggerMiddleFromLowest = 0;       // a trigger resting at -32768 is half-way at 0
static const int32_t kTriggerMiddleFromZero = 16384;     // one resting at 0 is half-way here
static const int32_t kLowRest = -16384;                  // an axis seen below this rests at the bottom

// ---- Globals ----------------------------------------------------------------

bool padPresent = false;
float padDeadZone = kPadDeadZone;
int32_t padAxis[kPadAxes] = {};
int32_t padAxisLowest[kPadAxes] = {};
int32_t padButtonState[kPadButtons] = {};
int32_t padHat[kPadHats] = {};
PadInput padBindings[kPadActions][kPadBindingsPerAction] = {};
int32_t padBindingCount[kPadActions] = {};
int32_t padActionState[kPadActions] = {};
StickPosition padWalk = {};
int32_t padPointerX = 0;
int32_t padPointerY = 0;
bool padDrivesAim = false;
bool padDrivesHighlight = false;
int32_t padMenuStep = 0;
int32_t padMenuHeld = 0;
bool padAimHeld = false;
int32_t padSeenMouseX = 0;
int32_t padSeenMouseY = 0;

static SDL_Joystick* padJoystick = nullptr;   // joystick 0 while open; never closed

// ---- Functions: sticks and switches -----------------------------------------

// A raw axis within -32767..32767, so both directions reach the same length.
static float unitAxis(int32_t value)
{
    float v = (float)value / (float)kPadAxisHighest;
    return v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v);
}

// Scaled radial dead zone: within padDeadZone of its reach the stick rests; beyond,
// the length grows from 0 at the zone's edge to full at the rim along the
// stick's direction, so diagonals are neither snapped nor over-long.
StickPosition applyDeadZone(int32_t x, int32_t y)
{
    float ux = unitAxis(x), uy = unitAxis(y);
    float length = sqrtf(ux * ux + uy * uy);
    StickPosition out = {0, 0};
    if (length <= padDeadZone)
        return out;
    float scaled = fminf((length - padDeadZone) / (1.0f - padDeadZone), 1.0f);
    float factor = scaled / length * (float)kPadAxisHighest;
    out.x = (int32_t)(ux * factor);
    out.y = (int32_t)(uy * factor);
    return out;
}

// Points the aim from the window's middle along the stick, a fixed reach
// away whatever the push; false (and the pointer left alone) while the stick
// rests, so the aim stays where the stick left it.
bool aimFromStick(int32_t x, int32_t y, float width, float height, int32_t& pointerX, int32_t& pointerY)
{
    StickPosition s = applyDeadZone(x, y);
    if (s.x == 0 && s.y == 0)
        return false;
    float length = sqrtf((float)s.x * (float)s.x + (float)s.y * (float)s.y);
    float reach = kPadAimReach * height;
    pointerX = (int32_t)lrintf(width * 0.5f + (float)s.x / length * reach);
    pointerY = (int32_t)lrintf(height * 0.5f + (float)s.y / length * reach);
    return true;
}

// An axis used as a switch (a trigger) is on past the middle of its travel:
// pads rest triggers either at -32768 (middle 0) or at 0 (middle 16384); the
// lowest value the axis has shown tells which.
bool axisPulled(int32_t value, int32_t lowest)
{
    int32_t middle = lowest < kLowRest ? kTriggerMiddleFromLowest : kTriggerMiddleFromZero;
    return value > middle;
}

// The next 0 / 1 / 2 state of a switch: 2 in the first pass it is down, 1
// while it stays down, 0 when up.
int32_t nextInputState(int32_t previous, bool down)
{
    if (!down)
        return kInputUp;
    return previous == kInputUp ? kInputPressed : kInputHeld;
}

// Whether one pad input is on now.
bool padInputDown(const PadInput& input)
{
    if (input.kind == kPadInputAxis)
        return axisPulled(padAxis[input.index], padAxisLowest[input.index]);
    if (input.kind == kPadInputButton)
        return padButtonState[input.index] != kInputUp;
    if (input.kind == kPadInputHat)
        return (padHat[input.index] & input.direction) != 0;
    return false;
}

// Whether any input mapped to the action is on.
static bool padActionDown(int action)
{
    for (int i = 0; i < padBindingCount[action]; i++)
        if (padInputDown(padBindings[action][i]))
            return true;
    return false;
}

// The value of a stick action's axis; 0 when it is mapped to no axis.
static int32_t stickAxis(int action)
{
    const PadInput& input = padBindings[action][0];
    return padBindingCount[action] > 0 && input.kind == kPadInputAxis ? padAxis[input.index] : 0;
}

// ---- Functions: settings ----------------------------------------------------

// Reads a whole decimal number below limit at text; the number of characters
// taken, 0 when there is none or it is out of range.
static int readIndex(const char* text, int limit, int32_t& index)
{
    int taken = 0;
    index = 0;
    while (text[taken] >= '0' && text[taken] <= '9' && taken < 3)
        index = index * 10 + (text[taken++] - '0');
    return taken > 0 && index < limit ? taken : 0;
}

// One input named like "axis5", "button4" or "hat0up"; false for anything
// else, including numbers the tables cannot hold.
bool parsePadInput(const char* text, PadInput& input)
{
    int32_t index = 0;
    int taken = 0;
    if (strncasecmp(text, "axis", 4) == 0 && (taken = readIndex(text + 4, kPadAxes, index)) > 0 &&
        text[4 + taken] == 0) {
        input = PadInput{kPadInputAxis, index, 0};
        return true;
    }
    if (strncasecmp(text, "button", 6) == 0 && (taken = readIndex(text + 6, kPadButtons, index)) > 0 &&
        text[6 + taken] == 0) {
        input = PadInput{kPadInputButton, index, 0};
        return true;
    }
    if (strncasecmp(text, "hat", 3) != 0 || (taken = readIndex(text + 3, kPadHats, index)) == 0)
        return false;
    for (int d = 0; d < 4; d++)
        if (strcasecmp(text + 3 + taken, kHatDirectionNames[d]) == 0) {
            input = PadInput{kPadInputHat, index, kHatDirections[d]};
            return true;
        }
    return false;
}

// A comma-separated list of inputs, at most `room`; the count, or 0 when the
// list is empty, too long or names anything unknown.
int parsePadInputs(const char* text, PadInput* inputs, int room)
{
    char item[kPadSettingLength];
    int count = 0;
    const char* at = text;
    while (true) {
        const char* end = strchr(at, ',');
        size_t length = end ? (size_t)(end - at) : strlen(at);
        if (count == room || length >= sizeof item)
            return 0;
        memcpy(item, at, length);
        item[length] = 0;
        if (!parsePadInput(item, inputs[count++]))
            return 0;
        if (!end)
            return count;
        at = end + 1;
    }
}

// The default layout with the pad keys of "settings.ini" over it. A stick
// takes one axis; a switch takes up to four inputs of any kind. A key whose
// value cannot be read leaves that action at its default. The dead zone is
// held within 0.1..0.4; a missing or zero one is 0.2.
void readPadBindings()
{
    float zone = settingValue("paddeadzone");
    padDeadZone = !(zone > 0.0f) ? kPadDeadZone : fminf(fmaxf(zone, kPadLeastDeadZone), kPadMostDeadZone);
    char text[kPadSettingLength];
    PadInput inputs[kPadBindingsPerAction];
    for (int a = 0; a < kPadActions; a++) {
        for (int i = 0; i < kPadBindingsPerAction; i++)
            padBindings[a][i] = kDefaultPadBindings[a][i];
        padBindingCount[a] = kDefaultPadBindingCounts[a];
        if (!settingText(kPadSettingKeys[a], text, sizeof text))
            continue;
        int count = parsePadInputs(text, inputs, a < kPadFirstSwitch ? 1 : kPadBindingsPerAction);
        if (count == 0 || (a < kPadFirstSwitch && inputs[0].kind != kPadInputAxis))
            continue;
        for (int i = 0; i < count; i++)
            padBindings[a][i] = inputs[i];
        padBindingCount[a] = count;
    }
}

// ---- Functions: one pass ----------------------------------------------------

// The direction the menus read: the walking stick pushed half-way or the
// d-pad, up before down; one step each time a direction is newly held.
static void updateMenuStep()
{
    int32_t push = (int32_t)(kPadMenuPush * (float)kPadAxisHighest);
    int32_t hat = padHat[kPadMenuHat];
    int32_t held = 0;
    if (padWalk.y <= -push || (hat & SDL_HAT_UP))
        held = -1;
    else if (padWalk.y >= push || (hat & SDL_HAT_DOWN))
        held = 1;
    padMenuStep = held != padMenuHeld ? held : 0;
    padMenuHeld = held;
}

// The direction across the walking stick pushed half-way or the d-pad
// hold: -1 left, 1 right, 0 neither (watching seeks by it).
int32_t padAcrossHeld()
{
    int32_t push = (int32_t)(kPadMenuPush * (float)kPadAxisHighest);
    int32_t hat = padHat[kPadMenuHat];
    if (padWalk.x <= -push || (hat & SDL_HAT_LEFT))
        return -1;
    if (padWalk.x >= push || (hat & SDL_HAT_RIGHT))
        return 1;
    return 0;
}

// The controls of this pass from the pad's tables: switches, the walking
// stick, the aim, the menu step, and which of pad and mouse was used last for
// aiming and for menus (the mouse counts when it moved or clicked).
void updatePadControls(float width, float height, int32_t mouseAtX, int32_t mouseAtY, bool mouseClicked)
{
    for (int a = kPadFirstSwitch; a < kPadActions; a++)
        padActionState[a] = nextInputState(padActionState[a], padActionDown(a));
    padWalk = applyDeadZone(stickAxis(kPadWalkAcross), stickAxis(kPadWalkAlong));
    updateMenuStep();
    int32_t oldX = padPointerX, oldY = padPointerY;
    bool aimed = aimFromStick(stickAxis(kPadAimAcross), stickAxis(kPadAimAlong), width, height, padPointerX,
                              padPointerY);
    bool mouseMoved = mouseAtX != padSeenMouseX || mouseAtY != padSeenMouseY;
    padSeenMouseX = mouseAtX;
    padSeenMouseY = mouseAtY;
    if (mouseMoved)
        padDrivesAim = false;
    else if (aimed && (padPointerX != oldX || padPointerY != oldY || !padAimHeld))
        padDrivesAim = true;
    padAimHeld = aimed;
    if (mouseMoved || mouseClicked)
        padDrivesHighlight = false;
    if (padMenuStep != 0 || padActionState[kPadChoose] == kInputPressed ||
        padActionState[kPadBack] == kInputPressed)
        padDrivesHighlight = true;
}

// Opens joystick 0, if there is one, after the display. Turning joystick
// events on empties SDL's queue, so it comes before the joystick opens and
// only when there is a pad at all. SDL only sees pads present at this moment.
void initPad()
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0 || SDL_NumJoysticks() < 1)
        return;
    SDL_JoystickEventState(SDL_ENABLE);
    padJoystick = SDL_JoystickOpen(0);
    padPresent = padJoystick != nullptr;
    int axes = padPresent ? SDL_JoystickNumAxes(padJoystick) : 0;
    for (int i = 0; i < axes && i < kPadAxes; i++) {
        padAxis[i] = SDL_JoystickGetAxis(padJoystick, i);
        padAxisLowest[i] = padAxis[i] < 0 ? padAxis[i] : 0;
    }
}

// Takes every waiting joystick event of the mask for joystick 0 out of the
// queue and writes it into the pad's tables; other numbers are dropped.
static void applyPadEvents(Uint32 mask, int32_t buttonValue)
{
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, mask) > 0) {
        if (e.type == SDL_JOYAXISMOTION && e.jaxis.which == 0 && e.jaxis.axis < kPadAxes) {
            padAxis[e.jaxis.axis] = e.jaxis.value;
            if (e.jaxis.value < padAxisLowest[e.jaxis.axis])
                padAxisLowest[e.jaxis.axis] = e.jaxis.value;
        } else if (e.type == SDL_JOYHATMOTION && e.jhat.which == 0 && e.jhat.hat < kPadHats)
            padHat[e.jhat.hat] = e.jhat.value;
        else if ((e.type == SDL_JOYBUTTONDOWN || e.type == SDL_JOYBUTTONUP) && e.jbutton.which == 0 &&
                 e.jbutton.button < kPadButtons)
            padButtonState[e.jbutton.button] = buttonValue;
    }
}

// One pad poll per pass, after pollInput: axes and hats, then all button
// downs before all ups (as with keys), then this pass's controls. Without a
// pad the tables stay at rest and only the mouse is watched.
void pollPad()
{
    for (int i = 0; i < kPadButtons; i++)
        if (padButtonState[i] == kInputPressed)
            padButtonState[i] = kInputHeld;
    applyPadEvents(SDL_JOYAXISMOTIONMASK | SDL_JOYHATMOTIONMASK, 0);
    applyPadEvents(SDL_JOYBUTTONDOWNMASK, kInputPressed);
    applyPadEvents(SDL_JOYBUTTONUPMASK, kInputUp);
    updatePadControls(screenWidth, screenHeight, mouseX, mouseY, mouseButtonState[kGunButton] == kInputPressed ||
                                                                     mouseButtonState[kThrowButton] == kInputPressed);
}
