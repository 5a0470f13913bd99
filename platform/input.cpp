// Turns the waiting keyboard and mouse-button events into per-pass states,
// and names the keys that settings.ini binds.
#include "platform/input.h"

#include <SDL/SDL.h>
#include <strings.h>

#include "platform/settings.h"

// The keys of settings.ini that bind each action, the keys bound when they
// are missing (W, S, A, D, left Shift, Space, Escape), and the second keys
// that stay whatever the binding (0: none).
const char* const kKeySettingKeys[kKeyActions] = {"keyup",     "keydown", "keyleft", "keyright",
                                                         "keysprint", "keymenu", "keypause"};
const int32_t kDefaultKeys[kKeyActions] = {SDLK_w,      SDLK_s,     SDLK_a,     SDLK_d,
                                                  SDLK_LSHIFT, SDLK_SPACE, SDLK_ESCAPE};
const int32_t kSpaceKey = SDLK_SPACE;
const int32_t kEscapeKey = SDLK_ESCAPE;
const int32_t kRightArrowKey = SDLK_RIGHT;
const int32_t kLeftArrowKey = SDLK_LEFT;
const int32_t kUpArrowKey = SDLK_UP;
const int32_t kDownArrowKey = SDLK_DOWN;
const int32_t kReturnKey = SDLK_RETURN;
const int32_t kPlayHereKey = SDLK_p;
const int32_t kSecondKeys[kKeyActions] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, 0, SDLK_RETURN, 0};

int32_t keyState[kKeyStates] = {};
int32_t mouseButtonState[kMouseButtonStates] = {};
int32_t mouseX = 0;
int32_t mouseY = 0;
int32_t keyBindings[kKeyActions] = {SDLK_w, SDLK_s, SDLK_a, SDLK_d, SDLK_LSHIFT, SDLK_SPACE, SDLK_ESCAPE};
char keyNames[kKeyStates][kKeyNameLength] = {};

static bool keyTapped[kKeyStates] = {};                    // went down and up in the last pass
static bool buttonTapped[kMouseButtonStates] = {};         // likewise for the mouse buttons

// Ages every "went down" mark of the table: to "held", or to "up" for a key
// or button that also came up in that pass.
static void agePresses(int32_t* states, bool* tapped, int count)
{
    for (int i = 0; i < count; i++) {
        if (states[i] == kInputPressed)
            states[i] = tapped[i] ? kInputUp : kInputHeld;
        tapped[i] = false;
    }
}

// Takes every waiting event of the two masks out of the queue in the order
// they came, writing at the key symbol or button number each names;
// out-of-range ones are dropped. A press released within the same pass
// still reads "went down" for this pass (a quick tap or a touchpad click,
// a wheel notch) and "up" from the next; a key released and pressed again
// within the pass reads "went down", as it is down.
static void applyEvents(Uint32 downMask, Uint32 upMask, int32_t* states, bool* tapped, int count)
{
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, downMask | upMask) > 0) {
        bool key = event.type == SDL_KEYDOWN || event.type == SDL_KEYUP;
        bool down = event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONDOWN;
        int index = key ? (int)event.key.keysym.sym : (int)event.button.button;
        if (index < 0 || index >= count)
            continue;
        tapped[index] = !down && states[index] == kInputPressed;
        if (down || !tapped[index])
            states[index] = down ? kInputPressed : kInputUp;
    }
}

// One poll per pass: keys then buttons, each in the order their events
// came, then the cursor.
void pollInput()
{
    agePresses(keyState, keyTapped, kKeyStates);
    applyEvents(SDL_KEYDOWNMASK, SDL_KEYUPMASK, keyState, keyTapped, kKeyStates);
    agePresses(mouseButtonState, buttonTapped, kMouseButtonStates);
    applyEvents(SDL_MOUSEBUTTONDOWNMASK, SDL_MOUSEBUTTONUPMASK, mouseButtonState, buttonTapped, kMouseButtonStates);
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    mouseX = x;
    mouseY = y;
}

// Fills keyNames from SDL's own names with the spaces taken out, as the
// settings reader takes them out of every line ("left ctrl" is "leftctrl").
// SDL knows the names only once its video part has started.
void buildKeyNames()
{
    for (int key = SDLK_FIRST + 1; key < SDLK_LAST && key < kKeyStates; key++) {
        const char* name = SDL_GetKeyName((SDLKey)key);
        int length = 0;
        for (const char* c = name; *c && length < kKeyNameLength - 1; c++)
            if (*c != ' ')
                keyNames[key][length++] = *c;
        keyNames[key][length] = 0;
        if (strcasecmp(keyNames[key], "unknownkey") == 0)
            keyNames[key][0] = 0;
    }
}

// The key symbol with this name (case does not matter), 0 when none has it.
int32_t keyByName(const char* name)
{
    for (int key = 1; key < kKeyStates; key++)
        if (keyNames[key][0] && strcasecmp(keyNames[key], name) == 0)
            return key;
    return 0;
}

// Binds each action named in settings.ini to its key, over the defaults; an
// unknown name leaves the default.
void readKeyBindings()
{
    buildKeyNames();
    char name[kKeyNameLength * 2];
    for (int a = 0; a < kKeyActions; a++) {
        keyBindings[a] = kDefaultKeys[a];
        int32_t key = settingText(kKeySettingKeys[a], name, sizeof name) ? keyByName(name) : 0;
        if (key > 0)
            keyBindings[a] = key;
    }
}

// The action's bound key or its second key is down (held or just pressed).
bool keyActionDown(int action)
{
    int32_t second = kSecondKeys[action];
    return keyState[keyBindings[action]] != kInputUp || (second != 0 && keyState[second] != kInputUp);
}

// The action's bound key or its second key went down in this pass.
bool keyActionPressed(int action)
{
    int32_t second = kSecondKeys[action];
    return keyState[keyBindings[action]] == kInputPressed || (second != 0 && keyState[second] == kInputPressed);
}
