// Placeholder until the textures land: tables exist, drawing does nothing.
#include "render/draw.h"

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

uint32_t loadTexture(const char*) { return 0; }
void loadTextures() {}
void buildGlyphFrames() {}
void drawSprite(float, float, float, float, bool, float, const SpriteFrame&) {}
void drawText(float, float, const char*, float) {}
void fillEdgeRect(float, float, float, float) {}
void fillBrightRect(float, float, float, float) {}
void fillDarkRect(float, float, float, float) {}
void drawBar(float, float, float, float, float, float) {}
