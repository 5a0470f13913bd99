// Draws every picture the game cuts from its textures onto one labelled page
// and writes it as a PNG, to check the art against the frame tables by eye.
// Run from the build directory (pictures under ./Media): contactsheet out.png
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include <cstdio>

#include "platform/display.h"
#include "platform/settings.h"
#include "render/draw.h"
#include "tools/windowpng.h"

static const int kPageWidth = 1600;
static const int kPageHeight = 1000;
static const float kLabelScale = 0.7f;
static const float kHeadingScale = 0.9f;
static const float kCell = 80;            // drawn size of one square picture
static const float kStep = 95;            // distance between neighbouring pictures
static const float kMargin = 10;

// Puts a square picture at slot i of a row, with its label underneath.
static void labelledPicture(int slot, float top, const SpriteFrame& frame, const char* label)
{
    float left = kMargin + kStep * slot;
    drawSprite(left, top, kCell, kCell, false, 0, frame);
    drawText(left, top + kCell + 2, label, kLabelScale);
}

// The 16 tile pictures with their kind numbers.
static void drawTiles(float top)
{
    drawText(kMargin, top, "Tiles by kind", kHeadingScale);
    for (int i = 0; i < kTileFrames; i++) {
        char label[8];
        snprintf(label, sizeof label, "%d", i);
        labelledPicture(i, top + 25, tileFrames[i], label);
    }
}

// Actors, decals and the projectile.
static void drawCreatures(float top)
{
    static const char* const actorNames[kActorFrames] = {"player", "zombie", "civil", "unused"};
    drawText(kMargin, top, "Actors, decals, projectile", kHeadingScale);
    for (int i = 0; i < kActorFrames; i++)
        labelledPicture(i, top + 25, actorFrames[i], actorNames[i]);
    labelledPicture(4, top + 25, decalFrames[0], "corpse");
    labelledPicture(5, top + 25, decalFrames[1], "blood");
    labelledPicture(6, top + 25, projectileFrame, "bomb");
}

// Props, the parked car, the blast, the tracer beam and the crosshair.
static void drawProps(float top)
{
    drawText(kMargin, top, "Props, car, blast, tracer, crosshair", kHeadingScale);
    for (int i = 0; i < kPropFrames; i++) {
        char label[8];
        snprintf(label, sizeof label, "prop %d", i);
        labelledPicture(i, top + 25, obstacleFrames[i], label);
    }
    float carLeft = kMargin + kStep * 4;
    drawSprite(carLeft, top + 25, 2 * kCell, kCell, false, 0, longObstacleFrame);
    drawText(carLeft, top + 25 + kCell + 2, "car", kLabelScale);
    labelledPicture(6, top + 25, blastFrame, "blast");
    labelledPicture(7, top + 25, tracerFrame, "tracer");
    labelledPicture(8, top + 25, crosshairFrame, "aim");
}

// The title as the main menu shows it, over the menu's dark pattern, then the
// two flat colours, a bar and the two patterns.
static void drawMenuParts(float top)
{
    fillDarkRect(kMargin, top, kMargin + 700, top + 175);
    drawSprite(kMargin + 350, top + 87.5f, 700, 175, true, 0, titleFrame);
    drawText(kMargin, top + 180, "title (menu size 700 x 175)", kLabelScale);
    float left = 740;
    drawSprite(left, top, kCell, kCell, false, 0, edgeTexel);
    drawText(left, top + kCell + 2, "edge", kLabelScale);
    drawSprite(left + kStep, top, kCell, kCell, false, 0, wallTexel);
    drawText(left + kStep, top + kCell + 2, "wall", kLabelScale);
    left += 2 * kStep + 20;
    drawBar(left, top + 5, left + 300, top + 35, 3, 0.6f);
    drawText(left, top - 5, "Health", 1.2f);
    fillBrightRect(left, top + 60, left + 140, top + 140);
    drawText(left, top + 142, "bright", kLabelScale);
    fillDarkRect(left + 160, top + 60, left + 300, top + 140);
    drawText(left + 160, top + 142, "dark", kLabelScale);
}

// All 96 glyphs on a grid, then a line as drawText sets it.
static void drawFont(float top)
{
    drawText(kMargin, top, "Font, codes 32..127", kHeadingScale);
    for (int k = 0; k < kGlyphFrames; k++) {
        float x = kMargin + 40 * (k % 32);
        float y = top + 25 + 40 * (k / 32);
        drawSprite(x, y, glyphWidth, glyphHeight, false, 0, glyphFrames[k]);
    }
    drawText(kMargin, top + 150, "Most Zombies Killed: 42  Quick brown fox!", 1.2f);
}

// The two HUD vignettes over a bright background, and the whole sheet.
static void drawWholeTextures(float top)
{
    drawText(kMargin, top, "Vignettes: darkness, blood; the whole sheet", kHeadingScale);
    const uint32_t vignettes[2] = {borderDarknessTexture, borderBloodTexture};
    for (int i = 0; i < 2; i++) {
        float left = kMargin + 260 * i;
        fillBrightRect(left, top + 25, left + 240, top + 145);
        glBindTexture(GL_TEXTURE_2D, vignettes[i]);
        drawSprite(left, top + 25, 240, 120, false, 0, wholeTexture);
        glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
    }
    drawSprite(kPageWidth - 300 - kMargin, kPageHeight - 300 - kMargin, 300, 300, false, 0, wholeTexture);
}

// The frame dispatcher's state and a y-down projection in window pixels.
static void beginPage()
{
    glClearColor(0.25f, 0.25f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    beginSpriteDrawing();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, kPageWidth, kPageHeight, 0);
}

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "contactsheet.png";
    screenWidth = kPageWidth;
    screenHeight = kPageHeight;
    setupDisplay();
    loadTextures();
    buildGlyphFrames();
    if (!spriteSheetTexture)
        fprintf(stderr, "contactsheet: no sprite sheet under ./Media; drawing untextured\n");
    beginPage();
    drawTiles(10);
    drawCreatures(150);
    drawProps(290);
    drawMenuParts(440);
    drawFont(650);
    drawWholeTextures(845);
    bool written = writeWindowPng(out, kPageWidth, kPageHeight);
    SDL_Quit();
    if (!written) {
        fprintf(stderr, "contactsheet: could not write %s\n", out);
        return 1;
    }
    return 0;
}
