// The top-down world view and the heads-up display over it.
#pragma once

#include <cstdint>

const int kMaxMipLevels = 16;       // mipmap levels of a texture the HUD looks into
const int kBloodVignette = 0;       // vignetteClearing entries
const int kDarknessVignette = 1;
const int kVignettes = 2;
const int32_t kHudOwnBest = -2;     // hudBestScore: the player's own best, bestKillCount
const int32_t kNoHudBest = -1;      // hudBestScore: no best score line

// The transparent middle of one vignette texture, measured once.
struct ClearMiddle {
    uint32_t texture;               // texture measured; 0 none yet
    float reach[kMaxMipLevels];     // per mipmap level: transparent within this fraction of the
                                    // picture's size from its middle, 0..0.5
};

extern float spriteCullMargin;  // pictures this close outside the view, cells, are still drawn
extern ClearMiddle vignetteClearing[kVignettes];  // the blood and darkness vignettes' clear middles
extern int32_t hudBestScore;    // the best score the HUD shows: kHudOwnBest, a score 0.., or below 0 none
extern int32_t viewLeft;        // the picture's left edge in the window, pixels (0 but when letterboxed)
extern int32_t viewBottom;      // the picture's bottom edge in the window, pixels from the bottom

void renderWorld();
void drawHud();

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
