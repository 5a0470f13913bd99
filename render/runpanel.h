// The panel on the title that shows how the run that just ended went: its
// score against the best, time survived and the rest of its figures. It sits
// under the title's entries, in rows no entry uses, so neither a label nor
// the full-width highlight of a hot entry ever meets it, at any window shape.
#pragma once

#include <cstdint>

#include "sim/runstats.h"

// ---- Constants --------------------------------------------------------------

const float kPanelGap = 20.0f;          // menu units between the last entry's band and the panel
const float kPanelMargin = 20.0f;       // menu units kept free at the view's right and bottom edges
const float kPanelPadding = 12.0f;      // menu units inside the panel's frame, at text scale 1
const float kPanelLinePitch = 30.0f;    // menu units from one line's top to the next, at text scale 1
const float kPanelFrame = 3.0f;         // menu units of the frame around the panel
const int kPanelRows = kRunPanelLines + 1;  // a heading, then the run's lines

// ---- Records ----------------------------------------------------------------

// Where the panel goes, in menu units (y down), and the scale of its text.
struct PanelPlace {
    float left, top, right, bottom;
    float scale;        // text scale, 0..1: 1 unless the window is too narrow
};

// ---- Functions --------------------------------------------------------------

float menuTextWidth(const char* text, float scale);
PanelPlace runPanelPlace(float aspect, int32_t entries, float widestLine);
void drawRunPanel(const RunStats& stats, int32_t best, int32_t entries);
