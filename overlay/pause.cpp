// The overlay's work in each pass: the clock texts, the pause menu sliding in
// over a frozen picture, the frame-rate line and the pointer. The game flow
// says what to show; the overlay draws it and reports the button chosen.
#include <GL/gl.h>
#include <cstdio>
#include <cstring>

#include "overlay/overlay.h"
#include "platform/settings.h"
#include "render/menu.h"

// ---- Constants --------------------------------------------------------------

static const char* const kWeekdays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                                         "Saturday"};
static const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
static const char* const kOrdinalDays[32] = {
    "",     "1st",  "2nd",  "3rd",  "4th",  "5th",  "6th",  "7th",  "8th",  "9th",  "10th",
    "11th", "12th", "13th", "14th", "15th", "16th", "17th", "18th", "19th", "20th", "21st",
    "22nd", "23rd", "24th", "25th", "26th", "27th", "28th", "29th", "30th", "31st"};
static const char* const kFrameRateLabel = "frames per second: ";

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
static const float kButtonsRiseGrowth = 75.0f;  // and this much higher per text size above 1
static const int kHotMarginBefore = 14;       // the hot area reaches this far left of and above a panel
static const int kHotMarginAfter = 13;        // and this far right of and below it
static const int kCharWidth = 10;             // overlay texts count 10 pixels a character
static const int kLineHeight = 20;
static const int kFrameRateX = 25, kFrameRateY = 25, kFrameRateHeight = 10;
static const int kFrameRateTextY = 20;

// ---- Globals ----------------------------------------------------------------

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
    int resting = (int)(height * 0.5f - (kButtonsRise + kButtonsRiseGrowth * (textSize - 1.0f)));
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

// Whether the pointer is inside the hot area of a panel whose inner area is
// width x height from (x, y): the panel and a margin around it.
static bool insideArea(int x, int y, int width, int height, int pointerX, int pointerY)
{
    return pointerX > x - kHotMarginBefore && pointerY > y - kHotMarginBefore &&
           pointerX < x + width + kHotMarginAfter && pointerY < y + height + kHotMarginAfter;
}

// The inner width of a button for its text at a text size: 300, or whole
// pieces enough for the text and a piece either side when that is wider.
int buttonWidth(const char* text, float size)
{
    int needed = (int)((float)(kCharWidth * (int)strlen(text)) * size) + 2 * kPanelPieceWidth;
    int pieces = (needed + kPanelPieceWidth - 1) / kPanelPieceWidth;
    return pieces * kPanelPieceWidth > kPanelInnerWidth ? pieces * kPanelPieceWidth : kPanelInnerWidth;
}

// Whether the pointer is inside a button's hot area, the panel and a margin
// around it; the borders themselves do not count.
bool insideButton(int x, int y, int height, bool centred, int pointerX, int pointerY)
{
    if (centred) {
        x -= kPanelInnerWidth / 2;
        y -= height / 2;
    }
    return insideArea(x, y, kPanelInnerWidth, height, pointerX, pointerY);
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

// The two bars sliding in from the top and bottom edges with the title,
// version, date, time and footer lines riding on them.
void drawPauseBars(float fade, const char* title, float version)
{
    PauseLayout l = pauseLayout(fade, screenWidth, screenHeight);
    int width = (int)screenWidth;
    beginOverlayDrawing();
    drawSheetPiece(topBarQuad, 0, l.topBarY, width, kBarRows);
    drawSheetPiece(bottomBarQuad, 0, l.bottomBarY, width, kBarRows);
    endOverlayDrawing();
    char versionText[kOverlayTextLength];
    formatVersionText(versionText, sizeof versionText, version);
    drawOverlayText(kTextMargin, l.titleY, title);
    drawOverlayText(kTextMargin, l.versionY, versionText);
    drawOverlayText(textEndingAt(l.clockRight, dateText), l.titleY, dateText);
    drawOverlayText(textEndingAt(l.clockRight, timeText), l.versionY, timeText);
    drawOverlayText(kTextMargin, l.footer1Y, footerText1);
    drawOverlayText(kTextMargin, l.footer2Y, footerText2);
}

// The pause buttons of the table, rising with the overlay; they answer clicks
// and the pad while sliding as well as at rest. The pad's moves step its
// highlight. The action of the button chosen, kMenuNothing when none.
int32_t runPauseMenu(float fade, const MenuList& buttons, const MenuInput& in)
{
    PauseLayout l = pauseLayout(fade, screenWidth, screenHeight);
    pausePadItem = stepHighlight(pausePadItem, in.highlightStep, buttons.count);
    int32_t action = kMenuNothing;
    int height = (int)((float)kPauseButtonHeight * textSize);
    int spacing = (int)((float)kPauseButtonSpacing * textSize);
    for (int k = 0; k < buttons.count; k++)
        if (overlayButton(l.buttonsX, l.buttonsY + spacing * k, height, true, true, buttons.entries[k].label,
                          k == pausePadItem, in))
            action = buttons.entries[k].action;
    return action;
}

// Draws a panel with its text centred, highlighted under the pointer (or as
// the pad's choice, padHot, when the pad was used last); true when the left
// button (or A) went down on it this pass. Centred: placed by its middle.
// The text takes the text size, and the panel widens for it if need be.
bool overlayButton(int x, int y, int height, bool centred, bool interactive, const char* text, bool padHot,
                   const MenuInput& in)
{
    int width = buttonWidth(text, textSize);
    if (centred) {
        x -= width / 2;
        y -= height / 2;
    }
    bool hot = interactive && (in.padDrives ? padHot : insideArea(x, y, width, height, in.pointerX, in.pointerY));
    bool clicked = hot && (in.padDrives ? in.choose : in.click);
    drawWidePanel(x, y, width, height, hot ? 1 : 0);
    int textLeft = x + width / 2 - (int)((float)(kCharWidth / 2 * (int)strlen(text)) * textSize);
    drawSizedOverlayText(textLeft, y + height / 2 - (int)((float)kLineHeight * textSize) / 2, text, textSize);
    return clicked;
}

// The measured frame rate in a small panel at the top-left corner.
static void drawFrameRate(float framesPerSecond)
{
    char text[kOverlayTextLength];
    snprintf(text, sizeof text, "%s%f", kFrameRateLabel, framesPerSecond);
    drawPanel(kFrameRateX, kFrameRateY, kFrameRateHeight, 0);
    drawOverlayText(textCentredOn(kFrameRateX + kPanelInnerWidth / 2, text), kFrameRateTextY, text);
}

// The frozen picture: read back when the overlay opens from closed (no
// overlay on it yet), then drawn in place of the game's while it shows.
static void freezeFrame(const OverlayPass& pass)
{
    int width = (int)screenWidth, height = (int)screenHeight;
    if (pass.capture && frameCapture)
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frameCapture);
    if (pass.frozenShown && frameCapture)
        glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, frameCapture);
}

// One overlay pass, after the game's frame: clock, frozen picture, frame
// rate, bars and buttons, and last of all the pointer, from the second pass
// on and only while the mouse is over the window. An overlay that opens
// highlights its first button for the pad. Returns the button's action.
int32_t overlayFrame(const OverlayPass& pass, const MenuList& buttons, const MenuInput& in)
{
    updateClockText();
    if (pass.opened)
        pausePadItem = 0;
    freezeFrame(pass);
    if (pass.showFrameRate)
        drawFrameRate(pass.framesPerSecond);
    int32_t action = kMenuNothing;
    if (pass.fade != 0.0f) {
        drawPauseBars(pass.fade, pass.title, pass.version);
        action = runPauseMenu(pass.fade, buttons, in);
    }
    windowHasMouse = pass.pointerShown;
    if (overlayRunning && windowHasMouse)
        drawPointer(in.pointerX, in.pointerY);
    overlayRunning = true;
    return action;
}
