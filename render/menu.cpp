// The main menu: an immediate-mode list of entries over a dark background,
// laid out, drawn and tested afresh in every pass from the table it is given.
#include "render/menu.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>

#include "platform/settings.h"
#include "render/draw.h"

// ---- Constants --------------------------------------------------------------

const float kTitleY = -300.0f;          // centre of the title picture
const float kTitleWidth = 700.0f;
const float kTitleHeight = 175.0f;
const float kLabelScale = 1.2f;

// ---- Globals ----------------------------------------------------------------

int32_t menuHotItem = 0;
int32_t menuPadItem = 0;

// ---- Functions --------------------------------------------------------------

// The entry band under a cursor height: window pixels become menu units
// (-400 at the top, 400 at the bottom), then whole entries from entry 0's top;
// the bands grow with the text size.
int32_t menuItemAt(int32_t cursorY, float windowHeight)
{
    float menuY = (float)cursorY / windowHeight * (2.0f * kMenuHalfHeight) - kMenuHalfHeight;
    return (int32_t)floorf((menuY - kFirstEntryTop) / (kEntryHeight * textSize));
}

// Moves a highlight by step within entries 0..entries - 1, stopping at the ends.
int32_t stepHighlight(int32_t item, int32_t step, int32_t entries)
{
    int32_t next = item + step;
    if (next >= entries)
        next = entries - 1;
    return next < 0 ? 0 : next;
}

// Reads one pass's input for a menu of `entries`: the entry under the
// pointer's height becomes hot and a left press in this very pass clicks;
// the pad's highlight follows its moves, and while the pad was used more
// lately than the mouse its entry is hot and only A chooses.
bool readMenuInput(const MenuInput& in, int32_t entries)
{
    menuHotItem = menuItemAt(in.pointerY, screenHeight);
    menuPadItem = stepHighlight(menuPadItem, in.highlightStep, entries);
    if (!in.padDrives)
        return in.click;
    menuHotItem = menuPadItem;
    return in.choose;
}

// Menu space: 800 units tall, 800 * aspectRatio wide, centred, y downward.
void loadMenuView()
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    float halfWidth = kMenuHalfHeight * aspectRatio;
    gluOrtho2D(-halfWidth, halfWidth, kMenuHalfHeight, -kMenuHalfHeight);
}

// Draws entry i, highlighted across the whole width when it is hot; bands
// and labels grow with the text size.
static void drawMenuEntry(int32_t i, const char* label)
{
    float height = kEntryHeight * textSize;
    float top = height * (float)i + kFirstEntryTop;
    float halfWidth = kMenuHalfHeight * aspectRatio;
    if (i == menuHotItem)
        fillBrightRect(-halfWidth, top, halfWidth, top + height);
    drawText(kLabelIndent - halfWidth, top, label, kLabelScale * textSize);
}

// One pass of a menu: background, title and every entry of the table. A
// click (or A) on the hot entry chooses its action; otherwise B stands for
// the menu's back action. A choice sends the pad's highlight back to the top.
MenuChoice runMainMenu(const MenuList& menu, const MenuInput& in)
{
    loadMenuView();
    float halfWidth = kMenuHalfHeight * aspectRatio;
    fillDarkRect(-halfWidth, -kMenuHalfHeight, halfWidth, kMenuHalfHeight);
    drawSprite(0.0f, kTitleY, kTitleWidth, kTitleHeight, true, 0.0f, titleFrame);
    bool click = readMenuInput(in, menu.count);
    MenuChoice choice = {kMenuNothing, menuHotItem};
    for (int32_t i = 0; i < menu.count; i++) {
        drawMenuEntry(i, menu.entries[i].label);
        if (i == menuHotItem && click)
            choice.action = menu.entries[i].action;
    }
    if (choice.action == kMenuNothing && in.back)
        choice.action = menu.backAction;
    if (choice.action != kMenuNothing)
        menuPadItem = 0;
    return choice;
}
