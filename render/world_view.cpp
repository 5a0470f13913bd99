// The game world seen from above around the camera. No depth buffer and no
// sorting: layers are drawn in a fixed order, later ones covering earlier ones.
#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>

#include "platform/settings.h"
#include "render/draw.h"
#include "render/view.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

const float kCellMargin = 2.0f;          // cells drawn beyond each side of the view
const float kDecalCullMargin = 0.375f;   // decals this far outside the view still count
const float kDegreesPerQuarterTurn = 90.0f;
const float kRadiansPerDegree = 0.0174532925f;

const float kTileSize = 1.0f;            // one picture per map cell
const float kDecalSize = 0.75f;
const float kCrosshairSize = 1.5f;
const float kExplosionSize = 2.75f;
const float kExplosionAlphaPerStrength = 0.01f;  // strength 100 is fully opaque
const float kTracerWidth = 0.75f;
const float kTracerMarkSize = 2.0f;      // the blast picture at a shot's end point
const float kProjectileSize = 0.75f;
const float kActorSize = 0.75f;
const float kPropSize = 1.0f;
const float kCarLength = 2.0f;
const float kCarWidth = 1.0f;
const float kWallOutline = 0.03f;        // outline around each wall box, cells

// Half the diagonal of a unit square: how far a turned picture of side 1 may
// reach from its centre.
const float kHalfDiagonal = 0.70710678f;

// Camera cells beyond this distance outside the map see nothing of it; keeps
// the integer conversion of the range sane whatever the camera holds.
const float kFarOutside = 2.0f * kMapSize;

// ---- Globals ----------------------------------------------------------------

float spriteCullMargin = 0.01f;

// ---- Functions --------------------------------------------------------------

// Half the view's height and width in cells.
static void viewHalfSize(float& hw, float& hz)
{
    hz = cameraZoom * 0.5f;
    hw = hz * aspectRatio;
}

// The camera's nearest cell corner less and plus the range along one axis,
// clipped to the map, never wrapped.
static void cellSpan(float centre, float halfSize, int& first, int& last)
{
    float range = fminf(fmaxf(halfSize + kCellMargin, 0.0f), (float)kMapSize);
    float corner = fminf(fmaxf(floorf(centre + 0.5f), -kFarOutside), kFarOutside);
    int r = (int)range;
    int c = (int)corner;
    first = c - r < 0 ? 0 : c - r;
    last = c + r > kMapSize ? kMapSize : c + r;
}

// The cells the per-cell layers draw: the view plus two cells on every side.
void visibleCells(int& x0, int& x1, int& y0, int& y1)
{
    float hw, hz;
    viewHalfSize(hw, hz);
    cellSpan(cameraX, hw, x0, x1);
    cellSpan(cameraY, hz, y0, y1);
}

// True when a picture reaching `reach` cells from (x, y) in every direction,
// however turned, lies wholly outside the view: the projection would clip all
// of it, so leaving it out changes no pixel and saves the driver its work.
bool outsideView(float x, float y, float reach)
{
    float hw, hz;
    viewHalfSize(hw, hz);
    float r = reach + spriteCullMargin;
    return x + r < cameraX - hw || x - r > cameraX + hw || y + r < cameraY - hz || y - r > cameraY + hz;
}

// Orthographic view of cameraZoom cells around the camera, y growing downward.
// The projection matrix stays current; sprites push and pop it to turn.
static void loadWorldView()
{
    float hw, hz;
    viewHalfSize(hw, hz);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(cameraX - hw, cameraX + hw, cameraY + hz, cameraY - hz);
}

// Floor and wall pictures of every visible cell, opaque, turned in quarter turns.
// The colour is reset first so nothing drawn before tints the ground.
static void drawTiles(int x0, int x1, int y0, int y1)
{
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    useTexelColours();
    for (int x = x0; x < x1; x++) {
        for (int y = y0; y < y1; y++) {
            if (outsideView((float)x + 0.5f, (float)y + 0.5f, 0.5f * kTileSize))
                continue;
            int kind = tileKind[x][y];
            float angle = (float)tileRotation[x][y] * kDegreesPerQuarterTurn * kRadiansPerDegree;
            drawSprite((float)x + 0.5f, (float)y + 0.5f, kTileSize, kTileSize, true, angle,
                       tileFrames[kind]);
        }
    }
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
}

// Ground marks near the view, oldest first; each fades as newer ones arrive,
// so the oldest is invisible and the newest nearly opaque.
static void drawDecals()
{
    float hw, hz;
    viewHalfSize(hw, hz);
    float left = cameraX - hw - kDecalCullMargin;
    float right = cameraX + hw + kDecalCullMargin;
    float top = cameraY - hz - kDecalCullMargin;
    float bottom = cameraY + hz + kDecalCullMargin;
    useFadingTexels();
    for (int i = 0; i < decalCount; i++) {
        const Decal& d = decals[i];
        if (!(left < d.x && d.x < right && top < d.y && d.y < bottom))
            continue;
        glColor4f(1.0f, 1.0f, 1.0f, (float)i / (float)kMaxDecals);
        drawSprite(d.x, d.y, kDecalSize, kDecalSize, true, d.angle, decalFrames[d.kind]);
    }
}

// Each player's aim point. Here and in every layer below, pictures wholly
// outside the view are left out (outsideView).
static void drawAimPoints()
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    useTexelColours();
    for (int i = 0; i < playerCount; i++) {
        if (outsideView(aimWorldX[i], aimWorldY[i], 0.5f * kCrosshairSize))
            continue;
        drawSprite(aimWorldX[i], aimWorldY[i], kCrosshairSize, kCrosshairSize, true, 0.0f,
                   crosshairFrame);
    }
}

// Blasts, fading as their strength runs out.
static void drawExplosions()
{
    useFadingTexels();
    for (int i = 0; i < explosionCount; i++) {
        const Explosion& e = explosions[i];
        if (outsideView(e.x, e.y, kHalfDiagonal * kExplosionSize))
            continue;
        glColor4f(1.0f, 1.0f, 1.0f, e.strength * kExplosionAlphaPerStrength);
        drawSprite(e.x, e.y, kExplosionSize, kExplosionSize, true, e.angle, blastFrame);
    }
}

// Gun shots: the beam stretched from muzzle to end point, and a blast mark
// where the shot stopped. From here on every layer, the HUD included, is
// drawn at the white colour in its texels' own colours.
static void drawTracers()
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    useTexelColours();
    for (int i = 0; i < tracerCount; i++) {
        const Tracer& t = tracers[i];
        float dx = t.startX - t.endX;
        float dy = t.startY - t.endY;
        float length = sqrtf(dx * dx + dy * dy);
        float midX = (t.startX + t.endX) * 0.5f;
        float midY = (t.startY + t.endY) * 0.5f;
        if (!outsideView(midX, midY, 0.5f * (length + kTracerWidth)))
            drawSprite(midX, midY, length, kTracerWidth, true, t.angle, tracerFrame);
        if (!outsideView(t.endX, t.endY, kHalfDiagonal * kTracerMarkSize))
            drawSprite(t.endX, t.endY, kTracerMarkSize, kTracerMarkSize, true, t.angle, blastFrame);
    }
}

// Explosives in flight.
static void drawProjectiles()
{
    for (int i = 0; i < projectileCount; i++) {
        const Projectile& p = projectiles[i];
        if (outsideView(p.x, p.y, kHalfDiagonal * kProjectileSize))
            continue;
        drawSprite(p.x, p.y, kProjectileSize, kProjectileSize, true, p.angle, projectileFrame);
    }
}

// Players, zombies and civilians in list order.
static void drawActors()
{
    for (int i = 0; i < actorCount; i++) {
        const Actor& a = actors[i];
        if (outsideView(a.x, a.y, kHalfDiagonal * kActorSize))
            continue;
        drawSprite(a.x, a.y, kActorSize, kActorSize, true, a.angle, actorFrames[a.type]);
    }
}

// Props and parked cars held by the visible cells; unknown kinds draw nothing.
static void drawObstacles(int x0, int x1, int y0, int y1)
{
    for (int x = x0; x < x1; x++) {
        for (int y = y0; y < y1; y++) {
            for (int i = 0; i < obstacleCount[x][y]; i++) {
                const Obstacle& o = obstacles[x][y][i];
                if (outsideView(o.x, o.y, kHalfDiagonal * kCarLength))
                    continue;
                if (o.kind == kObstacleCar)
                    drawSprite(o.x, o.y, kCarLength, kCarWidth, true, o.angle, longObstacleFrame);
                else if (o.kind >= 0 && o.kind < kPropFrames)
                    drawSprite(o.x, o.y, kPropSize, kPropSize, true, o.angle, obstacleFrames[o.kind]);
            }
        }
    }
}

// One pass over the wall boxes of the visible cells, each grown by `grow` on
// every side, in one flat colour.
static void drawWallBoxes(int x0, int x1, int y0, int y1, float grow, const SpriteFrame& colour)
{
    for (int x = x0; x < x1; x++) {
        for (int y = y0; y < y1; y++) {
            for (int i = 0; i < wallBoxCount[x][y]; i++) {
                const WallBox& b = wallBoxes[x][y][i];
                float halfWidth = b.width * 0.5f + grow, halfHeight = b.height * 0.5f + grow;
                if (outsideView(b.x + b.width * 0.5f, b.y + b.height * 0.5f, fmaxf(halfWidth, halfHeight)))
                    continue;
                drawSprite(b.x - grow, b.y - grow, b.width + 2.0f * grow, b.height + 2.0f * grow,
                           false, 0.0f, colour);
            }
        }
    }
}

// Walls over everything else: all outlines first, then all fills, so touching
// boxes merge into one shape with a single outline around it.
static void drawWalls(int x0, int x1, int y0, int y1)
{
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    drawWallBoxes(x0, x1, y0, y1, kWallOutline, edgeTexel);
    drawWallBoxes(x0, x1, y0, y1, 0.0f, wallTexel);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
}

// One layer of the frame of play: the world's in the view around the camera,
// the HUD's in HUD space. Drawn in order they make renderWorld's frame.
void drawLayer(int layer)
{
    if (layer >= kLayerOverlays) {
        drawHudLayer(layer);
        return;
    }
    loadWorldView();
    int x0, x1, y0, y1;
    visibleCells(x0, x1, y0, y1);
    if (layer == kLayerTiles)
        drawTiles(x0, x1, y0, y1);
    else if (layer == kLayerDecals)
        drawDecals();
    else if (layer == kLayerWalls)
        drawWalls(x0, x1, y0, y1);
    if (layer != kLayerActors)
        return;
    drawAimPoints();
    drawExplosions();
    drawTracers();
    drawProjectiles();
    drawActors();
    drawObstacles(x0, x1, y0, y1);
}

// One frame of the world around the camera, layer by layer, then the HUD.
void renderWorld()
{
    for (int layer = 0; layer < kLayerOverlays; layer++)
        drawLayer(layer);
    drawHud();
}
