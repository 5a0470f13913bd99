// The pixel-space layer over everything: the dashboard sheet and its pieces,
// overlay text, panels and the pointer; the pause menu over a frozen frame,
// the frame-rate line; and screenshots of the frozen frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <vector>

#include "render/draw.h"
#include "render/menu.h"

// One piece of the dashboard sheet: its texture coordinates in drawSprite's
// corner order (left-bottom, right-bottom, right-top, left-top).
using SheetQuad = SpriteFrame;

const int kOverlayGlyphs = 95;        // character codes 32..126
const int kPanelPieces = 27;          // 3 styles x 3 columns x 3 rows
const int kOverlayTextLength = 256;   // room of every overlay text, its zero included
const int kPanelInnerWidth = 300;     // a panel's inner area: 15 pieces wide, wider only for bigger text
const int kPanelPieceWidth = 20;      // inner widths are whole pieces
const int kPanelBorder = 20;          // width of the frame around a panel's inner area
const int kPauseButtonHeight = 15;    // inner height of a pause-menu button
const int kPauseButtonSpacing = 50;   // rows from one pause button's centre to the next

// Where a panel lies, in window pixels: the inner area starts at column left
// and row top and is height rows tall; it is made of fullRows rows of 20-pixel
// pieces and one row squeezed to restHeight (0..19).
struct PanelFrame {
    int left, top, height;
    int fullRows, restHeight;
};

// What the game flow asks the overlay to show in one pass.
struct OverlayPass {
    float fade;               // 0..100 after this pass's slide: 0 closed, 100 fully open
    bool capture;             // read this pass's picture back before drawing anything
    bool opened;              // the pause menu opened in this pass
    bool frozenShown;         // the captured picture stands in for the game's
    bool showFrameRate;       // draw the frame-rate line
    float framesPerSecond;    // the rate it shows
    bool pointerShown;        // the window has the mouse
    const char* title;        // the title on the top bar
    float version;            // the version under it
};

// Where the pause overlay's parts lie for one slide position, window pixels.
struct PauseLayout {
    int slide;            // how far the bars still lie outside the window: 68 closed, 0 open
    int topBarY;          // top row of the top bar (60 rows tall)
    int bottomBarY;       // top row of the bottom bar
    int titleY;           // title, then version, at column 20
    int versionY;
    int clockRight;       // the date and time texts end on this column
    int footer1Y;         // the two bottom-bar lines, at column 20
    int footer2Y;
    int buttonsX;         // the pause buttons are centred on this column
    int buttonsY;         // centre row of the first pause button
};

extern uint32_t dashboardTexture;                  // GL name of the 1024 x 256 overlay sheet, 0 if none
extern SheetQuad overlayGlyphQuads[kOverlayGlyphs]; // entry c - 32 is the glyph of character c
extern SheetQuad panelPieceQuads[kPanelPieces];    // entry 9 style + 3 column + row
extern SheetQuad pointerQuad;                      // the pointer, its tip 12 right, 10 down
extern SheetQuad topBarQuad;                       // pause overlay's top bar art
extern SheetQuad bottomBarQuad;                    // pause overlay's bottom bar art
extern uint8_t* frameCapture;       // RGBA window picture, rows bottom-up; null if it could not be had
extern uint8_t* screenshotPixels;   // RGB rows top-down, the capture made upright for encoding

extern char dateText[kOverlayTextLength];     // "Saturday December 5th 2026", rebuilt every pass
extern char timeText[kOverlayTextLength];     // "4:07:09 PM", rebuilt every pass
extern char footerText1[kOverlayTextLength];  // first bottom-bar line (empty)
extern char footerText2[kOverlayTextLength];  // second bottom-bar line
extern bool windowHasMouse;         // the window had the mouse focus in this pass
extern bool overlayRunning;         // at least one overlay pass has ended
extern int32_t pausePadItem;        // pause button the pad highlights, from 0; 0 when the menu opens

// Sheet and drawing primitives.
SheetQuad makeSheetQuad(int x, int y, int width, int height);
void buildSheetQuads();
uint32_t loadDashboardSheet(const char* path);
void initOverlay();
void releaseOverlaySheet();
void reloadOverlay();
void beginOverlayDrawing();
void endOverlayDrawing();
void drawSheetPiece(const SheetQuad& piece, int x, int y, int width, int height);
void drawOverlayText(int x, int y, const char* text);
void drawSizedOverlayText(int x, int y, const char* text, float size);
PanelFrame panelFrame(int x, int y, int height);
void drawPanel(int x, int y, int height, int style);
void drawWidePanel(int x, int y, int width, int height, int style);
void drawPointer(int x, int y);

// Pause menu and frame-rate line.
void formatDateText(char* out, size_t size, const struct tm& local);
void formatTimeText(char* out, size_t size, const struct tm& local);
void formatVersionText(char* out, size_t size, float version);
PauseLayout pauseLayout(float fade, float width, float height);
bool insideButton(int x, int y, int height, bool centred, int pointerX, int pointerY);
int32_t overlayFrame(const OverlayPass& pass, const MenuList& buttons, const MenuInput& in);
void updateClockText();
void drawPauseBars(float fade, const char* title, float version);
int32_t runPauseMenu(float fade, const MenuList& buttons, const MenuInput& in);
bool overlayButton(int x, int y, int height, bool centred, bool interactive, const char* text, bool padHot,
                   const MenuInput& in);
int buttonWidth(const char* text, float size);

// Screenshots.
void uprightCapture(const uint8_t* capture, int width, int height, uint8_t* rgb);
unsigned encodeScreenshot(const uint8_t* rgb, int width, int height, std::vector<unsigned char>& png);
bool writeNewScreenshot(const std::vector<unsigned char>& png, char* name, size_t nameSize);
bool saveCaptureAsPng(const uint8_t* capture, int width, int height, uint8_t* rgb);
bool saveScreenshot();
