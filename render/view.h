// The top-down world view, the heads-up display over it, and the main menu.
#pragma once

#include <cstdint>

const int kMaxMipLevels = 16;       // mipmap levels of a texture the HUD looks into
const int kBloodVignette = 0;       // vignetteClearing entries
const int kDarknessVignette = 1;
const int kVignettes = 2;

// The layers of a frame of play, in drawing order: the world's, then the HUD's.
const int kLayerTiles = 0;          // floor and wall pictures of the cells
const int kLayerDecals = 1;         // blood and corpses on the ground
const int kLayerActors = 2;         // aim points, explosions, shots, explosives, actors, props
const int kLayerWalls = 3;          // wall outlines and fills
const int kLayerOverlays = 4;       // the blood and darkness vignettes
const int kLayerHud = 5;            // energy and health bars
const int kLayerText = 6;           // bar labels and kill counts
const int kLayers = 7;

// The transparent middle of one vignette texture, measured once.
struct ClearMiddle {
    uint32_t texture;               // texture measured; 0 none yet
    float reach[kMaxMipLevels];     // per mipmap level: transparent within this fraction of the
                                    // picture's size from its middle, 0..0.5
};

extern int32_t menuHotItem;     // entry index under the cursor this pass; may name no entry
extern int32_t menuItemCursor;  // index the next menu entry drawn this pass will take
extern int32_t menuPadItem;     // entry the pad highlights, from 0; back to 0 once an entry is chosen
extern float spriteCullMargin;  // pictures this close outside the view, cells, are still drawn
extern ClearMiddle vignetteClearing[kVignettes];  // the blood and darkness vignettes' clear middles

void renderWorld();
void drawHud();
void drawLayer(int layer);         // one layer of renderWorld's frame, in its view
void drawHudLayer(int layer);      // one of the HUD's layers, in HUD space
int runMainMenu();
bool menuButton(const char* label, bool click);

// The cells around the camera that the tile, prop and wall layers draw:
// x0 <= x < x1 and y0 <= y < y1, always inside the map.
void visibleCells(int& x0, int& x1, int& y0, int& y1);

// True when a picture reaching `reach` cells from (x, y), however turned, lies
// wholly outside the view (widened by spriteCullMargin).
bool outsideView(float x, float y, float reach);

// The menu entry index at a cursor height in window pixels; negative or past
// the last entry where no entry lies.
int32_t menuItemAt(int32_t cursorY, float windowHeight);

// Left and right edge, in HUD units, of the bars of player `player` out of
// `players` on a screen of the given aspect ratio.
void hudBarSpan(int player, int players, float aspect, float& left, float& right);
// Measures the clear middle of every mipmap level of a vignette texture, once
// per texture (drawHud calls it; a texture of 0 in the record asks for a new measure).
void measureClearMiddle(ClearMiddle& clearing, uint32_t texture);
// Size of the blood vignette in screens at the first player's health.
float bloodOverlayScale(float health);
// Whole window pixels (columns x0..x1, rows y0..y1 from the bottom) inside the
// HUD rectangle of half-size hx by hy around the screen's middle.
void hudClearPixels(float hx, float hy, int& x0, int& x1, int& y0, int& y1);
// Sets menuHotItem from the cursor and returns whether the left button went
// down in this pass (the menu's click).
bool readMenuPointer();
// Moves the pad's highlight within `entries`; when the pad was used last, makes
// its entry hot and returns whether A went down, else returns `click`.
bool readMenuPad(int32_t entries, bool click);
