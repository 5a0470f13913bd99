// The wait for a new binding. Keys: Escape cancels, the fixed second keys
// (the arrows, Return) stay with their own actions, a key another action has
// is swapped. Pad: a button going down, a hat direction coming on, or an axis
// pushed past half its travel from where it rested when the wait began, so a
// trigger that rests at -32768 never binds itself by resting.
#include "options/capture.h"

#include <cstdlib>

// ---- Constants --------------------------------------------------------------

// The four directions of a hat, in the order a diagonal is taken.
static const int32_t kHatBits[4] = {kHatBitUp, kHatBitRight, kHatBitDown, kHatBitLeft};

// ---- Functions: keys ---------------------------------------------------------

// One key press while waiting for the action's key. A key that another
// action has goes to this one and the other takes this one's old key; a key
// that settings.ini could not name back is refused, as is another action's
// second key. bindings is changed only when the outcome says so.
CaptureResult captureKey(int32_t* bindings, int32_t action, int32_t key)
{
    if (key == kEscapeKey)
        return CaptureResult{kCaptureCancelled, -1};
    if (key <= 0 || key >= kKeyStates || action < 0 || action >= kKeyActions)
        return CaptureResult{kCaptureWaiting, -1};
    for (int32_t other = 0; other < kKeyActions; other++)
        if (other != action && kSecondKeys[other] == key)
            return CaptureResult{kCaptureRefused, other};
    if (keyNames[key][0] == 0 || keyByName(keyNames[key]) != key)
        return CaptureResult{kCaptureRefused, -1};
    CaptureResult result = {kCaptureBound, -1};
    for (int32_t other = 0; other < kKeyActions; other++)
        if (other != action && bindings[other] == key) {
            bindings[other] = bindings[action];
            result = CaptureResult{kCaptureSwapped, other};
        }
    bindings[action] = key;
    return result;
}

// ---- Functions: the pad ------------------------------------------------------

// Whether two pad inputs are the same axis, button or hat direction.
bool samePadInput(const PadInput& a, const PadInput& b)
{
    return a.kind == b.kind && a.index == b.index && (a.kind != kPadInputHat || a.direction == b.direction);
}

// Whether an axis has been pushed past half its travel: one that rests at
// the bottom past its middle; a centred one half out either way for a stick
// (positive only for a switch, which reads it that way), and away from where
// it rested, so one held aside when the wait began binds only once moved.
static bool axisPushed(int32_t value, int32_t rest, bool stick)
{
    if (rest < kAxisRestsLow)
        return value > 0;
    if (stick)
        return abs(value) > kAxisHalfTravel && abs(value - rest) > kAxisHalfTravel;
    return value > kAxisHalfTravel && value - rest > kAxisHalfTravel;
}

// The first input pushed this pass: an axis (measured from rest, the pad
// when the wait began), then for a switch a button that went down or a hat
// direction not on in the pass before. False while nothing was pushed.
bool padInputPushed(const PadSnapshot& rest, const PadSnapshot& before, const PadSnapshot& now, bool stick,
                    PadInput& found)
{
    for (int32_t a = 0; a < kPadAxes; a++)
        if (axisPushed(now.axis[a], rest.axis[a], stick)) {
            found = PadInput{kPadInputAxis, a, 0};
            return true;
        }
    if (stick)
        return false;
    for (int32_t b = 0; b < kPadButtons; b++)
        if (now.button[b] == kInputPressed) {
            found = PadInput{kPadInputButton, b, 0};
            return true;
        }
    for (int32_t h = 0; h < kPadHats; h++)
        for (int32_t d = 0; d < 4; d++)
            if ((now.hat[h] & kHatBits[d]) && !(before.hat[h] & kHatBits[d])) {
                found = PadInput{kPadInputHat, h, kHatBits[d]};
                return true;
            }
    return false;
}

// Takes the input at another action's place at: it becomes this action's
// old first input, or just goes when the list has that one already.
static void takeFrom(PadInput* list, int32_t& count, int32_t at, const PadInput& old)
{
    for (int32_t i = 0; i < count; i++)
        if (samePadInput(list[i], old)) {
            for (int32_t j = at; j + 1 < count; j++)
                list[j] = list[j + 1];
            count--;
            return;
        }
    list[at] = old;
}

// The pushed input becomes the action's only one. Another action that had
// it takes this one's old first input in its place (a swap); when that would
// leave it unable to work (a stick needs an axis) the capture is refused and
// nothing changes.
CaptureResult capturePadInput(PadInput (*bindings)[kPadBindingsPerAction], int32_t* counts, int32_t action,
                              const PadInput& input)
{
    if (action < 0 || action >= kPadActions || (action < kPadFirstSwitch && input.kind != kPadInputAxis))
        return CaptureResult{kCaptureWaiting, -1};
    const PadInput* old = counts[action] > 0 ? &bindings[action][0] : nullptr;
    for (int32_t other = 0; other < kPadActions; other++)
        for (int32_t i = 0; other != action && i < counts[other]; i++)
            if (samePadInput(bindings[other][i], input) &&
                (!old || (other < kPadFirstSwitch && old->kind != kPadInputAxis)))
                return CaptureResult{kCaptureRefused, other};
    CaptureResult result = {kCaptureBound, -1};
    for (int32_t other = 0; other < kPadActions; other++)
        for (int32_t i = 0; other != action && i < counts[other]; i++)
            if (samePadInput(bindings[other][i], input)) {
                takeFrom(bindings[other], counts[other], i, *old);
                result = CaptureResult{kCaptureSwapped, other};
                break;
            }
    bindings[action][0] = input;
    counts[action] = 1;
    return result;
}
