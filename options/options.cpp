// The options screen's pages and one pass of their logic. The values the
// player chooses live in optionsChosen and are in force at once (the flow
// applies them when a pass says so); settings.ini is rewritten when a page
// is left with a change, from the keys whose values differ from what the
// file gives.
#include "options/options.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/settings.h"

// ---- Constants --------------------------------------------------------------

// What the pages call the actions and themselves.
static const char* const kKeyLabels[kKeyActions] = {"Walk up", "Walk down", "Walk left", "Walk right",
                                                    "Sprint",  "Menu",      "Pause"};
static const char* const kPadLabels[kPadActions] = {"Walk across", "Walk along", "Aim across", "Aim along",
                                                    "Fire",        "Throw",      "Sprint",     "Choose",
                                                    "Back",        "Menu",       "Pause"};
static const char* const kPageNames[kOptionsPages] = {"Options", "Sound", "Keys", "Pad", "Display"};
// Hat directions as settings.ini names them, by their bit (1 up, 2 right, 4 down, 8 left).
static const char* const kHatNames[9] = {"", "up", "right", "", "down", "", "", "", "left"};

// Window sizes players commonly pick; offered when they fit the desktop.
static const WindowSize kCommonSizes[] = {{640, 480},   {800, 600},   {1024, 768},  {1280, 720},
                                          {1280, 800},  {1280, 1024}, {1366, 768},  {1440, 900},
                                          {1600, 900},  {1680, 1050}, {1920, 1080}, {1920, 1200},
                                          {2560, 1440}, {3840, 2160}};

// ---- Globals ----------------------------------------------------------------

OptionValues optionsChosen = {};
OptionValues optionsSaved = {};
OptionValues optionsOnEntry = {};
int32_t optionsPage = kPageList;
OptionRow optionsRows[kMaxOptionRows] = {};
int32_t optionsRowCount = 0;
int32_t optionsHighlight = 0;
int32_t optionsFirstRow = 0;
int32_t optionsCapture = kCaptureNothing;
PadSnapshot optionsPadRest = {};
PadSnapshot optionsPadBefore = {};
int32_t optionsNote = kNoteNone;
int32_t optionsNoteAction = -1;
WindowSize optionsWindowSizes[kMaxWindowSizes] = {};
int32_t optionsWindowSizeCount = 0;
WindowSize optionsDesktop = {};
bool optionsPadShown = false;
int32_t optionsPadSideHeld = 0;

// ---- Functions: values -------------------------------------------------------

// The page's values back to what a settings.ini without their keys gives.
void defaultOptionValues(OptionValues& values, int32_t page)
{
    if (page == kPageSound) {
        values.volume = kMostVolume;
        values.mute = false;
    } else if (page == kPageKeys) {
        memcpy(values.keys, kDefaultKeys, sizeof values.keys);
    } else if (page == kPagePad) {
        memcpy(values.pad, kDefaultPadBindings, sizeof values.pad);
        memcpy(values.padCount, kDefaultPadBindingCounts, sizeof values.padCount);
        values.deadZone = kDefaultDeadZone;
    } else if (page == kPageDisplay) {
        values.window = WindowSize{0, 0};
        values.fullscreen = values.antialiasing = values.mipmapping = values.showCursor = false;
        values.textSize = kTextSizeScales[0];
    }
}

// The values in force as settings.ini gave them at start: the window as
// the file asks for it (0: the desktop's), not as the display made it.
void optionValuesFromGame(OptionValues& values)
{
    values.volume = pageVolumeFor(soundVolume);
    values.mute = soundMuted;
    values.window = WindowSize{settingToInt(settingValue("screenw")), settingToInt(settingValue("screenh"))};
    values.fullscreen = fullscreen;
    values.antialiasing = antialiasing;
    values.mipmapping = mipmapping;
    values.showCursor = showCursor;
    values.textSize = textSize;
    memcpy(values.keys, keyBindings, sizeof values.keys);
    memcpy(values.pad, padBindings, sizeof values.pad);
    memcpy(values.padCount, padBindingCount, sizeof values.padCount);
    values.deadZone = deadZoneFor(settingValue("paddeadzone"));
}

// The page's volume for a "volume" setting: 1..100 per cent as it stands
// (rounded), anything else full; below half a per cent it is silent.
int32_t pageVolumeFor(float setting)
{
    if (!(setting > 0.0f && setting <= (float)kMostVolume))
        return kMostVolume;
    return (int32_t)lroundf(setting);
}

// The "volume" setting for a page volume: 0 cannot be written as 0, which
// the reader takes for full, so silence is a tenth of a per cent.
float volumeSettingFor(int32_t volume)
{
    return volume <= 0 ? kSilentVolumeSetting : (float)volume;
}

// The dead zone for a "paddeadzone" setting (a share of the reach): the
// nearest step within 0.1..0.4; 0, a missing key or nonsense keep 0.2.
int32_t deadZoneFor(float setting)
{
    if (!(setting > 0.0f))
        return kDefaultDeadZone;
    float steps = roundf(setting * 100.0f / (float)kDeadZoneStep);
    int32_t zone = steps > 100.0f ? kMostDeadZone : (int32_t)steps * kDeadZoneStep;
    return zone < kLeastDeadZone ? kLeastDeadZone : (zone > kMostDeadZone ? kMostDeadZone : zone);
}

// Whether the values a page sets are the same in a and b.
static bool pageSame(const OptionValues& a, const OptionValues& b, int32_t page)
{
    if (page == kPageSound)
        return a.volume == b.volume && a.mute == b.mute;
    if (page == kPageKeys)
        return memcmp(a.keys, b.keys, sizeof a.keys) == 0;
    if (page == kPagePad) {
        bool same = a.deadZone == b.deadZone;
        for (int32_t p = 0; p < kPadActions; p++) {
            same = same && a.padCount[p] == b.padCount[p];
            for (int32_t i = 0; same && i < a.padCount[p]; i++)
                same = samePadInput(a.pad[p][i], b.pad[p][i]);
        }
        return same;
    }
    return page != kPageDisplay ||
           (a.window.width == b.window.width && a.window.height == b.window.height &&
            a.fullscreen == b.fullscreen && a.antialiasing == b.antialiasing && a.mipmapping == b.mipmapping &&
            a.showCursor == b.showCursor && a.textSize == b.textSize);
}

// ---- Functions: pages ---------------------------------------------------------

// Appends a row to the page being built.
static void addRow(int32_t kind, int32_t target)
{
    if (optionsRowCount < kMaxOptionRows)
        optionsRows[optionsRowCount++] = OptionRow{kind, target};
}

// The rows of a page, each ending with Reset to defaults (not the list) and Back.
static void buildRows(int32_t page)
{
    optionsRowCount = 0;
    if (page == kPageList) {
        addRow(kRowOpenPage, kPageSound);
        addRow(kRowOpenPage, kPageKeys);
        if (optionsPadShown)
            addRow(kRowOpenPage, kPagePad);
        addRow(kRowOpenPage, kPageDisplay);
    } else if (page == kPageSound) {
        addRow(kRowVolume, 0);
        addRow(kRowMute, 0);
    } else if (page == kPageKeys) {
        for (int32_t a = 0; a < kKeyActions; a++)
            addRow(kRowKey, a);
    } else if (page == kPagePad) {
        for (int32_t a = 0; a < kPadActions; a++)
            addRow(kRowPadInput, a);
        addRow(kRowDeadZone, 0);
    } else {
        const int32_t rows[] = {kRowWindowSize, kRowFullscreen, kRowAntialiasing, kRowMipmapping,
                                kRowShowCursor, kRowTextSize};
        for (int32_t kind : rows)
            addRow(kind, 0);
    }
    if (page != kPageList)
        addRow(kRowReset, 0);
    addRow(kRowBack, 0);
}

// Shows a page from its first row; the values as they stand are what
// leaving it compares with.
static void openPage(int32_t page, int32_t highlight)
{
    optionsPage = page;
    buildRows(page);
    optionsHighlight = highlight < optionsRowCount ? highlight : 0;
    optionsFirstRow = 0;
    optionsCapture = kCaptureNothing;
    optionsOnEntry = optionsChosen;
}

// Rows that fit between the title and the note (on the pad's page, the
// picture of the sticks) at the chosen text size.
int32_t optionsVisibleRows()
{
    float height = kOptionsRowHeight * optionsChosen.textSize;
    float bottom = optionsPage == kPagePad ? kOptionsPadRowsBottom : kOptionsRowsBottom;
    return (int32_t)((bottom - kOptionsFirstRowTop) / height);
}

// Scrolls the page so the highlighted row is shown.
static void showHighlight()
{
    int32_t visible = optionsVisibleRows();
    if (optionsHighlight < optionsFirstRow)
        optionsFirstRow = optionsHighlight;
    if (optionsHighlight >= optionsFirstRow + visible)
        optionsFirstRow = optionsHighlight - visible + 1;
}

// The row under a pointer height, -1 for none: window pixels become screen
// units (-400 at the top, 400 at the bottom), then rows from the first shown.
int32_t optionsRowAt(int32_t pointerY, float windowHeight)
{
    float y = (float)pointerY / windowHeight * (2.0f * kOptionsHalfHeight) - kOptionsHalfHeight;
    if (!(y >= kOptionsFirstRowTop))
        return -1;
    int32_t shown = (int32_t)floorf((y - kOptionsFirstRowTop) / (kOptionsRowHeight * optionsChosen.textSize));
    int32_t row = optionsFirstRow + shown;
    return shown < optionsVisibleRows() && row < optionsRowCount ? row : -1;
}

// Adds a size to the offered ones, kept in order of width then height, once.
static void offerSize(WindowSize size)
{
    int32_t at = 1;
    while (at < optionsWindowSizeCount &&
           (optionsWindowSizes[at].width < size.width ||
            (optionsWindowSizes[at].width == size.width && optionsWindowSizes[at].height < size.height)))
        at++;
    if (optionsWindowSizeCount == kMaxWindowSizes ||
        (at < optionsWindowSizeCount && optionsWindowSizes[at].width == size.width &&
         optionsWindowSizes[at].height == size.height))
        return;
    memmove(&optionsWindowSizes[at + 1], &optionsWindowSizes[at],
            sizeof(WindowSize) * (size_t)(optionsWindowSizeCount - at));
    optionsWindowSizes[at] = size;
    optionsWindowSizeCount++;
}

// The values settings.ini gave at start: they are in force and saved.
void startOptions(const OptionValues& values)
{
    optionsChosen = optionsSaved = optionsOnEntry = values;
}

// Opens the screen on the list of pages. The sizes offered: the desktop's,
// the chosen one, then the desktop's modes and the common sizes that fit it.
void openOptions(const WindowSize* modes, int32_t modeCount, WindowSize desktop, bool padPresent)
{
    optionsDesktop = desktop;
    optionsPadShown = padPresent;
    optionsWindowSizes[0] = WindowSize{0, 0};
    optionsWindowSizeCount = 1;
    if (optionsChosen.window.width > 0 && optionsChosen.window.height > 0)
        offerSize(optionsChosen.window);
    for (int32_t pass = 0; pass < 2; pass++) {
        int32_t count = pass == 0 ? modeCount : (int32_t)(sizeof kCommonSizes / sizeof kCommonSizes[0]);
        for (int32_t i = 0; i < count; i++) {
            WindowSize size = pass == 0 ? modes[i] : kCommonSizes[i];
            if (size.width > 0 && size.height > 0 && size.width <= desktop.width && size.height <= desktop.height)
                offerSize(size);
        }
    }
    optionsNote = kNoteNone;
    openPage(kPageList, 0);
}

// ---- Functions: one pass -------------------------------------------------------

// The next value on a grid of step within least..most, from one that may lie
// between steps (a volume of 37 from the file goes to 40 or 35).
static int32_t stepOnGrid(int32_t value, int32_t step, int32_t direction, int32_t least, int32_t most)
{
    int32_t below = (value / step) * step;
    int32_t next = direction > 0 ? below + step : (below == value ? value - step : below);
    return next < least ? least : (next > most ? most : next);
}

// Index of the chosen window size among those offered (0, the desktop's, when absent).
static int32_t windowSizeIndex()
{
    for (int32_t i = 0; i < optionsWindowSizeCount; i++)
        if (optionsWindowSizes[i].width == optionsChosen.window.width &&
            optionsWindowSizes[i].height == optionsChosen.window.height)
            return i;
    return 0;
}

// Flips a switch row; what the flow must apply (antialiasing waits for the
// next start, and the note says so).
static int32_t flipSwitch(int32_t kind)
{
    OptionValues& v = optionsChosen;
    bool* const switches[] = {&v.mute, &v.fullscreen, &v.antialiasing, &v.mipmapping, &v.showCursor};
    const int32_t kinds[] = {kRowMute, kRowFullscreen, kRowAntialiasing, kRowMipmapping, kRowShowCursor};
    const int32_t effects[] = {kOptionsSound, kOptionsVideoMode, 0, kOptionsLook, kOptionsLook};
    for (int s = 0; s < 5; s++)
        if (kinds[s] == kind) {
            *switches[s] = !*switches[s];
            if (kind == kRowAntialiasing)
                optionsNote = kNoteNextStart;
            return effects[s];
        }
    return 0;
}

// Index of the chosen text size among kTextSizeScales.
static int32_t textSizeIndex()
{
    int32_t i = 0;
    while (i < kTextSizes - 1 && kTextSizeScales[i] != optionsChosen.textSize)
        i++;
    return i;
}

// Moves a row's value one step (lists wrap round, ranges stop at their ends;
// a switch flips); what the flow must apply, 0 when nothing changed.
static int32_t adjustRow(const OptionRow& row, int32_t direction)
{
    OptionValues& v = optionsChosen;
    OptionValues before = v;
    int32_t effect = kOptionsLook;
    if (row.kind == kRowVolume) {
        v.volume = stepOnGrid(v.volume, kVolumeStep, direction, 0, kMostVolume);
        effect = kOptionsSound;
    } else if (row.kind == kRowDeadZone) {
        v.deadZone = stepOnGrid(v.deadZone, kDeadZoneStep, direction, kLeastDeadZone, kMostDeadZone);
        effect = kOptionsPad;
    } else if (row.kind == kRowWindowSize) {
        int32_t n = optionsWindowSizeCount;
        v.window = optionsWindowSizes[(windowSizeIndex() + direction + n) % n];
        effect = kOptionsVideoMode;
    } else if (row.kind == kRowTextSize) {
        v.textSize = kTextSizeScales[(textSizeIndex() + direction + kTextSizes) % kTextSizes];
    } else {
        effect = flipSwitch(row.kind);
    }
    return pageSame(before, v, optionsPage) ? 0 : effect;
}

// What putting a page back to its defaults makes the flow apply.
static int32_t pageEffects(int32_t page)
{
    const int32_t effects[kOptionsPages] = {0, kOptionsSound, kOptionsKeys, kOptionsPad,
                                            kOptionsVideoMode | kOptionsLook};
    return effects[page];
}

// Leaves the page for the list, its row highlighted; a write when the page
// was changed. From the list the screen closes.
static int32_t leavePage()
{
    if (optionsPage == kPageList)
        return kOptionsClosed;
    int32_t left = optionsPage;
    bool changed = !pageSame(optionsChosen, optionsOnEntry, left);
    openPage(kPageList, 0);
    for (int32_t r = 0; r < optionsRowCount; r++)
        if (optionsRows[r].target == left)
            optionsHighlight = r;
    return changed ? kOptionsWrite : 0;
}

// Chooses a row: a page opens, a switch flips, a range moves in direction,
// a binding starts waiting, Reset puts the page's defaults back, Back leaves.
static int32_t useRow(const OptionRow& row, int32_t direction, const OptionsInput& input)
{
    if (row.kind == kRowOpenPage) {
        openPage(row.target, 0);
        return 0;
    }
    if (row.kind == kRowKey || row.kind == kRowPadInput) {
        optionsCapture = row.kind == kRowKey ? kCaptureAKey : kCaptureAPadInput;
        optionsNote = row.kind == kRowKey ? kNotePressKey : kNotePressPad;
        optionsNoteAction = row.target;
        optionsPadRest = optionsPadBefore = input.pad;
        return 0;
    }
    if (row.kind == kRowReset) {
        OptionValues before = optionsChosen;
        defaultOptionValues(optionsChosen, optionsPage);
        return pageSame(before, optionsChosen, optionsPage) ? 0 : pageEffects(optionsPage);
    }
    if (row.kind == kRowBack)
        return leavePage();
    return adjustRow(row, direction);
}

// Ends a wait with an outcome: what the note says and what the flow applies.
static int32_t endCapture(const CaptureResult& result, int32_t effect)
{
    if (result.outcome == kCaptureWaiting)
        return 0;
    optionsNoteAction = result.otherAction;
    if (result.outcome == kCaptureRefused) {
        bool pad = optionsCapture == kCaptureAPadInput;
        optionsNote = pad ? kNoteStickNeedsAxis : (result.otherAction >= 0 ? kNoteSecondKey : kNoteNoName);
        return 0;
    }
    optionsCapture = kCaptureNothing;
    optionsNote = result.outcome == kCaptureSwapped ? kNoteSwapped : kNoteNone;
    return result.outcome == kCaptureCancelled ? kOptionsChose : kOptionsChose | effect;
}

// One pass while waiting for a key or pad input: Escape or a click cancels.
static int32_t runCapture(const OptionsInput& input)
{
    int32_t action = optionsRows[optionsHighlight].target;
    if (input.click)
        return endCapture(CaptureResult{kCaptureCancelled, -1}, 0);
    if (optionsCapture == kCaptureAKey)
        return endCapture(captureKey(optionsChosen.keys, action, input.keyPressed), kOptionsKeys);
    if (input.keyPressed == kEscapeKey)
        return endCapture(CaptureResult{kCaptureCancelled, -1}, 0);
    PadInput found = {};
    bool pushed = padInputPushed(optionsPadRest, optionsPadBefore, input.pad, action < kPadFirstSwitch, found);
    optionsPadBefore = input.pad;
    if (!pushed)
        return 0;
    return endCapture(capturePadInput(optionsChosen.pad, optionsChosen.padCount, action, found), kOptionsPad);
}

// One pass of the screen: the highlight follows the pointer or steps; a
// click or choose uses a row (a click left of the middle lowers a value,
// right of it raises); left and right move a value; back leaves the page.
// Returns what the flow must do (kOptionsHovered ..).
int32_t runOptions(const OptionsInput& input)
{
    if (optionsCapture != kCaptureNothing)
        return runCapture(input);
    int32_t under = optionsRowAt(input.pointerY, input.windowHeight);
    int32_t before = optionsHighlight;
    if ((input.pointerMoved || input.click) && under >= 0)
        optionsHighlight = under;
    optionsHighlight += input.step;
    optionsHighlight = optionsHighlight < 0 ? 0 : (optionsHighlight >= optionsRowCount ? optionsRowCount - 1 : optionsHighlight);
    showHighlight();
    int32_t effects = optionsHighlight != before ? kOptionsHovered : 0;
    bool clicked = input.click && under >= 0;
    if (input.back || clicked || input.choose || input.adjust != 0)
        optionsNote = kNoteNone;
    if (input.back)
        return effects | leavePage();
    if (clicked)
        return effects | kOptionsChose |
               useRow(optionsRows[under], (float)input.pointerX < input.windowWidth * 0.5f ? -1 : 1, input);
    if (input.choose)
        return effects | kOptionsChose | useRow(optionsRows[optionsHighlight], 1, input);
    if (input.adjust != 0)
        return effects | adjustRow(optionsRows[optionsHighlight], input.adjust > 0 ? 1 : -1);
    return effects;
}

// The left or right step the pad gives a value this pass: the walking stick
// pushed half-way (after the dead zone) or the d-pad, left before right; one
// step each time a direction is newly held, as the highlight moves.
int32_t padSideStep(int32_t stickX, int32_t hat, int32_t& held)
{
    int32_t now = 0;
    if (stickX <= -kAxisHalfTravel || (hat & kHatBitLeft))
        now = -1;
    else if (stickX >= kAxisHalfTravel || (hat & kHatBitRight))
        now = 1;
    int32_t step = now != held ? now : 0;
    held = now;
    return step;
}

// settings.ini could not be written: the options stay in force for this run.
void optionsWriteFailed()
{
    optionsNote = kNoteNotSaved;
}

// The display refused the chosen mode: the old one stays, and is what the
// page shows, so nothing of it is saved.
void optionsModeRefused(WindowSize window, bool fullscreen)
{
    optionsChosen.window = window;
    optionsChosen.fullscreen = fullscreen;
    optionsNote = kNoteModeRefused;
}

// ---- Functions: settings.ini -----------------------------------------------------

// Pad inputs as settings.ini names them: "axis5", "hat0up", "button4,button5".
void formatPadInputs(const PadInput* inputs, int32_t count, char* out, int room)
{
    int used = 0;
    out[0] = 0;
    for (int32_t i = 0; i < count && used < room; i++) {
        const PadInput& p = inputs[i];
        const char* comma = i > 0 ? "," : "";
        if (p.kind == kPadInputAxis)
            used += snprintf(out + used, (size_t)(room - used), "%saxis%d", comma, p.index);
        else if (p.kind == kPadInputButton)
            used += snprintf(out + used, (size_t)(room - used), "%sbutton%d", comma, p.index);
        else if (p.kind == kPadInputHat && p.direction > 0 && p.direction <= 8)
            used += snprintf(out + used, (size_t)(room - used), "%shat%d%s", comma, p.index, kHatNames[p.direction]);
    }
}

// Appends an edit of a key; number says how the reader takes it.
static void addEdit(SettingEdit* edits, int& count, const char* key, bool number, const char* format, double value)
{
    SettingEdit& e = edits[count++];
    snprintf(e.key, sizeof e.key, "%s", key);
    snprintf(e.value, sizeof e.value, format, value);
    e.number = number;
}

// Appends an edit of a key read as text.
static void addTextEdit(SettingEdit* edits, int& count, const char* key, const char* value)
{
    SettingEdit& e = edits[count++];
    snprintf(e.key, sizeof e.key, "%s", key);
    snprintf(e.value, sizeof e.value, "%s", value);
    e.number = false;
}

// The edits of the key and pad bindings that differ.
static void addBindingEdits(const OptionValues& chosen, const OptionValues& saved, SettingEdit* edits, int& n)
{
    for (int32_t a = 0; a < kKeyActions; a++)
        if (chosen.keys[a] != saved.keys[a])
            addTextEdit(edits, n, kKeySettingKeys[a], keyNames[chosen.keys[a]]);
    for (int32_t p = 0; p < kPadActions; p++) {
        bool same = chosen.padCount[p] == saved.padCount[p];
        for (int32_t i = 0; same && i < chosen.padCount[p]; i++)
            same = samePadInput(chosen.pad[p][i], saved.pad[p][i]);
        if (same)
            continue;
        char inputs[kSettingValueLength];
        formatPadInputs(chosen.pad[p], chosen.padCount[p], inputs, sizeof inputs);
        addTextEdit(edits, n, kPadSettingKeys[p], inputs);
    }
}

// The edits that make settings.ini give the chosen values: one for each key
// whose value differs from what the file gives. Their count.
int buildSettingEdits(const OptionValues& chosen, const OptionValues& saved, SettingEdit* edits)
{
    int n = 0;
    if (chosen.volume != saved.volume)
        addEdit(edits, n, "volume", true, "%g", volumeSettingFor(chosen.volume));
    const bool switches[][2] = {{chosen.mute, saved.mute},
                                {chosen.fullscreen, saved.fullscreen},
                                {chosen.antialiasing, saved.antialiasing},
                                {chosen.mipmapping, saved.mipmapping},
                                {chosen.showCursor, saved.showCursor}};
    const char* const switchKeys[] = {"mute", "fullscreen", "antialiasing", "mipmapping", "showcursor"};
    for (int s = 0; s < 5; s++)
        if (switches[s][0] != switches[s][1])
            addEdit(edits, n, switchKeys[s], true, "%g", switches[s][0] ? 1 : 0);
    if (chosen.window.width != saved.window.width)
        addEdit(edits, n, "screenw", true, "%g", chosen.window.width);
    if (chosen.window.height != saved.window.height)
        addEdit(edits, n, "screenh", true, "%g", chosen.window.height);
    if (chosen.textSize != saved.textSize)
        addEdit(edits, n, "textsize", true, "%g", chosen.textSize);
    if (chosen.deadZone != saved.deadZone)
        addEdit(edits, n, "paddeadzone", true, "%g", chosen.deadZone / 100.0);
    addBindingEdits(chosen, saved, edits, n);
    return n;
}

// ---- Functions: texts ------------------------------------------------------------

// The label and the value shown for a row.
void optionRowText(int32_t row, char* label, char* value)
{
    const OptionRow& r = optionsRows[row];
    const OptionValues& v = optionsChosen;
    const char* const labels[] = {"",           "Volume",         "Mute",           "Window size",
                                  "Full screen", "Antialiasing",  "Mipmapping",     "System pointer",
                                  "Text size",   "Dead zone",     "",               "",
                                  "Reset to defaults", "Back"};
    const bool switches[] = {false, false, v.mute, false, v.fullscreen, v.antialiasing, v.mipmapping, v.showCursor};
    snprintf(label, kOptionTextLength, "%s", labels[r.kind]);
    value[0] = 0;
    if (r.kind == kRowOpenPage)
        snprintf(label, kOptionTextLength, "%s", kPageNames[r.target]);
    else if (r.kind == kRowVolume)
        snprintf(value, kOptionTextLength, "%d", v.volume);
    else if (r.kind >= kRowMute && r.kind <= kRowShowCursor && r.kind != kRowWindowSize)
        snprintf(value, kOptionTextLength, "%s", switches[r.kind] ? "On" : "Off");
    else if (r.kind == kRowWindowSize && v.window.width == 0)
        snprintf(value, kOptionTextLength, "Desktop (%d x %d)", optionsDesktop.width, optionsDesktop.height);
    else if (r.kind == kRowWindowSize)
        snprintf(value, kOptionTextLength, "%d x %d", v.window.width, v.window.height);
    else if (r.kind == kRowTextSize)
        snprintf(value, kOptionTextLength, "%gx", v.textSize);
    else if (r.kind == kRowDeadZone)
        snprintf(value, kOptionTextLength, "%.2f", v.deadZone / 100.0);
    else if (r.kind == kRowKey) {
        snprintf(label, kOptionTextLength, "%s", kKeyLabels[r.target]);
        snprintf(value, kOptionTextLength, "%s", keyNames[v.keys[r.target]]);
    } else if (r.kind == kRowPadInput) {
        snprintf(label, kOptionTextLength, "%s", kPadLabels[r.target]);
        formatPadInputs(v.pad[r.target], v.padCount[r.target], value, kOptionTextLength);
    }
}

// The note line: what is awaited, what a binding did, what could not be done.
void optionsNoteText(char* out)
{
    int32_t a = optionsNoteAction;
    bool pad = optionsPage == kPagePad;
    const char* name = a < 0 ? "" : (pad ? (a < kPadActions ? kPadLabels[a] : "") : (a < kKeyActions ? kKeyLabels[a] : ""));
    switch (optionsNote) {
    case kNotePressKey: snprintf(out, kOptionTextLength, "Press a key for %s (Escape cancels)", name); break;
    case kNotePressPad: snprintf(out, kOptionTextLength, "Push a pad input for %s (Escape cancels)", name); break;
    case kNoteSwapped: snprintf(out, kOptionTextLength, "Swapped with %s", name); break;
    case kNoteSecondKey: snprintf(out, kOptionTextLength, "That key stays with %s: press another", name); break;
    case kNoteNoName: snprintf(out, kOptionTextLength, "That key cannot be saved: press another"); break;
    case kNoteStickNeedsAxis: snprintf(out, kOptionTextLength, "%s needs an axis: push another", name); break;
    case kNoteNotSaved: snprintf(out, kOptionTextLength, "Could not save settings.ini: kept for this run"); break;
    case kNoteModeRefused: snprintf(out, kOptionTextLength, "The display refused that mode: kept the old one"); break;
    case kNoteNextStart: snprintf(out, kOptionTextLength, "Antialiasing changes at the next start"); break;
    default: out[0] = 0;
    }
}

// The page's title.
void optionsTitle(char* out)
{
    snprintf(out, kOptionTextLength, "%s", kPageNames[optionsPage]);
}
