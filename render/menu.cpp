// The main menu: an immediate-mode list of entries over a dark background,
// laid out, drawn and tested afresh in every pass.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <cmath>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "app/pad.h"
#include "app/settings.h"
#include "app/sound.h"
#include "render/draw.h"
#include "render/view.h"

// ---- Constants --------------------------------------------------------------

const float kMenuHalfHeight = 400.0f;   // the menu view runs from -400 (top) to 400 (bottom)
const float kTitleY = -300.0f;          // centre of the title picture
const float kTitleWidth = 700.0f;
const float kTitleHeight = 175.0f;
const float kFirstEntryTop = -200.0f;   // top of entry 0's band
const float kEntryHeight = 30.0f;       // height of one entry's band
const float kLabelIndent = 50.0f;       // labels start this far from the left edge
const float kLabelScale = 1.2f;
const int32_t kTitleMenuEntries = 2;    // "Start a new game", "Load game"
const int32_t kGameMenuEntries = 4;     // "Resume", "Start a new game", "Save game", "Load game"

// ---- Globals ----------------------------------------------------------------

int32_t menuHotItem = 0;
int32_t menuItemCursor = 0;
int32_t menuPadItem = 0;

// ---- Functions --------------------------------------------------------------

// The entry band under a cursor height: window pixels become menu units
// (-400 at the top, 400 at the bottom), then whole entries from entry 0's top.
int32_t menuItemAt(int32_t cursorY, float windowHeight)
{
    float menuY = (float)cursorY / windowHeight * (2.0f * kMenuHalfHeight) - kMenuHalfHeight;
    return (int32_t)floorf((menuY - kFirstEntryTop) / kEntryHeight);
}

// Reads the pointer for this menu pass: the entry under the cursor's height
// becomes hot, and only a left press in this very pass counts as a click.
bool readMenuPointer()
{
    menuHotItem = menuItemAt(mouseY, screenHeight);
    return mouseButtonState[SDL_BUTTON_LEFT] == kInputPressed;
}

// Moves the pad's highlight among the entries by the stick or d-pad. While
// the pad was used more lately than the mouse its entry is hot and only A
// chooses; otherwise the mouse's click stands.
bool readMenuPad(int32_t entries, bool click)
{
    menuPadItem = stepHighlight(menuPadItem, padMenuStep, entries);
    if (!padDrivesHighlight)
        return click;
    menuHotItem = menuPadItem;
    return padActionState[kPadChoose] == kInputPressed;
}

// Menu space: 800 units tall, 800 * aspectRatio wide, centred, y downward.
static void loadMenuView()
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    float halfWidth = kMenuHalfHeight * aspectRatio;
    gluOrtho2D(-halfWidth, halfWidth, kMenuHalfHeight, -kMenuHalfHeight);
}

// Draws the next entry, highlighted across the whole width when the cursor is
// on its band; true when it was clicked in this pass.
bool menuButton(const char* label, bool click)
{
    int32_t i = menuItemCursor;
    float top = kEntryHeight * (float)i + kFirstEntryTop;
    float halfWidth = kMenuHalfHeight * aspectRatio;
    if (i == menuHotItem)
        fillBrightRect(-halfWidth, top, halfWidth, top + kEntryHeight);
    drawText(kLabelIndent - halfWidth, top, label, kLabelScale);
    menuItemCursor = i + 1;
    return i == menuHotItem && click;
}

// The title or in-game menu: background, title, and the entries of this state,
// with a tick when the pointer moves onto an entry and a click on a choice.
// A left press in this pass or A chooses the hot entry, B resumes; the choice
// goes back to the game flow, and the pad's highlight restarts at the top.
int runMainMenu()
{
    loadMenuView();
    float halfWidth = kMenuHalfHeight * aspectRatio;
    fillDarkRect(-halfWidth, -kMenuHalfHeight, halfWidth, kMenuHalfHeight);
    drawSprite(0.0f, kTitleY, kTitleWidth, kTitleHeight, true, 0.0f, titleFrame);
    bool click = readMenuPad(gameState == kStateGameMenu ? kGameMenuEntries : kTitleMenuEntries,
                             readMenuPointer());
    menuItemCursor = 0;
    int choice = kMenuNothing;
    if (gameState == kStateGameMenu && menuButton("Resume", click))
        choice = kMenuResume;
    if (menuButton("Start a new game", click))
        choice = kMenuNewGame;
    else if (gameState == kStateGameMenu && menuButton("Save game", click))
        choice = kMenuSaveGame;
    if (menuButton("Load game", click))
        choice = kMenuLoadGame;
    if (choice == kMenuNothing && gameState == kStateGameMenu && padActionState[kPadBack] == kInputPressed)
        choice = kMenuResume;
    if (choice != kMenuNothing)
        menuPadItem = 0;
    playMenuSounds(menuHotItem, menuItemCursor, choice != kMenuNothing);
    return choice;
}
