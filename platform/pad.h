// The game pad, joystick 0: its raw axes, buttons and hat, the settings that
// map them onto the game's actions, and the controls they give in each pass.
// Only pad.cpp's opening and polling call SDL; everything else here works on
// plain values, so a test can feed it made-up sticks.
#pragma once

#include <cstdint>

// ---- Constants --------------------------------------------------------------

const int kPadAxes = 16;             // axes read, by SDL axis number
const int kPadButtons = 32;          // buttons read, by SDL button number
const int kPadHats = 4;              // hats read, by SDL hat number
const int kPadBindingsPerAction = 4; // inputs one action may be mapped to
const int kPadInputNone = 0;         // kinds of pad input an action is mapped to
const int kPadInputAxis = 1;
const int kPadInputButton = 2;
const int kPadInputHat = 3;
const int32_t kPadAxisLowest = -32768;   // SDL axis values run -32768..32767
const int32_t kPadAxisHighest = 32767;
const float kPadDeadZone = 0.2f;     // share of the stick's reach that rests, when settings.ini gives none
const float kPadLeastDeadZone = 0.1f;  // "paddeadzone" is held within these
const float kPadMostDeadZone = 0.4f;
const float kPadMenuPush = 0.5f;     // share of the reach that moves a menu highlight
const float kPadAimReach = 0.35f;    // the stick's aim lies this share of the window height from the middle
const int kPadMenuHat = 0;           // the hat (d-pad) that moves menu highlights
const int kPadSettingLength = 64;    // room for one pad setting's text

// The game's pad actions. The first four are stick axes; the rest are on or
// off (a button, a hat direction or an axis pulled past the middle).
enum PadAction {
    kPadWalkAcross,   // left stick, x
    kPadWalkAlong,    // left stick, y (down the screen is +)
    kPadAimAcross,    // right stick, x
    kPadAimAlong,     // right stick, y
    kPadFire,         // right trigger
    kPadThrow,        // left trigger
    kPadSprint,       // shoulders or left-stick click
    kPadChoose,       // A
    kPadBack,         // B
    kPadMenu,         // Start
    kPadPause,        // Back or Select
    kPadActions
};
const int kPadFirstSwitch = kPadFire;  // actions from here on are on or off

// ---- Records ----------------------------------------------------------------

// One input of the pad: an axis, a button, or one direction of a hat.
struct PadInput {
    int32_t kind;        // kPadInputNone, kPadInputAxis, kPadInputButton or kPadInputHat
    int32_t index;       // axis, button or hat number
    int32_t direction;   // hats only: SDL_HAT_UP, SDL_HAT_RIGHT, SDL_HAT_DOWN or SDL_HAT_LEFT
};

// A stick after the dead zone: each axis -32767..32767, the length at most
// 32767 (a full push), y growing down as the stick reports it.
struct StickPosition {
    int32_t x, y;
};

// ---- Globals ----------------------------------------------------------------

extern const PadInput kDefaultPadBindings[kPadActions][kPadBindingsPerAction];  // the common twin-stick layout
extern const int32_t kDefaultPadBindingCounts[kPadActions];  // inputs of each action in that layout
extern const char* const kPadSettingKeys[kPadActions];       // the settings.ini key mapping each action
extern bool padPresent;                          // joystick 0 was opened at start
extern float padDeadZone;                        // share of the reach that rests, 0.1..0.4
extern int32_t padAxis[kPadAxes];                // latest value of each axis, -32768..32767
extern int32_t padAxisLowest[kPadAxes];          // lowest value each axis has shown, -32768..0
extern int32_t padButtonState[kPadButtons];      // 0 up, 1 held, 2 went down this pass
extern int32_t padHat[kPadHats];                 // SDL_HAT_* bits of each hat's position
extern PadInput padBindings[kPadActions][kPadBindingsPerAction];  // what each action reads
extern int32_t padBindingCount[kPadActions];     // inputs in use per action, 0..4
extern int32_t padActionState[kPadActions];      // switch actions: 0 up, 1 held, 2 went down this pass
extern StickPosition padWalk;                    // the walking stick after the dead zone
extern int32_t padPointerX;                      // where the aiming stick points, window pixels
extern int32_t padPointerY;
extern bool padDrivesAim;                        // the aiming stick moved more lately than the mouse
extern bool padAimHeld;                          // the aiming stick was out of its dead zone last pass
extern bool padDrivesHighlight;                  // the pad worked a menu more lately than the mouse
extern int32_t padMenuStep;                      // this pass: -1 highlight up, 1 down, 0 stays
extern int32_t padMenuHeld;                      // direction held for the menus: -1 up, 1 down, 0 none
extern int32_t padSeenMouseX;                    // the mouse as the last pass left it, window pixels
extern int32_t padSeenMouseY;

// ---- Functions --------------------------------------------------------------

StickPosition applyDeadZone(int32_t x, int32_t y);
bool aimFromStick(int32_t x, int32_t y, float width, float height, int32_t& pointerX, int32_t& pointerY);
bool axisPulled(int32_t value, int32_t lowest);
int32_t nextInputState(int32_t previous, bool down);
bool padInputDown(const PadInput& input);
bool parsePadInput(const char* text, PadInput& input);
int parsePadInputs(const char* text, PadInput* inputs, int room);
void readPadBindings();
int32_t padAcrossHeld();
void updatePadControls(float width, float height, int32_t mouseAtX, int32_t mouseAtY, bool mouseClicked);
void initPad();
void pollPad();
