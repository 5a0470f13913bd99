// The options screen: the page's title, its rows with their values, the
// highlighted row's band, the note line, and on the pad's page a live
// picture of both sticks with the dead zone. Laid out in the menus' space
// (800 units tall, y down) by the same numbers the options' logic uses to
// find the row under the pointer.
#include "render/optionsmenu.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "options/options.h"
#include "render/draw.h"

// ---- Constants --------------------------------------------------------------

static const float kLabelIndent = 50.0f;      // labels start this far from the left edge
static const float kTextScale = 1.2f;         // glyph scale at text size 1, as the main menu's
static const float kStickBox = 140.0f;        // side of one stick's square
static const float kStickGap = 40.0f;         // between the two squares and from the right edge
static const float kStickTop = 180.0f;        // top of the squares
static const float kStickDot = 12.0f;         // side of the dot where the stick points
static const float kFrame = 3.0f;             // the squares' frame
static const float kGlyphAdvance = 0.7f;      // pen advance per glyph, a share of its drawn width
static const float kNoteMargin = 10.0f;       // between the note line and the bottom edge

// ---- Functions --------------------------------------------------------------

// Menu space: 800 units tall, 800 * aspect wide, centred, y downward.
static void loadOptionsView(float aspect)
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    float halfWidth = kOptionsHalfHeight * aspect;
    gluOrtho2D(-halfWidth, halfWidth, kOptionsHalfHeight, -kOptionsHalfHeight);
}

// One stick's square: its frame, the dead zone in its middle, and a dot
// where the stick is (x, y raw, -32768..32767, y down).
static void drawStick(float left, int32_t x, int32_t y)
{
    float half = kStickBox * 0.5f, middleX = left + half, middleY = kStickTop + half;
    fillEdgeRect(left - kFrame, kStickTop - kFrame, left + kStickBox + kFrame, kStickTop + kStickBox + kFrame);
    fillDarkRect(left, kStickTop, left + kStickBox, kStickTop + kStickBox);
    float zone = half * (float)optionsChosen.deadZone / 100.0f;
    fillBrightRect(middleX - zone, middleY - zone, middleX + zone, middleY + zone);
    float dotX = middleX + (float)x / (float)kPadAxisHighest * half;
    float dotY = middleY + (float)y / (float)kPadAxisHighest * half;
    fillEdgeRect(dotX - kStickDot * 0.5f, dotY - kStickDot * 0.5f, dotX + kStickDot * 0.5f, dotY + kStickDot * 0.5f);
}

// Draws the whole screen; sticks holds the pad's walking and aiming axes.
// Values stand at the middle (a click left of it lowers, right of it
// raises), or after a label too long for the left half.
void drawOptionsScreen(float aspect, const int32_t* sticks)
{
    loadOptionsView(aspect);
    float halfWidth = kOptionsHalfHeight * aspect;
    float scale = kTextScale * optionsChosen.textSize;
    float rowHeight = kOptionsRowHeight * optionsChosen.textSize;
    char label[kOptionTextLength], value[kOptionTextLength];
    fillDarkRect(-halfWidth, -kOptionsHalfHeight, halfWidth, kOptionsHalfHeight);
    optionsTitle(label);
    drawText(kLabelIndent - halfWidth, kOptionsTitleTop, label, scale);
    int32_t shown = optionsVisibleRows();
    for (int32_t i = 0; i < shown && optionsFirstRow + i < optionsRowCount; i++) {
        int32_t row = optionsFirstRow + i;
        float top = kOptionsFirstRowTop + rowHeight * (float)i;
        if (row == optionsHighlight)
            fillBrightRect(-halfWidth, top, halfWidth, top + rowHeight);
        optionRowText(row, label, value);
        drawText(kLabelIndent - halfWidth, top, label, scale);
        float labelEnd = kLabelIndent - halfWidth + (float)(strlen(label) + 1) * glyphWidth * scale * kGlyphAdvance;
        drawText(labelEnd > 0.0f ? labelEnd : 0.0f, top, value, scale);
    }
    if (optionsPage == kPagePad) {
        drawStick(halfWidth - 2.0f * (kStickBox + kStickGap), sticks[0], sticks[1]);
        drawStick(halfWidth - (kStickBox + kStickGap), sticks[2], sticks[3]);
    }
    optionsNoteText(label);
    drawText(kLabelIndent - halfWidth, kOptionsHalfHeight - kNoteMargin - rowHeight, label, scale);
}
