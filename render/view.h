// The top-down world view and the heads-up display over it.
#pragma once

#include <cstdint>

const int kMaxMipLevels = 16;       // mipmap levels of a texture the HUD looks into
const int kBloodVignette = 0;       // vignetteClearing entries
const int kDarknessVignette = 1;
const int kVignettes = 2;
const int32_t kHudOwnBest = -2;     // hudBestScore: the player's own best, bestKillCount
const int32_t kNoHudBest = -1;      // hudBestScore: no best score line

// The layers of a frame of play, in drawing order: the world's, then the HUD's.
const int kLayerTiles = 0;          // floor and wall pictures of the cells
const int kLayerDecals = 1;         // blood and corpses on the ground
const int kLayerActors = 2;         // aim points, explosions, shots, explosives, actors, props
const int kLayerWalls = 3;          // wall outlines and fills
const int kLayerOverlays = 4;       // the blood and darkness vignettes
const int kLayerBars = 5;           // energy and health bars
const int kLayerText = 6;           // bar labels and kill counts
const int kLayers = 7;

// The transparent middle of one vignette texture, measured once.
struct ClearMiddle {
    uint32_t texture;               // texture measured; 0 none yet
    float reach[kMaxMipLevels];     // per mipmap level: transparent within this fraction of the
                                    // picture's size from its middle, 0..0.5
};

// The darkness vignette as one viewport shows it, read back once: each frame
// then copies it texel for pixel instead of filtering the picture again.
struct CapturedPicture {
    uint32_t texture;               // the captured colours and alphas, bottom row first; 0 none
    int loads;                      // textureLoads when captured
    int viewport[4];                // the viewport captured: x, y, width, height, window pixels
    int textureWidth, textureHeight;  // the texture's size, powers of two at least the viewport's
};

extern float spriteCullMargin;  // pictures this close outside the view, cells, are still drawn
extern ClearMiddle vignetteClearing[kVignettes];  // the blood and darkness vignettes' clear middles
extern int32_t hudBestScore;    // the best score the HUD shows: kHudOwnBest, a score 0.., or below 0 none
extern int32_t viewLeft;        // the picture's left edge in the window, pixels (0 but when letterboxed)
extern int32_t viewBottom;      // the picture's bottom edge in the window, pixels from the bottom
extern CapturedPicture darknessCapture;  // the darkness vignette at the window's size
extern bool copyCapturedDarkness;        // true: the darkness vignette is copied from darknessCapture
                                         // (same pixels); false: filtered from its picture each frame

void renderWorld();
void drawHud();
void drawLayer(int layer);          // one layer of renderWorld's frame, in its own view
void drawHudLayer(int layer);       // one of the HUD's layers (kLayerOverlays and later), in HUD space

// The cells around the camera that the tile, prop and wall layers draw:
// x0 <= x < x1 and y0 <= y < y1, always inside the map.
void visibleCells(int& x0, int& x1, int& y0, int& y1);

// True when a picture reaching `reach` cells from (x, y), however turned, lies
// wholly outside the view (widened by spriteCullMargin).
bool outsideView(float x, float y, float reach);


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
