// Waiting for the key or pad input the player wants for an action: what ends
// the wait, what is refused, and how a binding taken from another action is
// swapped. Plain functions over binding tables and pad values, so tests feed
// them made-up presses.
#pragma once

#include <cstdint>

#include "platform/input.h"
#include "platform/pad.h"

// ---- Constants --------------------------------------------------------------

// SDL 1.2's hat bits, by direction.
const int32_t kHatBitUp = 1;
const int32_t kHatBitRight = 2;
const int32_t kHatBitDown = 4;
const int32_t kHatBitLeft = 8;
const int32_t kAxisHalfTravel = 16384;   // a centred axis pushed this far, either way, is half out
const int32_t kAxisRestsLow = -16384;    // an axis resting below this rests at the bottom, like a trigger

// What a press did to the wait.
enum CaptureOutcome {
    kCaptureWaiting,     // nothing usable yet: still waiting
    kCaptureCancelled,   // Escape: the binding stays as it was
    kCaptureBound,       // the action has its new input
    kCaptureSwapped,     // and the action that had it took this one's old input
    kCaptureRefused      // that input cannot be taken (a fixed second key, one with no name)
};

// ---- Records ----------------------------------------------------------------

// The end of a wait, or not yet.
struct CaptureResult {
    int32_t outcome;       // kCaptureWaiting .. kCaptureRefused
    int32_t otherAction;   // the action swapped with or standing in the way, -1 none
};

// The pad's inputs in one pass, as the capture compares them.
struct PadSnapshot {
    int32_t axis[kPadAxes];        // -32768..32767
    int32_t button[kPadButtons];   // 0 up, 1 held, 2 went down this pass
    int32_t hat[kPadHats];         // hat bits
};

// ---- Functions --------------------------------------------------------------

CaptureResult captureKey(int32_t* bindings, int32_t action, int32_t key);
bool padInputPushed(const PadSnapshot& rest, const PadSnapshot& before, const PadSnapshot& now, bool stick,
                    PadInput& found);
CaptureResult capturePadInput(PadInput (*bindings)[kPadBindingsPerAction], int32_t* counts, int32_t action,
                              const PadInput& input);
bool samePadInput(const PadInput& a, const PadInput& b);
