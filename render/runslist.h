// The "Best runs" screen as drawn: a heading, the column names, one row per
// kept run (the ten best, then the run of the day), a button for what can be
// done with the chosen run and "Back". The game's flow fills the record and
// hit-tests the same rows; this only draws it.
#pragma once

#include <cstdint>

#include "sim/bestruns.h"

// ---- Constants --------------------------------------------------------------

const int kRunsListRuns = kBestRunCount + 1;   // rows of runs at most: the ten best and the day's
const int kRunsRowLength = 64;                 // bytes of one row's text, with its end byte
const float kRunsFirstRowTop = -250.0f;        // menu units: top of the first item's band
const float kRunsRowHeight = 30.0f;            // menu units: height of one item's band
const float kRunsHeadingTop = -350.0f;         // menu units: top of the heading
const float kRunsColumnsTop = -290.0f;         // menu units: top of the column names

// ---- Records ----------------------------------------------------------------

// Everything the screen shows in one pass. Items run from the top: the runs,
// the chosen run's button (when a run is chosen), then "Back".
struct RunsListView {
    int32_t runCount;                           // rows of runs, 0..kRunsListRuns
    char runText[kRunsListRuns][kRunsRowLength];  // each run's row: rank, score, time, date
    bool runFlagged[kRunsListRuns];             // the run's recording is damaged or foreign
    int32_t chosen;                             // the run the button acts on; -1 none
    const char* buttonLabel;                    // "Watch" or "Remove"; null when no run is chosen
    int32_t hot;                                // the highlighted item; may name none
};

// ---- Functions --------------------------------------------------------------

float runsItemTop(int32_t item);
void drawRunsList(const RunsListView& view);
