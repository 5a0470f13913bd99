// The watching bar drawn from its record, in window pixels over whatever the
// frame drew before it.
#include "render/watchbar.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/settings.h"
#include "render/draw.h"
#include "render/view.h"

// ---- Constants --------------------------------------------------------------

static const float kTextScale = 0.6f;        // glyphs about 16 pixels wide
static const float kTextPad = 8.0f;          // from a place's left edge, pixels
static const float kTrackBorder = 2.0f;

// ---- Functions --------------------------------------------------------------

// The world and HUD as the game draws them, in the picture's rectangle of the
// window (the recorded shape, letterboxed), the HUD's best score the one
// given (below 0: none); the window's size and view come back after.
void renderWatchedWorld(const WatchRect& picture, int32_t bestScore, float windowWidth, float windowHeight)
{
    float width = picture.x1 - picture.x0, height = picture.y1 - picture.y0;
    viewLeft = (int32_t)picture.x0;
    viewBottom = (int32_t)(windowHeight - picture.y1);
    glViewport(viewLeft, viewBottom, (GLsizei)width, (GLsizei)height);
    screenWidth = width;
    screenHeight = height;
    aspectRatio = width / height;
    hudBestScore = bestScore < 0 ? kNoHudBest : bestScore;
    renderWorld();
    hudBestScore = kHudOwnBest;
    viewLeft = 0;
    viewBottom = 0;
    screenWidth = windowWidth;
    screenHeight = windowHeight;
    aspectRatio = windowWidth / windowHeight;
    glViewport(0, 0, (GLsizei)windowWidth, (GLsizei)windowHeight);
}

// Window pixels, y down, the GL state the sprite drawing set up kept.
static void loadPixelView(float width, float height)
{
    glViewport(0, 0, (GLsizei)width, (GLsizei)height);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, height, 0);
}

// Text upright in the rectangle's middle row, from its left plus a margin.
static void writeIn(const WatchRect& r, const char* text)
{
    float height = glyphHeight * kTextScale;
    drawText(r.x0 + kTextPad, (r.y0 + r.y1 - height) * 0.5f, text, kTextScale);
}

// A button: dark, bright when hot, framed, its label inside.
static void drawPlace(const WatchRect& r, const char* label, bool hot)
{
    fillEdgeRect(r.x0, r.y0, r.x1, r.y1);
    if (hot)
        fillBrightRect(r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1);
    else
        fillDarkRect(r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1);
    if (label)
        writeIn(r, label);
}

// The bar along the bottom with its buttons, the track filled to the
// progress, the speed and the time; then the panel's entries and question.
void drawWatchBar(const WatchBarPicture& p)
{
    loadPixelView(p.width, p.height);
    useTexelColours();
    fillDarkRect(p.bar.x0, p.bar.y0, p.bar.x1, p.bar.y1);
    for (int i = 0; i < kWatchPlaces; i++) {
        if (!p.shown[i])
            continue;
        const WatchRect& r = p.places[i];
        if (i == p.track)
            drawBar(r.x0, r.y0, r.x1, r.y1, i == p.hot ? 2.0f * kTrackBorder : kTrackBorder, p.progress);
        else
            drawPlace(r, p.labels[i], i == p.hot);
    }
    writeIn(p.speedAt, p.speedText);
    writeIn(p.timeAt, p.timeText);
    if (p.question) {
        fillDarkRect(p.questionAt.x0, p.questionAt.y0, p.questionAt.x1, p.questionAt.y1);
        writeIn(p.questionAt, p.question);
    }
    useTintedTexels();
}
