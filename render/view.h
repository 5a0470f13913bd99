// The top-down world view, the heads-up display over it, and the main menu.
#pragma once

#include <cstdint>

extern int32_t menuHotItem;     // entry index under the cursor this pass; may name no entry
extern int32_t menuItemCursor;  // index the next menu entry drawn this pass will take

void renderWorld();
void drawHud();
void runMainMenu();
bool menuButton(const char* label, bool click);

// The cells around the camera that the tile, prop and wall layers draw:
// x0 <= x < x1 and y0 <= y < y1, always inside the map.
void visibleCells(int& x0, int& x1, int& y0, int& y1);

// The menu entry index at a cursor height in window pixels; negative or past
// the last entry where no entry lies.
int32_t menuItemAt(int32_t cursorY, float windowHeight);
// Sets menuHotItem from the cursor and returns whether the left button went
// down in this pass (the menu's click).
bool readMenuPointer();
