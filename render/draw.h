// Textures, the sprite-sheet frame tables and the drawing primitives that all
// in-game drawing goes through. Every picture is one counter-clockwise quad:
// drawn on its own (drawSprite), or gathered with others of the same state
// into one draw call (the batch, which the world view uses).
#pragma once

#include <SDL/SDL.h>

#include <cstdint>

// Texture coordinates of one picture: four (u, v) pairs in drawSprite's vertex
// order (left-bottom, right-bottom, right-top, left-top for an upright picture).
struct SpriteFrame {
    float uv[8];
};

const int kTileFrames = 16;
const int kActorFrames = 4;
const int kDecalFrames = 2;
const int kPropFrames = 4;
const int kGlyphFrames = 96;         // character codes 32..127
const int kBatchQuads = 4096;        // quads gathered before the batch draws them
const int kMaxTextLength = 128;      // glyphs of one drawText string drawn, at most

extern uint32_t spriteSheetTexture;     // "Media/spritesheettexture.png", 1024 x 1024
extern uint32_t borderDarknessTexture;  // "Media/borderdarknesstexture.png", HUD vignette
extern uint32_t borderBloodTexture;     // "Media/borderbloodtexture.png", HUD damage vignette
extern uint32_t tileBrightTexture;      // "Media/tilebrighttexture.png", bright 64-unit pattern
extern uint32_t tileDarkTexture;        // "Media/tiledarktexture.png", dark 64-unit pattern

extern SpriteFrame tileFrames[kTileFrames];      // floor or wall piece, by tileKind
extern SpriteFrame actorFrames[kActorFrames];    // player, zombie, civilian, unused
extern SpriteFrame decalFrames[kDecalFrames];    // corpse, blood
extern SpriteFrame projectileFrame;              // thrown explosive
extern SpriteFrame obstacleFrames[kPropFrames];  // props, obstacle kinds 0..3
extern SpriteFrame longObstacleFrame;            // parked car, obstacle kind 4
extern SpriteFrame blastFrame;                   // explosion, and the mark at a trace's end
extern SpriteFrame tracerFrame;                  // gun trace beam
extern SpriteFrame crosshairFrame;               // aim point
extern SpriteFrame titleFrame;                   // the title picture, stored turned on the sheet
extern SpriteFrame edgeTexel;                    // flat colour of sheet pixel (448, 704)
extern SpriteFrame wallTexel;                    // flat colour of sheet pixel (448, 832)
extern SpriteFrame wholeTexture;                 // u and v from 0 to 1
extern SpriteFrame glyphFrames[kGlyphFrames];    // font, entry k is character 32 + k
extern float glyphWidth;                         // glyph pitch on the sheet, then drawn width: 32, then 26
extern float glyphHeight;                        // likewise for the height
extern bool skipWhiteTint;                       // true: layers at the white colour skip multiplying
                                                 // by it (same pixels); false: GL's default everywhere
extern int32_t batchQuadCount;                   // quads gathered and not yet drawn, 0..kBatchQuads
extern int32_t batchDrawCalls;                   // draw calls the batch made since this was last zeroed

void beginSpriteDrawing();
void endSpriteDrawing();
void useTexelColours();
void useFadingTexels();
void useTintedTexels();
SDL_Surface* loadPicture(const char* path);  // silent PNG decode; null when unusable
uint32_t loadTexture(const char* path);
void loadTextures();
void buildFrameTables();             // the sheet's frame tables from the layout alone, no GL
void buildGlyphFrames();
void drawSprite(float x, float y, float width, float height, bool centred, float angle,
                const SpriteFrame& frame);
void drawText(float x, float y, const char* text, float scale);
void fillEdgeRect(float x0, float y0, float x1, float y1);
void fillBrightRect(float x0, float y0, float x1, float y1);
void fillDarkRect(float x0, float y0, float x1, float y1);
void drawBar(float x0, float y0, float x1, float y1, float border, float fraction);

// The batch. beginBatch takes the orthographic projection now loaded (no
// rotation in it) and whether the quads fade (each with its own alpha, drawn
// in the texels' colours, as useFadingTexels) or not (as useTexelColours).
// batchSprite gathers what drawSprite(x, y, width, height, true, angle, frame)
// would draw, its corners placed by the very arithmetic GL uses for the
// pushed, translated and turned matrix, so the pixels come out the same but
// for the rounding of a texel here and there at a turned picture's edge
// (drawn alone, a turned quad takes a path of the renderer's own);
// batchRect what drawSprite(x0, y0, x1 - x0, y1 - y0, false, 0, frame) would.
// flushBatch draws what was gathered in one call and leaves the colour white.
void beginBatch(bool fading);
void batchSprite(float x, float y, float width, float height, float angle, const SpriteFrame& frame,
                 float alpha);
void batchRect(float x0, float y0, float x1, float y1, const SpriteFrame& frame);
void flushBatch();
