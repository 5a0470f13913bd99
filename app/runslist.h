// The "Best runs" screen's logic: which item is lit and which run is chosen,
// from one pass's input record, and the action it comes to. Choosing a run
// offers what can be done with it ("Watch" for a sound recording, "Remove"
// for a damaged or foreign one); the flow acts on the action returned. It
// draws nothing and reads no live input, so it runs without a window.
#pragma once

#include <cstdint>

#include "render/runslist.h"

// ---- Constants --------------------------------------------------------------

// Actions of the screen's items.
const int32_t kRunsNothing = 0;
const int32_t kRunsOffer = 21;     // a run was chosen: its button is offered
const int32_t kRunsWatch = 22;     // watch the chosen run
const int32_t kRunsRemove = 23;    // remove the chosen run and its recording
const int32_t kRunsBack = 24;      // back to the title

// ---- Records ----------------------------------------------------------------

// What the screen reads in one pass, filled from live input.
struct RunsListInput {
    int32_t pointerY;       // window pixels from the top
    float windowHeight;     // pixels
    bool pointerMoved;      // the mouse moved: the item under it becomes lit
    bool click;             // the left button went down in this pass
    int32_t step;           // the arrow keys or the pad moved the light: -1 up, 1 down, 0 stays
    bool choose;            // Return or A went down in this pass
    bool back;              // Escape, the pause key or B went down in this pass
};

// ---- Globals ----------------------------------------------------------------

extern int32_t runsListHot;     // lit item: the runs from 0, the button, then "Back"; -1 none
extern int32_t runsListChosen;  // the run the button acts on (a row of the list), -1 none

// ---- Functions --------------------------------------------------------------

void openRunsList();
int32_t runsListRows();
RunEntry* runsListRun(int32_t row);
int32_t runsListItems();
int32_t runsItemAt(int32_t cursorY, float windowHeight);
int32_t runsListPass(const RunsListInput& in);
void runsListView(RunsListView& view);
