// The dashboard sheet and the overlay's drawing primitives: text in 20-pixel
// cells, nine-slice panels and the pointer, all in window pixels, y downward.
#include "overlay/overlay.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

#include "platform/settings.h"
#include "render/draw.h"

// ---- Constants --------------------------------------------------------------

static const char* const kDashboardPath = "Media/dashboard.png";
static const int kSheetWidth = 1024;
static const int kSheetHeight = 256;
static const float kTexelU = 1.0f / 1024.0f;  // exact binary fractions
static const float kTexelV = 1.0f / 256.0f;

static const int kFirstOverlayGlyph = 32;    // character code of overlayGlyphQuads[0]
static const int kGlyphCell = 20;            // glyph cells are 20 pixels square
static const int kGlyphColumns = 32;         // cells per sheet row
static const int kPenAdvance = 10;           // neighbouring glyph cells overlap by half
static const int kGlyphOffset = 5;           // a glyph's cell starts 5 pixels left of the pen

static const int kPanelStyles = 3;
static const int kPanelPiece = 20;
static const int kPanelSheetTop = 59;        // the panel pieces start one row above 60

static const int kPointerLeft = 440, kPointerTop = 60, kPointerWidth = 40, kPointerHeight = 60;
static const int kPointerTipX = 12, kPointerTipY = 10;
static const int kBarLeft = 0, kBarWidth = 640, kBarArtHeight = 68;
static const int kTopBarTop = 120, kBottomBarTop = 188;

static const char* const kFooterText2 = "Escape: back to the game";

// ---- Globals ----------------------------------------------------------------

uint32_t dashboardTexture = 0;
SheetQuad overlayGlyphQuads[kOverlayGlyphs] = {};
SheetQuad panelPieceQuads[kPanelPieces] = {};
SheetQuad pointerQuad = {};
SheetQuad topBarQuad = {};
SheetQuad bottomBarQuad = {};
uint8_t* frameCapture = nullptr;
uint8_t* screenshotPixels = nullptr;

// ---- Functions --------------------------------------------------------------

// The texture coordinates of the sheet rectangle (x, y, width, height).
SheetQuad makeSheetQuad(int x, int y, int width, int height)
{
    float left = (float)x * kTexelU, right = (float)(x + width) * kTexelU;
    float top = (float)y * kTexelV, bottom = (float)(y + height) * kTexelV;
    return {{left, bottom, right, bottom, right, top, left, top}};
}

// Cuts every piece out of the sheet's fixed layout: pure arithmetic, no GL.
void buildSheetQuads()
{
    pointerQuad = makeSheetQuad(kPointerLeft, kPointerTop, kPointerWidth, kPointerHeight);
    for (int k = 0; k < kOverlayGlyphs; k++)
        overlayGlyphQuads[k] = makeSheetQuad(kGlyphCell * (k % kGlyphColumns),
                                             kGlyphCell * (k / kGlyphColumns), kGlyphCell, kGlyphCell);
    for (int s = 0; s < kPanelStyles; s++)
        for (int j = 0; j < 3; j++)
            for (int i = 0; i < 3; i++)
                panelPieceQuads[9 * s + 3 * j + i] = makeSheetQuad(
                    3 * kPanelPiece * s + kPanelPiece * j, kPanelSheetTop + kPanelPiece * i, kPanelPiece,
                    kPanelPiece);
    topBarQuad = makeSheetQuad(kBarLeft, kTopBarTop, kBarWidth, kBarArtHeight);
    bottomBarQuad = makeSheetQuad(kBarLeft, kBottomBarTop, kBarWidth, kBarArtHeight);
}

// The dashboard picture in the display's layout with alpha, or null when it
// is missing or damaged.
static SDL_Surface* loadDashboardPicture(const char* path)
{
    SDL_Surface* loaded = loadPicture(path);
    if (!loaded)
        return nullptr;
    SDL_Surface* picture = SDL_DisplayFormatAlpha(loaded);
    SDL_FreeSurface(loaded);
    return picture;
}

// An all-transparent 1024 x 256 sheet in the picture's layout; without a
// picture, in plain RGBA, so the overlay's pieces simply draw nothing.
static SDL_Surface* createSheet(const SDL_Surface* picture)
{
    if (!picture)
        return SDL_CreateRGBSurface(SDL_SWSURFACE, kSheetWidth, kSheetHeight, 32, 0x000000FF, 0x0000FF00,
                                    0x00FF0000, 0xFF000000);
    const SDL_PixelFormat* f = picture->format;
    return SDL_CreateRGBSurface(picture->flags, kSheetWidth, kSheetHeight, f->BitsPerPixel, f->Rmask,
                                f->Gmask, f->Bmask, f->Amask);
}

// Makes the texture of a 3- or 4-byte sheet, linear and without mipmaps;
// returns 0 for any other pixel size.
static uint32_t uploadSheetTexture(const SDL_Surface* sheet)
{
    int bytes = sheet->format->BytesPerPixel;
    if (bytes != 3 && bytes != 4)
        return 0;
    bool redFirst = sheet->format->Rmask == 0x000000FF;
    GLenum format = bytes == 4 ? (redFirst ? GL_RGBA : GL_BGRA) : (redFirst ? GL_RGB : GL_BGR);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, bytes, kSheetWidth, kSheetHeight, 0, format, GL_UNSIGNED_BYTE,
                 sheet->pixels);
    return name;
}

// Copies the picture, alpha and all, into the top-left corner of a transparent
// sheet and uploads it. Blending is switched off on both surfaces so the blit
// copies alpha instead of blending with it. Returns 0 when no sheet could be made.
uint32_t loadDashboardSheet(const char* path)
{
    SDL_Surface* picture = loadDashboardPicture(path);
    SDL_Surface* sheet = createSheet(picture);
    if (picture && sheet) {
        SDL_SetAlpha(picture, SDL_RLEACCEL, 0);
        SDL_SetAlpha(sheet, SDL_RLEACCEL, 0);
        SDL_Rect origin = {0, 0, 0, 0};
        SDL_UpperBlit(picture, nullptr, sheet, &origin);
    }
    if (picture)
        SDL_FreeSurface(picture);
    uint32_t texture = 0;
    if (sheet) {
        texture = uploadSheetTexture(sheet);
        SDL_FreeSurface(sheet);
    }
    return texture;
}

// Overlay start-up, after the display: the sheet and its pieces, the capture
// buffers and the footer lines. The buffers are sized
// in whole pixels, exactly what a read-back of the window writes; if memory is
// short they stay null and the pause shows no frozen picture and saves nothing.
void initOverlay()
{
    reloadOverlay();
    buildSheetQuads();
    footerText1[0] = '\0';
    snprintf(footerText2, sizeof footerText2, "%s", kFooterText2);
}

// Deletes the sheet's texture, while its GL context is still the current one.
void releaseOverlaySheet()
{
    if (dashboardTexture != 0) {
        GLuint old = dashboardTexture;
        glDeleteTextures(1, &old);
    }
    dashboardTexture = 0;
}

// After a new video mode: the sheet loaded again into the new GL context (the
// old texture let go) and the capture buffers sized for the new window. A
// frozen picture held before is gone; the caller draws and captures anew.
void reloadOverlay()
{
    releaseOverlaySheet();
    dashboardTexture = loadDashboardSheet(kDashboardPath);
    free(frameCapture);
    free(screenshotPixels);
    size_t pixels = (size_t)(int)screenWidth * (size_t)(int)screenHeight;
    frameCapture = (uint8_t*)malloc(pixels * 4);
    screenshotPixels = (uint8_t*)malloc(pixels * 3);
}

// A y-down pixel view on the model-view matrix (the projection stays the
// identity), the depth test off, and texturing, blending, the alpha test and
// the client arrays on with the sheet bound.
void beginOverlayDrawing()
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluOrtho2D(0, screenWidth, screenHeight, 0);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, dashboardTexture);
}

// Switches the overlay's drawing state off again; the depth test stays off.
void endOverlayDrawing()
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

// Stretches one sheet piece over a window rectangle. Without a sheet nothing is
// drawn, rather than white untextured quads.
void drawSheetPiece(const SheetQuad& piece, int x, int y, int width, int height)
{
    if (dashboardTexture != 0)
        drawSprite((float)x, (float)y, (float)width, (float)height, false, 0.0f, piece);
}

// Draws text with its first cell's left edge at x - 5 and every cell's top at
// y; the pen moves 10 pixels a character. Codes without a glyph take their
// room but draw nothing.
void drawOverlayText(int x, int y, const char* text)
{
    drawSizedOverlayText(x, y, text, 1.0f);
}

// Overlay text at a text size: cells, offset and pen scaled (whole pixels;
// at size 1 exactly drawOverlayText's).
void drawSizedOverlayText(int x, int y, const char* text, float size)
{
    int cell = (int)((float)kGlyphCell * size);
    beginOverlayDrawing();
    for (int i = 0; text[i]; i++) {
        int glyph = (unsigned char)text[i] - kFirstOverlayGlyph;
        if (glyph >= 0 && glyph < kOverlayGlyphs)
            drawSheetPiece(overlayGlyphQuads[glyph],
                           x - (int)((float)kGlyphOffset * size) + (int)((float)(kPenAdvance * i) * size), y, cell,
                           cell);
    }
    endOverlayDrawing();
}

// The inner area of a panel given at (x, y): it starts one row above y.
PanelFrame panelFrame(int x, int y, int height)
{
    int rows = height / kPanelPiece;
    return {x, y - 1, height, rows, height - kPanelPiece * rows};
}

// One row of a panel: the left edge, the inner pieces (width / 20 of them)
// and the right edge, all of piece row i and drawn rowHeight tall.
static void drawPanelRow(const PanelFrame& f, int width, int style, int i, int y, int rowHeight)
{
    const SheetQuad* pieces = &panelPieceQuads[9 * style];
    drawSheetPiece(pieces[i], f.left - kPanelBorder, y, kPanelBorder, rowHeight);
    for (int c = 0; c < width / kPanelPiece; c++)
        drawSheetPiece(pieces[3 + i], f.left + kPanelPiece * c, y, kPanelPiece, rowHeight);
    drawSheetPiece(pieces[6 + i], f.left + width, y, kPanelBorder, rowHeight);
}

// A nine-slice panel with a 300-pixel inner area from column x and row y - 1,
// height rows tall: full 20-pixel rows, then one row squeezed to what is left.
void drawPanel(int x, int y, int height, int style)
{
    drawWidePanel(x, y, kPanelInnerWidth, height, style);
}

// A panel whose inner area is width pixels wide (a whole number of 20-pixel
// pieces), for texts too long for the usual 300.
void drawWidePanel(int x, int y, int width, int height, int style)
{
    PanelFrame f = panelFrame(x, y, height);
    beginOverlayDrawing();
    drawPanelRow(f, width, style, 0, f.top - kPanelBorder, kPanelBorder);
    drawPanelRow(f, width, style, 2, f.top + f.height, kPanelBorder);
    for (int k = 0; k < f.fullRows; k++)
        drawPanelRow(f, width, style, 1, f.top + kPanelPiece * k, kPanelPiece);
    drawPanelRow(f, width, style, 1, f.top + kPanelPiece * f.fullRows, f.restHeight);
    endOverlayDrawing();
}

// Draws the pointer with its tip on (x, y).
void drawPointer(int x, int y)
{
    beginOverlayDrawing();
    drawSheetPiece(pointerQuad, x - kPointerTipX, y - kPointerTipY, kPointerWidth, kPointerHeight);
    endOverlayDrawing();
}
