// The heads-up display over the world view: the darkness and blood vignettes,
// each player's energy and health bars, and the kill counts.
#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdio>

#include "platform/settings.h"
#include "render/draw.h"
#include "render/view.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

const float kHudHalfHeight = 400.0f;     // HUD space runs from -400 (top) to 400 (bottom)
const float kBarMargin = 50.0f;          // per side of a player's slice, divided by the player count
const float kEnergyBarTop = 280.0f;
const float kHealthBarTop = 320.0f;
const float kBarHeight = 30.0f;
const float kBarBorder = 3.0f;
const float kEnergyLabelTop = 270.0f;    // labels sit over the upper part of their bars
const float kHealthLabelTop = 310.0f;
const float kFullMeter = 100.0f;         // energy or health that fills a bar
const float kBloodGrowthPerHealth = 0.0025f * 5.92f;  // full health: 2.48 screens
const float kCountsIndent = 50.0f;       // kill counts start this far from the left edge
const float kBestCountTop = -350.0f;
const float kKillCountTop = -320.0f;
const float kTextScale = 1.2f;
const char* const kBestCountLabel = "Most Zombies Killed: ";
const char* const kKillCountLabel = "Zombies Killed: ";

// Texels a filtered sample may reach from its point, with room for rounding.
const float kFilterReachTexels = 1.5f;
const int kMaxOverlayTexels = 1024 * 1024;   // largest overlay whose clear middle is measured
const float kSurelyEnlarged = 0.9f;          // texels per pixel below which only level 0 is sampled

// ---- Globals ----------------------------------------------------------------

ClearMiddle vignetteClearing[kVignettes] = {};

static unsigned char overlayAlpha[kMaxOverlayTexels];   // one mipmap level's alpha, read back

// ---- Functions --------------------------------------------------------------

// The bars of player `player` out of `players` fill one equal slice of the
// screen's width each, inset on both sides by 50 / players (times the aspect).
void hudBarSpan(int player, int players, float aspect, float& left, float& right)
{
    float n = (float)players;
    left = aspect * (kBarMargin / n - kHudHalfHeight + (float)player * 2.0f * kHudHalfHeight / n);
    right = left + aspect * (2.0f * kHudHalfHeight / n - 2.0f * kBarMargin / n);
}

// The blood vignette closes in as health falls: 2.48 screens at full health,
// exactly the screen at 0, never smaller.
float bloodOverlayScale(float health)
{
    float s = 1.0f + health * kBloodGrowthPerHealth;
    return s < 1.0f ? 1.0f : s;
}

// How far from the middle (as a fraction of the picture's size, each axis
// measured against its own length) one mipmap level stays fully transparent
// to a filtered sample. 0 when the level is too large to read back; the
// whole half (0.5) for a level the texture does not have, which is never sampled.
static float clearReachOfLevel(int level)
{
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    if (w <= 0 || h <= 0)
        return 0.5f;
    if (w * h > kMaxOverlayTexels)
        return 0;
    GLint savedAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &savedAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_ALPHA, GL_UNSIGNED_BYTE, overlayAlpha);
    glPixelStorei(GL_PACK_ALIGNMENT, savedAlignment);
    float reach = 0.5f;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            if (overlayAlpha[y * w + x] == 0)
                continue;
            float dx = fabsf(((float)x + 0.5f) / (float)w - 0.5f);
            float dy = fabsf(((float)y + 0.5f) / (float)h - 0.5f);
            reach = fminf(reach, fmaxf(dx, dy));
        }
    }
    float margin = kFilterReachTexels / (float)(w < h ? w : h);
    return fmaxf(reach - margin, 0.0f);
}

// Measures, once per texture, the transparent middle of every mipmap level
// of a vignette, so drawing can leave that part out.
void measureClearMiddle(ClearMiddle& clearing, uint32_t texture)
{
    if (clearing.texture == texture && texture != 0)
        return;
    clearing.texture = texture;
    for (int level = 0; level < kMaxMipLevels; level++)
        clearing.reach[level] = 0;
    if (texture == 0)
        return;
    glBindTexture(GL_TEXTURE_2D, texture);
    for (int level = 0; level < kMaxMipLevels; level++)
        clearing.reach[level] = clearReachOfLevel(level);
}

// The clear middle that holds for every mipmap level of the bound texture a
// quad of the given width in pixels may sample: only level 0 when the picture
// is enlarged, else the levels down to one past the texel-to-pixel ratio.
static float clearReachAt(const ClearMiddle& clearing, float pixelWidth)
{
    GLint texels = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texels);
    float ratio = (float)texels / pixelWidth;
    int deepest = ratio < kSurelyEnlarged ? 0 : (int)ceilf(log2f(ratio)) + 1;
    float reach = clearing.reach[0];
    for (int level = 1; level <= deepest && level < kMaxMipLevels; level++)
        reach = fminf(reach, clearing.reach[level]);
    return reach;
}

// The window pixels, as whole columns x0..x1 and rows y0..y1 counted from the
// bottom, that lie entirely inside the HUD rectangle of half-size (hx, hy)
// around the screen's middle. Empty (x1 <= x0) when none do.
void hudClearPixels(float hx, float hy, int& x0, int& x1, int& y0, int& y1)
{
    float pixelsPerUnit = screenHeight / (2.0f * kHudHalfHeight);
    x0 = (int)ceilf(screenWidth * 0.5f - hx * pixelsPerUnit);
    x1 = (int)floorf(screenWidth * 0.5f + hx * pixelsPerUnit);
    y0 = (int)ceilf(screenHeight * 0.5f - hy * pixelsPerUnit);
    y1 = (int)floorf(screenHeight * 0.5f + hy * pixelsPerUnit);
}

// Draws the full-screen-centred quad only in the four bands around the pixels
// (x0..x1, y0..y1) where every sample is transparent and fails the alpha
// test anyway. Each band draws the same quad under a scissor, so the pixels
// drawn are exactly those the whole quad would give.
static void drawAroundClearing(float width, float height, int x0, int x1, int y0, int y1)
{
    int w = (int)screenWidth, h = (int)screenHeight;
    int bands[4][4] = {{0, 0, w, y0}, {0, y1, w, h - y1}, {0, y0, x0, y1 - y0}, {x1, y0, w - x1, y1 - y0}};
    glEnable(GL_SCISSOR_TEST);
    for (const int* b : bands) {
        if (b[2] <= 0 || b[3] <= 0)
            continue;
        glScissor(b[0], b[1], b[2], b[3]);
        drawSprite(0, 0, width, height, true, 0, wholeTexture);
    }
    glDisable(GL_SCISSOR_TEST);
}

// A vignette `scale` screens wide and tall around the screen's middle. Its
// transparent middle is not rasterised: for the blood vignette at full
// health that is the whole screen.
static void drawVignette(ClearMiddle& clearing, uint32_t texture, float scale)
{
    measureClearMiddle(clearing, texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    float width = scale * 2.0f * kHudHalfHeight * aspectRatio;
    float height = scale * 2.0f * kHudHalfHeight;
    float reach = clearReachAt(clearing, width * screenHeight / (2.0f * kHudHalfHeight));
    int x0, x1, y0, y1;
    hudClearPixels(reach * width, reach * height, x0, x1, y0, y1);
    if (x1 <= x0 || y1 <= y0)
        drawSprite(0, 0, width, height, true, 0, wholeTexture);
    else
        drawAroundClearing(width, height, x0, x1, y0, y1);
}

// Energy and health bars of every player along the bottom, labelled.
static void drawPlayerBars()
{
    for (int i = 0; i < playerCount; i++) {
        float left, right;
        hudBarSpan(i, playerCount, aspectRatio, left, right);
        drawBar(left, kEnergyBarTop, right, kEnergyBarTop + kBarHeight, kBarBorder, energy[i] / kFullMeter);
        drawBar(left, kHealthBarTop, right, kHealthBarTop + kBarHeight, kBarBorder,
                actors[i].health / kFullMeter);
        drawText(left, kEnergyLabelTop, "Energy", kTextScale);
        drawText(left, kHealthLabelTop, "Health", kTextScale);
    }
}

// One labelled count at the top left, at the text size.
static void drawCount(const char* label, int32_t count, float top)
{
    char line[64];
    snprintf(line, sizeof line, "%s%i", label, (int)count);
    drawText(kCountsIndent - kHudHalfHeight * aspectRatio, top, line, kTextScale * textSize);
}

// Drawn last in every frame of play, over the world, in HUD space (800 units
// tall, y downward, origin in the middle), at the white colour the world view
// leaves. Leaves the sprite sheet bound and texels tinted again, GL's default.
void drawHud()
{
    useTexelColours();
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-kHudHalfHeight * aspectRatio, kHudHalfHeight * aspectRatio, kHudHalfHeight, -kHudHalfHeight);
    drawVignette(vignetteClearing[kBloodVignette], borderBloodTexture, bloodOverlayScale(actors[0].health));
    drawVignette(vignetteClearing[kDarknessVignette], borderDarknessTexture, 1.0f);
    glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
    drawPlayerBars();
    drawCount(kBestCountLabel, bestKillCount, kBestCountTop);
    drawCount(kKillCountLabel, killCount, kBestCountTop + (kKillCountTop - kBestCountTop) * textSize);
    useTintedTexels();
}
