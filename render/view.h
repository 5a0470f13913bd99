// The top-down world view, the heads-up display over it, and the main menu.
#pragma once

#include <cstdint>

extern int32_t menuHotItem;     // entry index under the cursor this pass; may name no entry
extern int32_t menuItemCursor;  // index the next menu entry drawn this pass will take

void renderWorld();
void drawHud();
void runMainMenu();
bool menuButton(const char* label, bool click);
