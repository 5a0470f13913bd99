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
const int kMenuButton = 1;           // left mouse button chooses in the menus
const int kKeyNameLength = 32;       // room for one key's name, spaces removed

// The keyboard's actions. Each has a bound key, which settings.ini may change,
// and most a fixed second key that stays whatever the binding.
enum KeyAction { kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeySprint, kKeyMenu, kKeyPause, kKeyActions };

extern const char* const kKeySettingKeys[kKeyActions];  // the settings.ini key binding each action
extern const int32_t kDefaultKeys[kKeyActions];  // key symbol bound when settings.ini names none
extern const int32_t kSecondKeys[kKeyActions];   // fixed second key symbol of each action, 0 none
extern const int32_t kSpaceKey;      // key symbol of Space, an index of keyState
extern const int32_t kEscapeKey;     // key symbol of Escape, an index of keyState
extern const int32_t kRightArrowKey; // key symbol of the right arrow, an index of keyState
extern const int32_t kLeftArrowKey;  // likewise the left arrow
extern const int32_t kUpArrowKey;    // likewise the up arrow
extern const int32_t kDownArrowKey;  // likewise the down arrow
extern const int32_t kReturnKey;     // likewise Return
extern const int32_t kPlayHereKey;   // likewise P, "Play from here" while watching

extern int32_t keyState[kKeyStates];                 // 0 up, 1 held, 2 went down this pass
extern int32_t mouseButtonState[kMouseButtonStates]; // 0 up, 1 held, 2 went down this pass
extern int32_t mouseX;                               // cursor x, window pixels from the left
extern int32_t mouseY;                               // cursor y, window pixels from the top
extern int32_t keyBindings[kKeyActions];             // bound SDL key symbol of each action, 1..499
extern char keyNames[kKeyStates][kKeyNameLength];    // SDL's name of each key symbol, spaces removed; "" if none

void pollInput();
void buildKeyNames();
int32_t keyByName(const char* name);
void readKeyBindings();
bool keyActionDown(int action);
bool keyActionPressed(int action);
