// Textures, the sprite-sheet frame tables and the drawing primitives. Every
// picture is one GL_QUADS of four vertices from arrays on the caller's stack.
#include "render/draw.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <lodepng.h>

#include <cstdlib>
#include <cstring>

#include "platform/settings.h"

// Sprite-sheet layout, in sheet pixels.
static const float kSheetSize = 1024.0f;      // the sheet is square
static const int kCellPitch = 128;            // sprites sit in 128-pixel cells
static const int kSmallMargin = 14;           // tiles, actors, decals: 100-pixel pictures
static const int kSmallPicture = kCellPitch - 2 * kSmallMargin;
static const int kLargeMargin = 1;            // props, blast, tracer, crosshair, title: 126 pixels
static const int kLargePicture = kCellPitch - 2 * kLargeMargin;
static const int kTileLeft = kSmallMargin;
static const int kActorLeft = 512 + kSmallMargin;
static const int kDecalTop = 2 * kCellPitch + kSmallMargin;
static const int kProjectileTop = 4 * kCellPitch + kSmallMargin;
static const int kPropLeft = 512 + kLargeMargin;
static const int kPropTop = 5 * kCellPitch + kLargeMargin;
static const int kCarTop = 7 * kCellPitch + kLargeMargin;
static const int kBlastLeft = 4 * kCellPitch + kLargeMargin;
static const int kTracerLeft = 5 * kCellPitch + kLargeMargin;
static const int kEffectTop = 3 * kCellPitch + kLargeMargin;   // blast and tracer row
static const int kCrosshairLeft = 2 * kCellPitch + kLargeMargin;
static const int kCrosshairTop = 7 * kCellPitch + kLargeMargin;
static const int kTitleLeft = 2 * kCellPitch + kLargeMargin;
static const int kTitleTop = 3 * kCellPitch + kLargeMargin;
static const int kTitleLength = 4 * kCellPitch - 2;   // the title strip runs down four cells
static const int kEdgeTexelX = 448, kEdgeTexelY = 704;
static const int kWallTexelX = 448, kWallTexelY = 832;

// Font: 8 columns by 12 rows of glyph cells from sheet pixel (256, 0).
static const int kGlyphLeft = 256;
static const int kGlyphTop = 0;
static const int kGlyphColumns = 8;
static const float kGlyphPitch = 32.0f;       // glyph cells on the sheet, pixels a side
static const float kGlyphInset = 3.0f;        // blank pixels around each glyph in its cell
static const int kFirstGlyph = 32;            // character code of glyphFrames[0]
static const float kPenAdvance = 0.7f;        // glyphs overlap by 30 % of their width

static const float kPatternPeriod = 64.0f;    // patterned rectangles repeat every 64 units
static const float kRadiansToDegrees = 57.2957795f;

static const char* const kSpriteSheetPath = "Media/spritesheettexture.png";
static const char* const kBorderDarknessPath = "Media/borderdarknesstexture.png";
static const char* const kBorderBloodPath = "Media/borderbloodtexture.png";
static const char* const kTileBrightPath = "Media/tilebrighttexture.png";
static const char* const kTileDarkPath = "Media/tiledarktexture.png";

uint32_t spriteSheetTexture = 0;
uint32_t borderDarknessTexture = 0;
uint32_t borderBloodTexture = 0;
uint32_t tileBrightTexture = 0;
uint32_t tileDarkTexture = 0;
SpriteFrame tileFrames[kTileFrames] = {};
SpriteFrame actorFrames[kActorFrames] = {};
SpriteFrame decalFrames[kDecalFrames] = {};
SpriteFrame projectileFrame = {};
SpriteFrame obstacleFrames[kPropFrames] = {};
SpriteFrame longObstacleFrame = {};
SpriteFrame blastFrame = {};
SpriteFrame tracerFrame = {};
SpriteFrame crosshairFrame = {};
SpriteFrame titleFrame = {};
SpriteFrame edgeTexel = {};
SpriteFrame wallTexel = {};
SpriteFrame wholeTexture = {};
SpriteFrame glyphFrames[kGlyphFrames] = {};
float glyphWidth = 32;
float glyphHeight = 32;
int textureLoads = 0;
bool skipWhiteTint = true;

// Switches on what every sprite-drawing routine relies on: texturing, blending
// and the alpha test, the two client arrays, and the sprite sheet bound.
void beginSpriteDrawing()
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
}

// Switches the sprite-drawing state off again, arrays first.
void endSpriteDrawing()
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

// Pictures drawn in exactly their texels' colours, for layers drawn at the
// white colour: multiplying by white changes no pixel, but makes the software
// rasteriser interpolate and multiply a colour at every pixel it fills.
void useTexelColours()
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, skipWhiteTint ? GL_REPLACE : GL_MODULATE);
}

// Pictures in their texels' colours faded by the current colour's alpha, for
// layers drawn at white with an alpha below one (decals, explosions): the
// pixels of the default modulation, with only the alpha multiplied.
void useFadingTexels()
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, skipWhiteTint ? GL_COMBINE : GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
}

// Pictures multiplied by the current colour, GL's default, which everything
// drawn after the game's frame expects.
void useTintedTexels()
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Writes the rectangle (x0, y0)-(x1, y1) in drawSprite's vertex order:
// (x0, y1), (x1, y1), (x1, y0), (x0, y0), counter-clockwise under y-down views.
static void quadCorners(float x0, float y0, float x1, float y1, float out[8])
{
    out[0] = x0;
    out[1] = y1;
    out[2] = x1;
    out[3] = y1;
    out[4] = x1;
    out[5] = y0;
    out[6] = x0;
    out[7] = y0;
}

// The frame of an upright picture whose sheet rectangle is given in pixels.
static SpriteFrame sheetFrame(float left, float top, float width, float height)
{
    SpriteFrame frame;
    quadCorners(left / kSheetSize, top / kSheetSize, (left + width) / kSheetSize,
                (top + height) / kSheetSize, frame.uv);
    return frame;
}

// A frame that samples one sheet pixel at all four corners: a flat colour.
static SpriteFrame texelFrame(float x, float y)
{
    return sheetFrame(x, y, 0, 0);
}

// Decodes a PNG file into a new 32-bit surface with red in the lowest byte, or
// gives null for a missing, truncated or damaged file. The decoder reports
// nothing of its own, so a broken picture leaves no trace on the terminal.
SDL_Surface* loadPicture(const char* path)
{
    unsigned char* rgba = nullptr;
    unsigned width = 0, height = 0;
    SDL_Surface* surface = nullptr;
    if (lodepng_decode32_file(&rgba, &width, &height, path) == 0)
        surface = SDL_CreateRGBSurface(SDL_SWSURFACE, (int)width, (int)height, 32, 0x000000FF, 0x0000FF00,
                                       0x00FF0000, 0xFF000000);
    for (unsigned row = 0; surface && row < height; row++)
        memcpy((unsigned char*)surface->pixels + row * surface->pitch, rgba + (size_t)row * width * 4,
               (size_t)width * 4);
    free(rgba);
    return surface;
}

// Uploads a picture of loadPicture (RGBA bytes, red first) into the bound
// texture: a full mipmap chain when the mipmapping setting is on, else one
// linearly filtered level. Rows are whole 4-byte pixels, so the unpack
// alignment is 4 for the upload.
static void uploadSurface(const SDL_Surface* surface)
{
    const int bytes = 4;
    const GLenum format = GL_RGBA;
    GLint savedAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (mipmapping) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        gluBuild2DMipmaps(GL_TEXTURE_2D, bytes, surface->w, surface->h, format, GL_UNSIGNED_BYTE,
                          surface->pixels);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, bytes, surface->w, surface->h, 0, format, GL_UNSIGNED_BYTE,
                     surface->pixels);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, savedAlignment);
}

// Loads a picture into a new repeating texture and returns its name. A missing
// or unreadable file creates no texture and returns 0: the game then draws
// those pictures untextured instead of stopping.
uint32_t loadTexture(const char* path)
{
    SDL_Surface* surface = loadPicture(path);
    if (!surface)
        return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    uploadSurface(surface);
    SDL_FreeSurface(surface);
    return name;
}

// The title lies turned on the sheet: along the quad's x axis it runs down the
// strip, and from the quad's top to its bottom it runs from the strip's right
// edge to its left edge.
static void buildTitleFrame()
{
    float left = kTitleLeft / kSheetSize;
    float right = (kTitleLeft + kLargePicture) / kSheetSize;
    float top = kTitleTop / kSheetSize;
    float bottom = (kTitleTop + kTitleLength) / kSheetSize;
    float turned[8] = {left, top, left, bottom, right, bottom, right, top};
    for (int i = 0; i < 8; i++)
        titleFrame.uv[i] = turned[i];
}

// Cuts the sprite sheet into its named pictures, the title and the flat
// colours included: pure arithmetic, no GL.
void buildFrameTables()
{
    for (int i = 0; i < kTileFrames; i++)
        tileFrames[i] = sheetFrame(kTileLeft + kCellPitch * (i % 2), kSmallMargin + kCellPitch * (i / 2),
                                   kSmallPicture, kSmallPicture);
    for (int i = 0; i < kActorFrames; i++)
        actorFrames[i] = sheetFrame(kActorLeft + kCellPitch * (i % 2), kSmallMargin + kCellPitch * (i / 2),
                                    kSmallPicture, kSmallPicture);
    for (int i = 0; i < kDecalFrames; i++)
        decalFrames[i] = sheetFrame(kActorLeft + kCellPitch * i, kDecalTop, kSmallPicture, kSmallPicture);
    projectileFrame = sheetFrame(kActorLeft, kProjectileTop, kSmallPicture, kSmallPicture);
    for (int i = 0; i < kPropFrames; i++)
        obstacleFrames[i] = sheetFrame(kPropLeft + kCellPitch * (i % 2), kPropTop + kCellPitch * (i / 2),
                                       kLargePicture, kLargePicture);
    longObstacleFrame = sheetFrame(kPropLeft, kCarTop, kCellPitch + kLargePicture, kLargePicture);
    blastFrame = sheetFrame(kBlastLeft, kEffectTop, kLargePicture, kLargePicture);
    tracerFrame = sheetFrame(kTracerLeft, kEffectTop, kLargePicture, kLargePicture);
    crosshairFrame = sheetFrame(kCrosshairLeft, kCrosshairTop, kLargePicture, kLargePicture);
    edgeTexel = texelFrame(kEdgeTexelX, kEdgeTexelY);
    wallTexel = texelFrame(kWallTexelX, kWallTexelY);
    buildTitleFrame();
    quadCorners(0, 0, 1, 1, wholeTexture.uv);
}

// Deletes a texture this file made, if any, so loading again frees the old one.
static void dropTexture(uint32_t& name)
{
    if (name != 0) {
        GLuint old = name;
        glDeleteTextures(1, &old);
    }
    name = 0;
}

// Deletes the five textures, while their GL context is still the current one.
void releaseTextures()
{
    uint32_t* const names[] = {&spriteSheetTexture, &borderDarknessTexture, &borderBloodTexture,
                               &tileBrightTexture, &tileDarkTexture};
    for (uint32_t* name : names)
        dropTexture(*name);
}

// Loads the five textures in their fixed order, in place of any loaded
// before, and fills every frame table except the font.
void loadTextures()
{
    releaseTextures();
    spriteSheetTexture = loadTexture(kSpriteSheetPath);
    borderDarknessTexture = loadTexture(kBorderDarknessPath);
    borderBloodTexture = loadTexture(kBorderBloodPath);
    tileBrightTexture = loadTexture(kTileBrightPath);
    tileDarkTexture = loadTexture(kTileDarkPath);
    buildFrameTables();
    textureLoads++;
}

// Cuts the font from its grid of 32-pixel cells, each glyph the cell less 3
// pixels per side, and sets glyphWidth and glyphHeight to the glyph's own
// size (26) for drawText. Running it again gives the same tables.
void buildGlyphFrames()
{
    float size = kGlyphPitch - 2 * kGlyphInset;
    for (int k = 0; k < kGlyphFrames; k++) {
        float left = kGlyphLeft + kGlyphPitch * (k % kGlyphColumns) + kGlyphInset;
        float top = kGlyphTop + kGlyphPitch * (k / kGlyphColumns) + kGlyphInset;
        glyphFrames[k] = sheetFrame(left, top, size, size);
    }
    glyphWidth = size;
    glyphHeight = size;
}

// Draws one quad from two eight-float arrays.
static void drawQuad(const float vertices[8], const float uv[8])
{
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glDrawArrays(GL_QUADS, 0, 4);
}

// Draws a picture with (x, y) as its top-left corner, or as its centre when
// centred; a centred picture with a non-zero angle turns clockwise on screen
// about its centre inside a pushed matrix, so the caller's matrix is kept.
void drawSprite(float x, float y, float width, float height, bool centred, float angle,
                const SpriteFrame& frame)
{
    float vertices[8];
    if (!centred) {
        quadCorners(x, y, x + width, y + height, vertices);
        drawQuad(vertices, frame.uv);
        return;
    }
    float halfWidth = width * 0.5f;
    float halfHeight = height * 0.5f;
    if (angle == 0.0f) {
        quadCorners(x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight, vertices);
        drawQuad(vertices, frame.uv);
        return;
    }
    glPushMatrix();
    glTranslatef(x, y, 0);
    glRotatef(angle * kRadiansToDegrees, 0, 0, 1);
    quadCorners(-halfWidth, -halfHeight, halfWidth, halfHeight, vertices);
    drawQuad(vertices, frame.uv);
    glPopMatrix();
}

// Draws a line of glyphs with (x, y) as its top-left corner; the pen moves by
// 0.7 of a glyph's width. Codes without a glyph (below 32, above 127) are
// skipped, so no text can read outside the font table.
void drawText(float x, float y, const char* text, float scale)
{
    float width = glyphWidth * scale;
    float height = glyphHeight * scale;
    float pen = x;
    for (const char* c = text; *c; c++) {
        int glyph = (unsigned char)*c - kFirstGlyph;
        if (glyph < 0 || glyph >= kGlyphFrames)
            continue;
        float vertices[8];
        quadCorners(pen, y, pen + width, y + height, vertices);
        drawQuad(vertices, glyphFrames[glyph].uv);
        pen += width * kPenAdvance;
    }
}

// A rectangle in the flat edge colour.
void fillEdgeRect(float x0, float y0, float x1, float y1)
{
    float vertices[8];
    quadCorners(x0, y0, x1, y1, vertices);
    drawQuad(vertices, edgeTexel.uv);
}

// A rectangle of a repeating pattern fixed to the coordinate grid (texture
// coordinates are positions / 64), so neighbouring rectangles join seamlessly.
static void fillPatternRect(uint32_t texture, float x0, float y0, float x1, float y1)
{
    float vertices[8];
    float uv[8];
    quadCorners(x0, y0, x1, y1, vertices);
    quadCorners(x0 / kPatternPeriod, y0 / kPatternPeriod, x1 / kPatternPeriod, y1 / kPatternPeriod, uv);
    glBindTexture(GL_TEXTURE_2D, texture);
    drawQuad(vertices, uv);
    glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
}

// A rectangle of the bright pattern (bar fills, the highlighted menu entry).
void fillBrightRect(float x0, float y0, float x1, float y1)
{
    fillPatternRect(tileBrightTexture, x0, y0, x1, y1);
}

// A rectangle of the dark pattern (bar backgrounds, the menu background).
void fillDarkRect(float x0, float y0, float x1, float y1)
{
    fillPatternRect(tileDarkTexture, x0, y0, x1, y1);
}

// A framed bar filled from the left by fraction (0..1, not clamped).
void drawBar(float x0, float y0, float x1, float y1, float border, float fraction)
{
    fillEdgeRect(x0 - border, y0 - border, x1 + border, y1 + border);
    fillDarkRect(x0, y0, x1, y1);
    fillBrightRect(x0, y0, x0 * (1 - fraction) + x1 * fraction, y1);
}
