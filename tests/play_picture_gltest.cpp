// Frames of play drawn for real into the game's window and read back: the
// HUD's bars and blood vignette with flat test textures; and, with the
// game's own art, the work the drawing leaves out (the blood vignette's clear
// middle, pictures wholly outside the view, the multiply by white) giving
// exactly the picture that drawing everything gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/settings.h"
#include "render/view.h"
#include "tests/busyworld.h"
#include "tests/glwindow.h"

namespace {

const int kWidth = 800;    // 4:3, 0.75 pixels per HUD unit
const int kHeight = 600;
const int kBlood = 16;     // test vignette: 2 red texels around a clear middle
const float kPlayZoom = 7.5f;

const Pixel kBackground = {255, 0, 255};
const Pixel kBright = {0, 255, 0};
const Pixel kDark = {0, 0, 255};

bool reddish(Pixel p) { return p.r > 150 && p.g < 40 && p.b < 40; }

// Opaque red on the outer two texels of every side, transparent inside.
uint32_t ringTexture()
{
    std::vector<unsigned char> rgba(kBlood * kBlood * 4, 0);
    for (int y = 0; y < kBlood; y++)
        for (int x = 0; x < kBlood; x++)
            if (x < 2 || y < 2 || x >= kBlood - 2 || y >= kBlood - 2)
                rgba[(y * kBlood + x) * 4] = 255, rgba[(y * kBlood + x) * 4 + 3] = 255;
    return textureOf(kBlood, kBlood, rgba);
}

// The window pixel showing HUD point (x, y).
Pixel hudPixel(float x, float y)
{
    return pixelAt((int)((x + 400.0f * aspectRatio) * 0.75f), (int)((y + 400.0f) * 0.75f));
}

class Hud : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openGameWindow(kWidth, kHeight); }

    void SetUp() override
    {
        mipmapping = false;
        loadTextures();
        resetWorld();
        playerCount = 1;
        addActor(kActorPlayer, 100, 100, 0, 0, 0);
    }

    // Bars in flat green (filled) and blue (empty), a see-through darkness
    // and the red ring as the blood vignette.
    void useFlatArt()
    {
        tileBrightTexture = textureOf(1, 1, {0, 255, 0, 255});
        tileDarkTexture = textureOf(1, 1, {0, 0, 255, 255});
        borderDarknessTexture = textureOf(1, 1, {0, 0, 0, 0});
        borderBloodTexture = ringTexture();
    }
};

// Rows below the labels: the energy bar at 305, the health bar at 345.
TEST_F(Hud, BarsFillFromTheLeftInsideAFrame)
{
    useFlatArt();
    energy[0] = 80;
    actors[0].health = 25;
    drawFrame(drawHud);
    EXPECT_PRED2(same, kBright, hudPixel(270, 305));   // energy fill ends at L * 0.2 + R * 0.8 = 280
    EXPECT_PRED2(same, kDark, hudPixel(292, 305));
    EXPECT_PRED2(same, kBright, hudPixel(-240, 345));  // health fill ends at L * 0.75 + R * 0.25
    EXPECT_PRED2(same, kDark, hudPixel(-225, 345));
    Pixel frame = hudPixel(-468.67f, 305);              // inside the 3-unit border
    EXPECT_FALSE(same(frame, kBackground) || same(frame, kBright) || same(frame, kDark)) << frame;
    EXPECT_PRED2(same, kBackground, hudPixel(-471, 305));
    EXPECT_PRED2(same, kBackground, hudPixel(0, 355));  // below the health bar
    addActor(kActorPlayer, 101, 100, 0, 0, 0);
    playerCount = 2;
    energy[1] = 50;
    drawFrame(drawHud);
    EXPECT_PRED2(same, kBright, hudPixel(200, 305));    // player 1's energy from 33 to 500
    EXPECT_PRED2(same, kDark, hudPixel(300, 305));
    EXPECT_PRED2(same, kBackground, hudPixel(0, 305));  // the gap between the halves
}

// The window rows in which two HUD frames differ, as a [first, last] range.
void changedRows(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int& first, int& last)
{
    first = kHeight, last = -1;
    for (int y = 0; y < kHeight; y++)
        if (!std::equal(a.begin() + (kHeight - 1 - y) * kWidth * 3, a.begin() + (kHeight - y) * kWidth * 3,
                        b.begin() + (kHeight - 1 - y) * kWidth * 3))
            first = std::min(first, y), last = std::max(last, y);
}

// The best score is the upper of the two lines at the top left, this game's
// kills the lower (HUD rows from -350 and -320, window rows from 37 and 60).
TEST_F(Hud, TheScoreLinesShowTheBestAboveThisGamesKills)
{
    useFlatArt();
    bestKillCount = 1234, killCount = 56;
    drawFrame(drawHud);
    std::vector<unsigned char> before = wholeFrame();
    int first, last;
    bestKillCount = 1239;
    drawFrame(drawHud);
    changedRows(before, wholeFrame(), first, last);
    EXPECT_LE(first, last) << "the best score's line changed";
    EXPECT_GE(first, 37);
    EXPECT_LT(last, 60);
    bestKillCount = 1234, killCount = 59;
    drawFrame(drawHud);
    changedRows(before, wholeFrame(), first, last);
    EXPECT_LE(first, last) << "the kill count's line changed";
    EXPECT_GE(first, 60);
    EXPECT_LT(last, 85);
}

TEST_F(Hud, BloodVignetteReachesTheScreenEdgesOnlyAsHealthRunsOut)
{
    useFlatArt();
    actors[0].health = 0;
    drawFrame(drawHud);
    EXPECT_PRED1(reddish, pixelAt(2, 2));
    EXPECT_PRED1(reddish, pixelAt(kWidth - 3, kHeight / 2));
    EXPECT_PRED2(same, kBackground, pixelAt(kWidth / 2, kHeight / 2));
    actors[0].health = 100;
    drawFrame(drawHud);
    EXPECT_PRED2(same, kBackground, pixelAt(2, 2));
    EXPECT_PRED2(same, kBackground, pixelAt(kWidth - 3, kHeight / 2));
}

// The busiest world with the game's art (decals and explosions fading, shots),
// at health values from full to none, without and with mipmaps: leaving out
// the vignettes' clear middles, the multiply of the pictures drawn at white,
// and copying the darkness vignette from its capture change no pixel.
TEST_F(Hud, LeavingOutTheClearMiddlesAndTheWhiteTintAndCopyingTheDarknessChangesNoPixel)
{
    for (bool mipmaps : {false, true}) {
        mipmapping = mipmaps;
        loadTextures();
        buildCrowdedWorld(kBusiestCrowd);
        cameraX = actors[0].x, cameraY = actors[0].y, cameraZoom = kPlayZoom;
        for (float health : {100.0f, 80.0f, 55.0f, 30.0f, 10.0f, 0.0f}) {
            actors[0].health = health;
            drawFrame(renderWorld);
            std::vector<unsigned char> fast = wholeFrame();
            EXPECT_GT(vignetteClearing[kBloodVignette].reach[0], 0.2f);
            skipWhiteTint = false;
            drawFrame(renderWorld);
            skipWhiteTint = true;
            EXPECT_TRUE(fast == wholeFrame()) << "tinted, health " << health << ", mipmaps " << mipmaps;
            EXPECT_NE(darknessCapture.texture, 0u);
            GLfloat raster[4] = {};
            glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);   // where the pause's frozen picture goes
            EXPECT_EQ(raster[1], 0.0f) << "the capture moved the raster position";
            copyCapturedDarkness = false;
            drawFrame(renderWorld);
            copyCapturedDarkness = true;
            EXPECT_TRUE(fast == wholeFrame()) << "filtered, health " << health << ", mipmaps " << mipmaps;
            for (ClearMiddle& c : vignetteClearing)   // the whole vignettes
                std::fill(c.reach, c.reach + kMaxMipLevels, 0.0f);
            drawFrame(renderWorld);
            EXPECT_TRUE(fast == wholeFrame()) << "health " << health << ", mipmaps " << mipmaps;
            for (ClearMiddle& c : vignetteClearing)
                c.texture = 0;   // measured afresh
        }
    }
}

// The busiest world with shots fanned out from the player and the aim point
// far off, seen from cameras that put the crowd's edge across the view's edges.
TEST_F(Hud, LeavingOutPicturesOutsideTheViewChangesNoPixel)
{
    buildCrowdedWorld(kBusiestCrowd);
    for (int i = 0; i < 36; i++) {
        float a = (float)i * 0.1745329f, x = actors[0].x, y = actors[0].y;
        tracers[tracerCount++] = Tracer{a, x, y, x + cosf(a) * 8.5f, y + sinf(a) * 8.5f};
    }
    aimWorldX[0] = actors[0].x + 30, aimWorldY[0] = actors[0].y;
    const float cameras[][3] = {{0, 0, kPlayZoom}, {6.3f, 2.9f, kPlayZoom}, {-9.7f, -4.1f, kPlayZoom},
                                {4.4f, -7.2f, 3.0f}};
    for (const float* c : cameras) {
        cameraX = actors[0].x + c[0], cameraY = actors[0].y + c[1], cameraZoom = c[2];
        drawFrame(renderWorld);
        std::vector<unsigned char> fast = wholeFrame();
        float margin = spriteCullMargin;
        spriteCullMargin = 1e9f;   // nothing is left out
        drawFrame(renderWorld);
        spriteCullMargin = margin;
        EXPECT_TRUE(fast == wholeFrame()) << "camera offset " << c[0] << ", " << c[1] << " zoom " << c[2];
    }
}

}  // namespace
