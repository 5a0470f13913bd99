// The "Best runs" screen: its rows are the kept runs as sim/bestruns holds
// them (the ten best, then the run of the day), then a button for the chosen
// run, then "Back".
#include "app/runslist.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "render/menu.h"
#include "sim/runstats.h"

// ---- Constants --------------------------------------------------------------

static const char* const kWatchLabel = "Watch";
static const char* const kRemoveLabel = "Remove";
static const char* const kDayRank = "Day";
static const int kDateLength = 16;            // "2026-01-01", with room

// ---- Globals ----------------------------------------------------------------

int32_t runsListHot = -1;
int32_t runsListChosen = -1;

// ---- Functions --------------------------------------------------------------

// A fresh look at the list: nothing lit, nothing chosen.
void openRunsList()
{
    runsListHot = -1;
    runsListChosen = -1;
}

// Rows of runs: the ten best and the run of the day, when there is one.
int32_t runsListRows()
{
    return bestRunCount + (hasDayRun ? 1 : 0);
}

// The kept run a row shows; null for a row past the runs.
RunEntry* runsListRun(int32_t row)
{
    if (row >= 0 && row < bestRunCount)
        return &bestRuns[row];
    if (row == bestRunCount && hasDayRun)
        return &dayRun;
    return nullptr;
}

// Items in the list: the rows, the chosen run's button, "Back".
int32_t runsListItems()
{
    return runsListRows() + (runsListChosen >= 0 ? 1 : 0) + 1;
}

// The item whose band holds a cursor height in window pixels (menu units run
// from -400 at the top to 400 at the bottom); may name no item.
int32_t runsItemAt(int32_t cursorY, float windowHeight)
{
    float menuY = (float)cursorY / windowHeight * (2.0f * kMenuHalfHeight) - kMenuHalfHeight;
    return (int32_t)floorf((menuY - kRunsFirstRowTop) / kRunsRowHeight);
}

// Moves the light by step within items 0..items - 1, stopping at the ends;
// from no item, any move lights the first.
static int32_t moveLight(int32_t item, int32_t step, int32_t items)
{
    int32_t next = item < 0 ? 0 : item + step;
    if (next >= items)
        next = items - 1;
    return next < 0 ? 0 : next;
}

// A run whose recording cannot be watched: damaged or foreign.
static bool runFlagged(const RunEntry& run)
{
    return run.status == kRunDamaged || run.status == kRunForeign;
}

// What choosing an item comes to: a run is chosen and its button offered
// (lit, when the keys or the pad chose it); the button watches or removes;
// "Back" goes back.
static int32_t chooseItem(int32_t item, bool movesLight)
{
    int32_t rows = runsListRows();
    if (item < rows) {
        runsListChosen = item;
        if (movesLight)
            runsListHot = rows;
        return kRunsOffer;
    }
    if (runsListChosen >= 0 && item == rows) {
        const RunEntry* run = runsListRun(runsListChosen);
        return run != nullptr && runFlagged(*run) ? kRunsRemove : kRunsWatch;
    }
    return kRunsBack;
}

// One pass: the pointer lights the item under it when it moves or clicks,
// the arrows and the pad move the light within the items, a click or Return
// or A chooses the lit item, and Escape or B goes back.
int32_t runsListPass(const RunsListInput& in)
{
    if (runsListChosen >= runsListRows())
        runsListChosen = -1;
    int32_t items = runsListItems();
    if (in.pointerMoved || in.click) {
        int32_t at = runsItemAt(in.pointerY, in.windowHeight);
        runsListHot = at >= 0 && at < items ? at : -1;
    }
    if (in.step != 0)
        runsListHot = moveLight(runsListHot, in.step, items);
    if (in.back)
        return kRunsBack;
    bool lit = runsListHot >= 0 && runsListHot < items;
    if (lit && (in.click || in.choose))
        return chooseItem(runsListHot, in.choose);
    return kRunsNothing;
}

// A kept run's row: rank (or "Day"), score, time survived and the date it
// was played (UTC); a recording that cannot be watched says so instead.
static void runRowText(int32_t row, const RunEntry& run, char* text, int size)
{
    char rank[8];
    snprintf(rank, sizeof rank, "%d", row + 1);
    const char* shown = run.kind == kRunOfTheDay ? kDayRank : rank;
    if (runFlagged(run)) {
        snprintf(text, (size_t)size, "%4s  %s", shown,
                 run.status == kRunDamaged ? "damaged recording" : "not a recording of this game");
        return;
    }
    char time[kPlayTimeLength];
    formatPlayTime(run.timeSurvived, time, sizeof time);
    char date[kDateLength] = "";
    time_t when = (time_t)run.date;
    struct tm parts = {};
    if (gmtime_r(&when, &parts) == nullptr || strftime(date, sizeof date, "%Y-%m-%d", &parts) == 0)
        date[0] = 0;
    snprintf(text, (size_t)size, "%4s  %5d  %8s  %s", shown, run.score, time, date);
}

// Fills the record the screen is drawn from.
void runsListView(RunsListView& view)
{
    view.runCount = runsListRows();
    for (int32_t row = 0; row < view.runCount; row++) {
        const RunEntry& run = *runsListRun(row);
        runRowText(row, run, view.runText[row], kRunsRowLength);
        view.runFlagged[row] = runFlagged(run);
    }
    view.chosen = runsListChosen;
    view.buttonLabel = nullptr;
    const RunEntry* chosen = runsListRun(runsListChosen);
    if (chosen != nullptr)
        view.buttonLabel = runFlagged(*chosen) ? kRemoveLabel : kWatchLabel;
    view.hot = runsListHot;
}
