// The run panel on the title: placed from the window's shape and the number
// of entries above it, then drawn as a framed dark box with its lines.
#include "render/runpanel.h"

#include <cmath>
#include <cstring>

#include "platform/settings.h"
#include "render/draw.h"
#include "render/menu.h"

// ---- Constants --------------------------------------------------------------

static const float kGlyphAdvance = 0.7f;     // drawText moves on by this share of a glyph's width
static const char* const kPanelHeading = "Your last run";

// ---- Functions --------------------------------------------------------------

// How wide drawText makes a line at a scale, in menu units: every glyph but
// the last advances by part of its width, the last covers all of it.
float menuTextWidth(const char* text, float scale)
{
    size_t n = strlen(text);
    if (n == 0)
        return 0.0f;
    return ((float)(n - 1) * kGlyphAdvance + 1.0f) * glyphWidth * scale;
}

// The panel's box for a window of the given aspect ratio under a title of
// `entries` entries, its widest line being widestLine units at scale 1. It
// starts under the last entry's band, lined up with the labels, and its text
// shrinks only as far as it must to stay inside the view.
PanelPlace runPanelPlace(float aspect, int32_t entries, float widestLine)
{
    float halfWidth = kMenuHalfHeight * aspect;
    PanelPlace p;
    p.left = kLabelIndent - halfWidth;
    p.top = kFirstEntryTop + kEntryHeight * (float)(entries > 0 ? entries : 0) + kPanelGap;
    float fullWidth = widestLine + 2.0f * kPanelPadding;
    float fullHeight = kPanelLinePitch * (float)kPanelRows + 2.0f * kPanelPadding;
    float roomWidth = halfWidth - kPanelMargin - p.left;
    float roomHeight = kMenuHalfHeight - kPanelMargin - p.top;
    p.scale = fminf(1.0f, fminf(roomWidth / fullWidth, roomHeight / fullHeight));
    if (!(p.scale > 0.0f))
        p.scale = 0.0f;
    p.right = p.left + fullWidth * p.scale;
    p.bottom = p.top + fullHeight * p.scale;
    return p;
}

// Draws the panel of a run that ended under the title's entries, in the
// menu's view, which the title menu has just loaded.
void drawRunPanel(const RunStats& stats, int32_t best, int32_t entries)
{
    char lines[kRunPanelLines][kRunPanelLineLength];
    runPanelLines(stats, best, lines);
    float widest = menuTextWidth(kPanelHeading, 1.0f);
    for (int i = 0; i < kRunPanelLines; i++)
        widest = fmaxf(widest, menuTextWidth(lines[i], 1.0f));
    PanelPlace p = runPanelPlace(aspectRatio, entries, widest);
    if (p.scale <= 0.0f)
        return;
    fillEdgeRect(p.left - kPanelFrame, p.top - kPanelFrame, p.right + kPanelFrame, p.bottom + kPanelFrame);
    fillDarkRect(p.left, p.top, p.right, p.bottom);
    float x = p.left + kPanelPadding * p.scale;
    float y = p.top + kPanelPadding * p.scale;
    drawText(x, y, kPanelHeading, p.scale);
    for (int i = 0; i < kRunPanelLines; i++)
        drawText(x, y + kPanelLinePitch * p.scale * (float)(i + 1), lines[i], p.scale);
}
