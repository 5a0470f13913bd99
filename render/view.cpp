// Placeholder until the world view and menu land.
#include "render/view.h"

int32_t menuHotItem = 0;
int32_t menuItemCursor = 0;

void renderWorld() {}
void drawHud() {}
void runMainMenu() {}
bool menuButton(const char*, bool) { return false; }
