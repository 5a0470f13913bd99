// The options screen: its pages as data, the values the player chooses, and
// one pass of its logic driven by a small input record. It draws nothing,
// never reads SDL, plays a sound, sets a video mode or writes a file: each
// pass returns what the game flow must do, and the flow tells it back what
// could not be done.
#pragma once

#include <cstdint>

#include "platform/input.h"
#include "platform/pad.h"
#include "options/capture.h"
#include "options/settingswriter.h"

// ---- Constants --------------------------------------------------------------

const int kMaxOptionRows = 16;          // rows of the longest page (the pad's)
const int kMaxWindowSizes = 32;         // window sizes offered, the desktop's first
const int kOptionTextLength = 64;       // room for a row's label, value or the note line
const int32_t kVolumeStep = 5;          // per cent a press moves the volume
const int32_t kMostVolume = 100;        // per cent
const float kSilentVolumeSetting = 0.1f;  // "volume" written for 0 on the page: "volume=0" means full
const int32_t kDeadZoneStep = 5;        // hundredths of the stick's reach a press moves the dead zone
const int32_t kLeastDeadZone = 10;      // hundredths
const int32_t kMostDeadZone = 40;
const int32_t kDefaultDeadZone = 20;    // what a missing "paddeadzone" gives
const int kTextSizes = 3;
const float kTextSizeScales[kTextSizes] = {1.0f, 1.5f, 2.0f};  // menus, overlay and HUD texts
const float kOptionsHalfHeight = 400.0f;  // the screen runs from -400 (top) to 400 (bottom), like the menus
const float kOptionsTitleTop = -340.0f;   // top of the page's title line
const float kOptionsFirstRowTop = -270.0f;  // top of the first visible row at text size 1
const float kOptionsRowHeight = 30.0f;    // one row at text size 1
const float kOptionsRowsBottom = 330.0f;  // rows end above the note line
const float kOptionsPadRowsBottom = 160.0f;  // on the pad's page, above the picture of the sticks

// The pages: a list of the others, then one page each.
enum OptionsPage { kPageList, kPageSound, kPageKeys, kPagePad, kPageDisplay, kOptionsPages };

// What a row shows and does.
enum OptionRowKind {
    kRowOpenPage,     // opens the page in target
    kRowVolume,       // 0..100 in steps of 5
    kRowMute,
    kRowWindowSize,   // one of optionsWindowSizes
    kRowFullscreen,
    kRowAntialiasing,
    kRowMipmapping,
    kRowShowCursor,
    kRowTextSize,     // 1, 1.5 or 2
    kRowDeadZone,     // 0.1..0.4 in steps of 0.05
    kRowKey,          // the key of the action in target; choosing waits for a key
    kRowPadInput,     // the pad input of the action in target; choosing waits for one
    kRowReset,        // this page's values back to their defaults
    kRowBack          // leaves the page (the list: closes the screen)
};

// What the flow must do after a pass; several may come together.
const int32_t kOptionsHovered = 1;      // the highlight moved: a tick
const int32_t kOptionsChose = 2;        // a row was chosen: a click
const int32_t kOptionsSound = 4;        // volume or mute changed: apply, a click at the new level
const int32_t kOptionsKeys = 8;         // key bindings changed: apply
const int32_t kOptionsPad = 16;         // pad bindings or dead zone changed: apply
const int32_t kOptionsVideoMode = 32;   // window size or full screen changed: set the mode again
const int32_t kOptionsLook = 64;        // mipmapping, the pointer or the text size changed: apply
const int32_t kOptionsWrite = 128;      // a page was left with a change: write settings.ini
const int32_t kOptionsClosed = 256;     // Back from the list: the screen closes

// The note line under the rows.
enum OptionsNote {
    kNoteNone,
    kNotePressKey,       // waiting for a key
    kNotePressPad,       // waiting for a pad input
    kNoteSwapped,        // the new binding came from noteAction, which took the old one
    kNoteSecondKey,      // that key is noteAction's second key
    kNoteNoName,         // that key cannot be named in settings.ini
    kNoteStickNeedsAxis, // noteAction is a stick and would be left without an axis
    kNoteNotSaved,       // settings.ini could not be written; the options apply for this run
    kNoteModeRefused,    // the display refused the mode; the old one stays
    kNoteNextStart       // antialiasing changes at the next start
};

// What is being waited for.
enum OptionsCapture { kCaptureNothing, kCaptureAKey, kCaptureAPadInput };

// ---- Records ----------------------------------------------------------------

// One row of a page.
struct OptionRow {
    int32_t kind;     // OptionRowKind
    int32_t target;   // the page a kRowOpenPage opens, the action of a key or pad row
};

// A window size, pixels; 0 x 0 is the desktop's.
struct WindowSize {
    int32_t width, height;
};

// Every value the options set, as settings.ini gives them.
struct OptionValues {
    int32_t volume;                                      // per cent, 0..100 (0: silent)
    bool mute;                                           // no sound at all
    WindowSize window;                                   // 0 x 0: the desktop's size
    bool fullscreen;
    bool antialiasing;                                   // takes effect at the next start
    bool mipmapping;
    bool showCursor;                                     // the system pointer over the game
    float textSize;                                      // one of kTextSizeScales
    int32_t keys[kKeyActions];                           // SDL key symbol of each action
    PadInput pad[kPadActions][kPadBindingsPerAction];    // pad inputs of each action
    int32_t padCount[kPadActions];                       // 1..4 each
    int32_t deadZone;                                    // hundredths of the stick's reach, 10..40
};

// One pass of input, as the menus take it.
struct OptionsInput {
    int32_t pointerX, pointerY;   // window pixels
    float windowWidth, windowHeight;  // pixels
    bool pointerMoved;            // the mouse moved: the row under it takes the highlight
    bool click;                   // the left button went down this pass
    int32_t step;                 // -1 highlight up, 1 down, 0 stays
    int32_t adjust;               // -1 lower, 1 higher on the highlighted row, 0 neither
    bool choose;                  // Return or A
    bool back;                    // Escape or B
    int32_t keyPressed;           // key symbol that went down this pass, 0 none
    PadSnapshot pad;              // the pad now
};

// ---- Globals ----------------------------------------------------------------

extern OptionValues optionsChosen;        // the values shown and in force
extern OptionValues optionsSaved;         // the values settings.ini gives
extern OptionValues optionsOnEntry;       // the values when the page was entered
extern int32_t optionsPage;               // OptionsPage shown
extern OptionRow optionsRows[kMaxOptionRows];  // the page's rows
extern int32_t optionsRowCount;           // 1..kMaxOptionRows
extern int32_t optionsHighlight;          // highlighted row, 0..optionsRowCount - 1
extern int32_t optionsFirstRow;           // first row shown: the page scrolls at big text sizes
extern int32_t optionsCapture;            // OptionsCapture: what is being waited for
extern PadSnapshot optionsPadRest;        // the pad when a wait for a pad input began
extern PadSnapshot optionsPadBefore;      // the pad in the pass before
extern int32_t optionsNote;               // OptionsNote shown
extern int32_t optionsNoteAction;         // the action the note names, -1 none
extern WindowSize optionsWindowSizes[kMaxWindowSizes];  // sizes offered, the desktop's (0 x 0) first
extern int32_t optionsWindowSizeCount;    // 1..kMaxWindowSizes
extern WindowSize optionsDesktop;         // the desktop's size, pixels
extern bool optionsPadShown;              // a pad is present: the pad page is offered
extern int32_t optionsPadSideHeld;        // pad direction held for left and right: -1, 1, 0 none

// ---- Functions --------------------------------------------------------------

void defaultOptionValues(OptionValues& values, int32_t page);
void optionValuesFromGame(OptionValues& values);
void startOptions(const OptionValues& values);
void openOptions(const WindowSize* modes, int32_t modeCount, WindowSize desktop, bool padPresent);
int32_t runOptions(const OptionsInput& input);
int32_t padSideStep(int32_t stickX, int32_t hat, int32_t& held);
void optionsWriteFailed();
void optionsModeRefused(WindowSize window, bool fullscreen);
int32_t optionsRowAt(int32_t pointerY, float windowHeight);
int32_t optionsVisibleRows();
int32_t pageVolumeFor(float setting);
float volumeSettingFor(int32_t volume);
int32_t deadZoneFor(float setting);
int buildSettingEdits(const OptionValues& chosen, const OptionValues& saved, SettingEdit* edits);
void formatPadInputs(const PadInput* inputs, int32_t count, char* out, int room);
void optionRowText(int32_t row, char* label, char* value);
void optionsNoteText(char* out);
void optionsTitle(char* out);
