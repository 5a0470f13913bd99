// The menus' input record and the main menu: a list of entries described by
// a small table, drawn over a dark background with the title. The menu keeps
// its highlight and returns what was chosen; it never reads the keyboard,
// the mouse or the pad, and never acts on a choice.
#pragma once

#include <cstdint>

const int32_t kMenuNothing = 0;      // no entry chosen in this pass
const float kMenuHalfHeight = 400.0f;   // menu units: the view runs from -400 (top) to 400 (bottom)
const float kFirstEntryTop = -200.0f;   // top of entry 0's band, menu units
const float kEntryHeight = 30.0f;       // height of one entry's band, menu units
const float kLabelIndent = 50.0f;       // labels start this far from the left edge, menu units

// What a menu reads in one pass, filled by the game from live input.
struct MenuInput {
    int32_t pointerX;     // window pixels from the left
    int32_t pointerY;     // window pixels from the top
    bool click;           // the left button went down in this pass
    int32_t highlightStep;  // the pad moved the highlight: -1 up, 1 down, 0 stays
    bool choose;          // A went down in this pass
    bool back;            // B went down in this pass
    bool padDrives;       // the pad worked a menu more lately than the mouse
};

// One entry: its label and the action it stands for (never kMenuNothing).
struct MenuEntry {
    const char* label;
    int32_t action;
};

// A whole menu: its entries from the top, and what B stands for
// (kMenuNothing when B does nothing here).
struct MenuList {
    const MenuEntry* entries;
    int32_t count;        // entries in the table, at least 1
    int32_t backAction;
};

// What one pass of a menu gave: the chosen action and the hot entry.
struct MenuChoice {
    int32_t action;       // an entry's or the back action, kMenuNothing when none
    int32_t hot;          // the highlighted entry; may name no entry
};

extern int32_t menuHotItem;     // entry index under the cursor this pass; may name no entry
extern int32_t menuPadItem;     // entry the pad highlights, from 0; back to 0 once an entry is chosen

int32_t menuItemAt(int32_t cursorY, float windowHeight);
int32_t stepHighlight(int32_t item, int32_t step, int32_t entries);
bool readMenuInput(const MenuInput& in, int32_t entries);
void loadMenuView();
MenuChoice runMainMenu(const MenuList& menu, const MenuInput& in);
