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
const int kCaptureRows = 16;                 // window rows read back at a time while capturing
const int kMaxCaptureWidth = 8192;           // widest viewport captured, pixels; wider ones filter each frame

// ---- Globals ----------------------------------------------------------------

ClearMiddle vignetteClearing[kVignettes] = {};
int32_t hudBestScore = kHudOwnBest;
int32_t viewLeft = 0;
int32_t viewBottom = 0;

CapturedPicture darknessCapture = {};
bool copyCapturedDarkness = true;

static unsigned char overlayAlpha[kMaxOverlayTexels];   // one mipmap level's alpha, read back
static unsigned char savedBand[kCaptureRows * kMaxCaptureWidth * 4];    // the window's own pixels
static unsigned char colourBand[kCaptureRows * kMaxCaptureWidth * 4];   // the picture's colours, then alphas
static unsigned char alphaBand[kCaptureRows * kMaxCaptureWidth * 4];    // the picture's alphas as grey

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

// Draws a picture only in the four bands around the pixels (x0..x1, y0..y1,
// from the picture's corner, which a letterbox moves)
// where every sample is transparent and fails the alpha test anyway. Each
// band draws the same quad under a scissor, so the pixels drawn are exactly
// those the whole quad would give.
static void drawAroundClearing(float x, float y, float width, float height, bool centred,
                               const SpriteFrame& frame, int x0, int x1, int y0, int y1)
{
    int w = (int)screenWidth, h = (int)screenHeight;
    int bands[4][4] = {{0, 0, w, y0}, {0, y1, w, h - y1}, {0, y0, x0, y1 - y0}, {x1, y0, w - x1, y1 - y0}};
    glEnable(GL_SCISSOR_TEST);
    for (const int* b : bands) {
        if (b[2] <= 0 || b[3] <= 0)
            continue;
        glScissor(b[0] + viewLeft, b[1] + viewBottom, b[2], b[3]);
        drawSprite(x, y, width, height, centred, 0, frame);
    }
    glDisable(GL_SCISSOR_TEST);
}

// The smallest power of two at least n (n >= 1): GL 1.x textures' sizes.
static int powerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// Draws the vignette quad with blending off into the window rows of the
// band, once in the picture's colours and once with its alpha as grey, and
// reads both back into one row of RGBA texels. Pixels whose sample fails the
// alpha test read as alpha 0, and fail it again when copied.
static void readVignetteBand(float width, float height, int x, int y, int w, int rows)
{
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glClearColor(0, 0, 0, 0);
    glScissor(x, y, w, rows);
    for (int pass = 0; pass < 2; pass++) {
        glClear(GL_COLOR_BUFFER_BIT);
        if (pass == 0) {
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        } else {
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
            glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_ALPHA);
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
            glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
        }
        drawSprite(0, 0, width, height, true, 0, wholeTexture);
        glReadPixels(x, y, w, rows, GL_RGBA, GL_UNSIGNED_BYTE, pass == 0 ? colourBand : alphaBand);
    }
    for (int i = 0; i < w * rows; i++)
        colourBand[i * 4 + 3] = alphaBand[i * 4];
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

// Puts the window's own pixels of a band back, as they were read before the
// capture drew over them, with nothing of the drawing state applied.
static void restoreBand(int row, int w, int rows)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glRasterPos2i(0, row);
    glDrawPixels(w, rows, GL_RGBA, GL_UNSIGNED_BYTE, savedBand);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
}

// Captures the vignette quad (HUD space, `width` by `height` around the
// middle) as the viewport shows it, band by band, into a texture of its own,
// leaving the window's pixels and the raster position (which the pause
// overlay's frozen picture is drawn at) as they were. Nothing is captured (texture 0)
// for a viewport wider than the band buffers or a texture the driver cannot hold.
static void captureVignette(CapturedPicture& c, uint32_t picture, float width, float height, const int viewport[4])
{
    if (c.texture != 0 && c.loads == textureLoads)
        glDeleteTextures(1, &c.texture);
    c.texture = 0;
    c.loads = textureLoads;
    for (int i = 0; i < 4; i++)
        c.viewport[i] = viewport[i];
    int w = viewport[2], h = viewport[3];
    c.textureWidth = powerOfTwoAtLeast(w);
    c.textureHeight = powerOfTwoAtLeast(h);
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (w > kMaxCaptureWidth || c.textureWidth > largest || c.textureHeight > largest)
        return;
    glGenTextures(1, &c.texture);
    glBindTexture(GL_TEXTURE_2D, c.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, c.textureWidth, c.textureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint savedPack = 4, savedUnpack = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &savedPack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedUnpack);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPushAttrib(GL_CURRENT_BIT);
    glEnable(GL_SCISSOR_TEST);
    for (int row = 0; row < h; row += kCaptureRows) {
        int rows = h - row < kCaptureRows ? h - row : kCaptureRows;
        glScissor(viewport[0], viewport[1] + row, w, rows);
        glReadPixels(viewport[0], viewport[1] + row, w, rows, GL_RGBA, GL_UNSIGNED_BYTE, savedBand);
        glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, picture);
        readVignetteBand(width, height, viewport[0], viewport[1] + row, w, rows);
        glBindTexture(GL_TEXTURE_2D, c.texture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, row, w, rows, GL_RGBA, GL_UNSIGNED_BYTE, colourBand);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluOrtho2D(0, w, 0, h);
        restoreBand(row, w, rows);
        glPopMatrix();
        glEnable(GL_BLEND);
    }
    glDisable(GL_SCISSOR_TEST);
    glPopAttrib();
    glPixelStorei(GL_PACK_ALIGNMENT, savedPack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, savedUnpack);
    useTexelColours();
}

// True when the capture holds the current viewport of the textures loaded now.
static bool captureHolds(const CapturedPicture& c, const int viewport[4])
{
    bool same = c.loads == textureLoads;
    for (int i = 0; i < 4; i++)
        same = same && c.viewport[i] == viewport[i];
    return same;
}

// Draws the captured picture texel for pixel over the viewport (each pixel's
// centre samples its own texel's centre), left out where the vignette is
// clear; the HUD's view is loaded again afterwards.
static void copyCapture(const CapturedPicture& c, int x0, int x1, int y0, int y1)
{
    int w = c.viewport[2], h = c.viewport[3];
    SpriteFrame frame;
    float u = (float)w / (float)c.textureWidth, v = (float)h / (float)c.textureHeight;
    float uv[8] = {0, 0, u, 0, u, v, 0, v};
    for (int i = 0; i < 8; i++)
        frame.uv[i] = uv[i];
    glBindTexture(GL_TEXTURE_2D, c.texture);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, w, h, 0);
    if (x1 <= x0 || y1 <= y0)
        drawSprite(0, 0, (float)w, (float)h, false, 0, frame);
    else
        drawAroundClearing(0, 0, (float)w, (float)h, false, frame, x0, x1, y0, y1);
    glPopMatrix();
}

// A vignette `scale` screens wide and tall around the screen's middle. Its
// transparent middle is not rasterised: for the blood vignette at full
// health that is the whole screen. With a capture record it is copied from
// the capture, taken afresh when the viewport or the textures changed.
static void drawVignette(ClearMiddle& clearing, uint32_t texture, float scale, CapturedPicture* capture)
{
    measureClearMiddle(clearing, texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    float width = scale * 2.0f * kHudHalfHeight * aspectRatio;
    float height = scale * 2.0f * kHudHalfHeight;
    float reach = clearReachAt(clearing, width * screenHeight / (2.0f * kHudHalfHeight));
    int x0, x1, y0, y1;
    hudClearPixels(reach * width, reach * height, x0, x1, y0, y1);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (capture && texture != 0 && !captureHolds(*capture, viewport))
        captureVignette(*capture, texture, width, height, viewport);
    if (capture && capture->texture != 0)
        copyCapture(*capture, x0, x1, y0, y1);
    else if (x1 <= x0 || y1 <= y0)
        drawSprite(0, 0, width, height, true, 0, wholeTexture);
    else
        drawAroundClearing(0, 0, width, height, true, wholeTexture, x0, x1, y0, y1);
}

// Energy and health bars of every player along the bottom. Players' bars lie
// side by side, so all bars and then all labels give the same pixels as
// each player's bars and labels in turn. Their frame colour and patterns are
// opaque everywhere, so blending them changes nothing but costs a read of
// every pixel: they are drawn with blending and the alpha test off.
static void drawPlayerBars()
{
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    for (int i = 0; i < playerCount; i++) {
        float left, right;
        hudBarSpan(i, playerCount, aspectRatio, left, right);
        drawBar(left, kEnergyBarTop, right, kEnergyBarTop + kBarHeight, kBarBorder, energy[i] / kFullMeter);
        drawBar(left, kHealthBarTop, right, kHealthBarTop + kBarHeight, kBarBorder,
                actors[i].health / kFullMeter);
    }
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
}

// The labels over each player's bars.
static void drawBarLabels()
{
    for (int i = 0; i < playerCount; i++) {
        float left, right;
        hudBarSpan(i, playerCount, aspectRatio, left, right);
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

// One of the HUD's layers in HUD space (800 units tall, y downward, origin in
// the middle): the vignettes, the bars, or the text. Leaves the sprite sheet bound.
void drawHudLayer(int layer)
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-kHudHalfHeight * aspectRatio, kHudHalfHeight * aspectRatio, kHudHalfHeight, -kHudHalfHeight);
    if (layer == kLayerOverlays) {
        drawVignette(vignetteClearing[kBloodVignette], borderBloodTexture, bloodOverlayScale(actors[0].health),
                     nullptr);
        drawVignette(vignetteClearing[kDarknessVignette], borderDarknessTexture, 1.0f,
                     copyCapturedDarkness ? &darknessCapture : nullptr);
        glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
    } else if (layer == kLayerBars) {
        drawPlayerBars();
    } else if (layer == kLayerText) {
        drawBarLabels();
        int32_t best = hudBestScore == kHudOwnBest ? bestKillCount : hudBestScore;
        if (best >= 0)
            drawCount(kBestCountLabel, best, kBestCountTop);
        drawCount(kKillCountLabel, killCount, kBestCountTop + (kKillCountTop - kBestCountTop) * textSize);
    }
}

// Drawn last in every frame of play, over the world, at the white colour the
// world view leaves. Leaves the sprite sheet bound and texels tinted again,
// GL's default.
void drawHud()
{
    useTexelColours();
    for (int layer = kLayerOverlays; layer < kLayers; layer++)
        drawHudLayer(layer);
    useTintedTexels();
}
