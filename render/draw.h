// Textures, the sprite-sheet frame tables and the drawing primitives that all
// in-game drawing goes through. Every picture is one counter-clockwise GL_QUADS.
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
extern float glyphWidth;                         // drawn glyph width at scale 1: 26 once the font is cut
extern float glyphHeight;                        // likewise for the height
extern int textureLoads;                         // times loadTextures has run: what the drawing keeps
                                                 // across frames is built again when it changes
extern bool skipWhiteTint;                       // true: layers at the white colour skip multiplying
                                                 // by it (same pixels); false: GL's default everywhere

void beginSpriteDrawing();
void endSpriteDrawing();
void useTexelColours();
void useFadingTexels();
void useTintedTexels();
SDL_Surface* loadPicture(const char* path);  // silent PNG decode; null when unusable
uint32_t loadTexture(const char* path);
void releaseTextures();
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
