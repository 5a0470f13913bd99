// The overlay's work in each pass: frame pacing, the clock texts, the pause
// menu sliding in over a frozen picture, the frame-rate line and the pointer.
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/input.h"
#include "app/pad.h"
#include "app/settings.h"
#include "app/sound.h"
#include "overlay/overlay.h"

// ---- Constants --------------------------------------------------------------

static const char* const kWeekdays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                                         "Saturday"};
static const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
static const char* const kOrdinalDays[32] = {
    "",     "1st",  "2nd",  "3rd",  "4th",  "5th",  "6th",  "7th",  "8th",  "9th",  "10th",
    "11th", "12th", "13th", "14th", "15th", "16th", "17th", "18th", "19th", "20th", "21st",
    "22nd", "23rd", "24th", "25th", "26th", "27th", "28th", "29th", "30th", "31st"};
static const char* const kPauseButtonLabels[kPauseButtons] = {"Resume game", "Exit", "Save screenshot",
                                                              "Display frame rate"};
static const char* const kHideFrameRateLabel = "Don't display frame rate";
static const char* const kFrameRateLabel = "frames per second: ";

static const float kFadeFull = 100.0f;
static const float kFadePerPass = 5.0f;
static const float kFadeToFraction = 0.01f;   // held in single precision, like the fade
static const int kBarArtRows = 68;            // the bars slide this far out when closed
static const int kBarRows = 60;               // rows a bar covers on the window
static const int kTextMargin = 20;            // bar texts keep 20 pixels from the window's sides
static const int kUpperLineY = 18;            // title, date
static const int kLowerLineY = 38;            // version, time
static const int kFooterTop = 61;             // the footer lines hang from 61 rows above the bottom
static const int kFooter1Offset = 3;
static const int kFooter2Offset = 23;
static const float kButtonsRise = 125.0f;     // the first button rests this far above the middle
static const int kHotMarginBefore = 14;       // the hot area reaches this far left of and above a panel
static const int kHotMarginAfter = 13;        // and this far right of and below it
static const int kCharWidth = 10;             // overlay texts count 10 pixels a character
static const int kLineHeight = 20;
static const int kFrameRateX = 25, kFrameRateY = 25, kFrameRateHeight = 10;
static const int kFrameRateTextY = 20;

enum PauseButton { kResumeButton, kExitButton, kScreenshotButton, kFrameRateButton };

// ---- Globals ----------------------------------------------------------------

bool pauseMenuOpen = false;
float pauseFade = 0;
bool showFrameRate = false;
char dateText[kOverlayTextLength] = {};
char timeText[kOverlayTextLength] = {};
char footerText1[kOverlayTextLength] = {};
char footerText2[kOverlayTextLength] = {};
bool windowHasMouse = false;
bool overlayRunning = false;
int32_t pausePadItem = 0;

// ---- Functions --------------------------------------------------------------

// "Saturday December 5th 2026": weekday, month, ordinal day and year.
void formatDateText(char* out, size_t size, const struct tm& local)
{
    snprintf(out, size, "%s %s %s %d", kWeekdays[local.tm_wday], kMonths[local.tm_mon],
             kOrdinalDays[local.tm_mday], local.tm_year + 1900);
}

// "4:07:09 PM": a 12-hour clock where midnight and noon are 12.
void formatTimeText(char* out, size_t size, const struct tm& local)
{
    int hour = local.tm_hour > 12 ? local.tm_hour - 12 : (local.tm_hour == 0 ? 12 : local.tm_hour);
    snprintf(out, size, "%d:%02d:%02d %s", hour, local.tm_min, local.tm_sec, local.tm_hour > 11 ? "PM" : "AM");
}

// "v" and the version with six decimals, then trailing zeros trimmed while a
// digit stays after the point: 0.8 reads v0.8, 1.0 reads v1.0.
void formatVersionText(char* out, size_t size, float version)
{
    snprintf(out, size, "v%f", version);
    size_t length = strlen(out);
    while (length > 2 && out[length - 2] != '.' && out[length - 1] == '0')
        out[--length] = '\0';
}

// Left column of a text of n characters ending on column right.
static int textEndingAt(int right, const char* text)
{
    return right - kCharWidth * (int)strlen(text);
}

// Left column of a text centred on column centre.
static int textCentredOn(int centre, const char* text)
{
    return centre - kCharWidth / 2 * (int)strlen(text);
}

// Where bars, texts and buttons lie at a fade: the bars slide in from outside
// the window and the column of buttons rises from below it.
PauseLayout pauseLayout(float fade, float width, float height)
{
    float p = fade * kFadeToFraction;
    int slide = (int)((1.0f - p) * (float)kBarArtRows);
    int below = (int)(height + (height * 0.5f - kButtonsRise));
    int resting = (int)(height * 0.5f - kButtonsRise);
    PauseLayout l;
    l.slide = slide;
    l.topBarY = -slide;
    l.bottomBarY = (int)(height - (float)kBarRows + (float)slide);
    l.titleY = kUpperLineY - slide;
    l.versionY = kLowerLineY - slide;
    l.clockRight = (int)(width - (float)kTextMargin);
    l.footer1Y = (int)(height - (float)kFooterTop + (float)slide + (float)kFooter1Offset);
    l.footer2Y = (int)(height - (float)kFooterTop + (float)slide + (float)kFooter2Offset);
    l.buttonsX = (int)(width * 0.5f);
    l.buttonsY = (int)((1.0f - p) * (float)below + p * (float)resting);
    return l;
}

// Whether the pointer is inside a button's hot area, the panel and a margin
// around it; the borders themselves do not count.
bool insideButton(int x, int y, int height, bool centred, int pointerX, int pointerY)
{
    if (centred) {
        x -= kPanelInnerWidth / 2;
        y -= height / 2;
    }
    return pointerX > x - kHotMarginBefore && pointerY > y - kHotMarginBefore &&
           pointerX < x + kPanelInnerWidth + kHotMarginAfter && pointerY < y + height + kHotMarginAfter;
}

// Escape flips the wish to have the menu open (an opening menu highlights its
// first button for the pad); true when the frame must be captured now, which
// is only when the menu opens from fully closed.
bool togglePause()
{
    pauseMenuOpen = !pauseMenuOpen;
    if (pauseMenuOpen)
        pausePadItem = 0;
    return pauseMenuOpen && pauseFade == 0.0f;
}

// Slides the overlay 5 per step towards open or closed, within 0..100.
void advancePauseFade(float step)
{
    pauseFade += pauseMenuOpen ? kFadePerPass * step : -kFadePerPass * step;
    if (pauseFade > kFadeFull)
        pauseFade = kFadeFull;
    else if (pauseFade < 0.0f)
        pauseFade = 0.0f;
}

// What a click on pause button k does; the screenshot is written at once.
void pressPauseButton(int button)
{
    if (button == kResumeButton) {
        if (pauseMenuOpen)
            playInterfaceSound(kSoundPauseClose);
        pauseMenuOpen = false;
    } else if (button == kExitButton)
        quitRequested = true;
    else if (button == kScreenshotButton)
        saveScreenshot();
    else if (button == kFrameRateButton)
        showFrameRate = !showFrameRate;
}

// Rebuilds the date and time texts from the local clock.
void updateClockText()
{
    time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    formatDateText(dateText, sizeof dateText, local);
    formatTimeText(timeText, sizeof timeText, local);
}

// The pause key or the pad's Back toggles the menu, with its sound, and B
// closes it; opening from closed captures this pass's frame (no overlay on it
// yet), which then stands in for the game's while the overlay shows: the game
// neither steps, draws nor is heard.
void updatePause(float step)
{
    int width = (int)screenWidth, height = (int)screenHeight;
    bool toggle = keyState[keyBindings[kKeyPause]] == kInputPressed || padActionState[kPadPause] == kInputPressed;
    bool back = !toggle && pauseMenuOpen && padActionState[kPadBack] == kInputPressed;
    if (toggle) {
        bool capture = togglePause();
        playInterfaceSound(pauseMenuOpen ? kSoundPauseOpen : kSoundPauseClose);
        if (capture && frameCapture)
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frameCapture);
    }
    if (back) {
        pauseMenuOpen = false;
        playInterfaceSound(kSoundPauseClose);
    }
    if (pauseFade != 0.0f && frameCapture)
        glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, frameCapture);
    advancePauseFade(step);
    pauseGameSounds(pauseFade != 0.0f);
}

// The two bars sliding in from the top and bottom edges with the title,
// version, date, time and footer lines riding on them.
void drawPauseBars()
{
    PauseLayout l = pauseLayout(pauseFade, screenWidth, screenHeight);
    int width = (int)screenWidth;
    beginOverlayDrawing();
    drawSheetPiece(topBarQuad, 0, l.topBarY, width, kBarRows);
    drawSheetPiece(bottomBarQuad, 0, l.bottomBarY, width, kBarRows);
    endOverlayDrawing();
    char version[kOverlayTextLength];
    formatVersionText(version, sizeof version, versionNumber);
    drawOverlayText(kTextMargin, l.titleY, titleText);
    drawOverlayText(kTextMargin, l.versionY, version);
    drawOverlayText(textEndingAt(l.clockRight, dateText), l.titleY, dateText);
    drawOverlayText(textEndingAt(l.clockRight, timeText), l.versionY, timeText);
    drawOverlayText(kTextMargin, l.footer1Y, footerText1);
    drawOverlayText(kTextMargin, l.footer2Y, footerText2);
}

// The four pause buttons, rising with the overlay; they answer clicks and
// the pad while sliding as well as at rest. The stick or d-pad moves the
// pad's highlight.
void runPauseMenu()
{
    PauseLayout l = pauseLayout(pauseFade, screenWidth, screenHeight);
    pausePadItem = stepHighlight(pausePadItem, padMenuStep, kPauseButtons);
    for (int k = 0; k < kPauseButtons; k++) {
        const char* label = k == kFrameRateButton && showFrameRate ? kHideFrameRateLabel : kPauseButtonLabels[k];
        if (overlayButton(l.buttonsX, l.buttonsY + kPauseButtonSpacing * k, kPauseButtonHeight, true, true,
                          label, k == pausePadItem))
            pressPauseButton(k);
    }
}

// Draws a panel with its text centred, highlighted under the pointer (or as
// the pad's choice, padHot, when the pad was used last); true when the left
// button (or A) went down on it this pass. Centred: placed by its middle.
bool overlayButton(int x, int y, int height, bool centred, bool interactive, const char* text, bool padHot)
{
    if (centred) {
        x -= kPanelInnerWidth / 2;
        y -= height / 2;
    }
    bool hot = interactive && (padDrivesHighlight ? padHot : insideButton(x, y, height, false, mouseX, mouseY));
    bool clicked = hot && (padDrivesHighlight ? padActionState[kPadChoose] == kInputPressed
                                              : mouseButtonState[kLeftButton] == kInputPressed);
    drawPanel(x, y, height, hot ? 1 : 0);
    drawOverlayText(textCentredOn(x + kPanelInnerWidth / 2, text), y + height / 2 - kLineHeight / 2, text);
    return clicked;
}

// The measured frame rate in a small panel at the top-left corner.
static void drawFrameRate()
{
    char text[kOverlayTextLength];
    snprintf(text, sizeof text, "%s%f", kFrameRateLabel, framesPerSecond);
    drawPanel(kFrameRateX, kFrameRateY, kFrameRateHeight, 0);
    drawOverlayText(textCentredOn(kFrameRateX + kPanelInnerWidth / 2, text), kFrameRateTextY, text);
}

// One overlay pass, after the game's frame: pacing, clock, pause state and
// frozen picture, frame rate, bars and buttons, and last of all the pointer,
// from the second pass on and only while the mouse is over the window.
void overlayFrame()
{
    measureFrame();
    updateClockText();
    updatePause(1.0f);
    if (showFrameRate)
        drawFrameRate();
    if (pauseFade != 0.0f) {
        drawPauseBars();
        runPauseMenu();
    }
    windowHasMouse = (SDL_GetAppState() & SDL_APPMOUSEFOCUS) != 0;
    if (overlayRunning && windowHasMouse)
        drawPointer(mouseX, mouseY);
    overlayRunning = true;
}
