// The "Best runs" screen: a list of rows in the menu's view, the hot item
// lit across the width as the main menu lights its entries.
#include "render/runslist.h"

#include <cmath>

#include "platform/settings.h"
#include "render/draw.h"
#include "render/menu.h"

// ---- Constants --------------------------------------------------------------

static const char* const kRunsHeading = "Best runs";
static const char* const kRunsColumns = "Rank  Score      Time  Date";
static const char* const kNoRuns = "No runs kept yet: a game that ends in a death is kept here.";
static const char* const kBackLabel = "Back";
static const float kHeadingScale = 1.2f;
static const float kRowScale = 1.0f;
static const float kChosenMarkWidth = 12.0f;   // menu units of the mark left of the chosen run

// ---- Functions --------------------------------------------------------------

// The top of an item's band, in menu units.
float runsItemTop(int32_t item)
{
    return kRunsFirstRowTop + kRunsRowHeight * (float)item;
}

// One item: lit across the width when hot, its text from the labels' indent.
static void drawRunsItem(int32_t item, const char* text, bool hot)
{
    float top = runsItemTop(item);
    float halfWidth = kMenuHalfHeight * aspectRatio;
    if (hot)
        fillBrightRect(-halfWidth, top, halfWidth, top + kRunsRowHeight);
    drawText(kLabelIndent - halfWidth, top + 2.0f, text, kRowScale);
}

// Draws the whole screen from its record: background, heading, column names,
// the runs (a damaged or foreign one says so in its row), the chosen run
// marked, its button and "Back".
void drawRunsList(const RunsListView& view)
{
    loadMenuView();
    float halfWidth = kMenuHalfHeight * aspectRatio;
    fillDarkRect(-halfWidth, -kMenuHalfHeight, halfWidth, kMenuHalfHeight);
    drawText(kLabelIndent - halfWidth, kRunsHeadingTop, kRunsHeading, kHeadingScale);
    drawText(kLabelIndent - halfWidth, kRunsColumnsTop, view.runCount > 0 ? kRunsColumns : kNoRuns, kRowScale);
    int32_t item = 0;
    for (; item < view.runCount; item++) {
        drawRunsItem(item, view.runText[item], item == view.hot);
        if (item == view.chosen) {
            float top = runsItemTop(item);
            fillEdgeRect(kLabelIndent - halfWidth - 2.0f * kChosenMarkWidth, top + kChosenMarkWidth,
                         kLabelIndent - halfWidth - kChosenMarkWidth, top + kRunsRowHeight - kChosenMarkWidth);
        }
    }
    if (view.buttonLabel != nullptr) {
        drawRunsItem(item, view.buttonLabel, item == view.hot);
        item++;
    }
    drawRunsItem(item, kBackLabel, item == view.hot);
}
