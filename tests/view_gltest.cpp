// The world view and the main menu, drawn for real into a window and read back.
// Pictures are replaced by the sheet's two flat colours where a test needs to
// know what a pixel should show, so the checks do not depend on the art.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <unistd.h>

#include "app/app.h"
#include "app/display.h"
#include "app/input.h"
#include "app/settings.h"
#include "render/draw.h"
#include "render/view.h"
#include "world/levelgen.h"
#include "world/world.h"

namespace {

const int kWidth = 800;
const int kHeight = 600;
const float kFullZoom = 7.5f;
const float kCamera = 100.0f;
const int kTolerance = 3;  // per channel, for colours that went through the texture filter

struct Pixel {
    int r, g, b;
};

bool near(Pixel a, Pixel b)
{
    return abs(a.r - b.r) <= kTolerance && abs(a.g - b.g) <= kTolerance && abs(a.b - b.b) <= kTolerance;
}

bool same(Pixel a, Pixel b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

const Pixel kBackground = {255, 0, 255};  // the clear colour: nothing drawn here

std::ostream& operator<<(std::ostream& out, Pixel p)
{
    return out << "(" << p.r << "," << p.g << "," << p.b << ")";
}

// Pixel at window x, y (y from the top) of the frame just drawn.
Pixel pixelAt(int x, int y)
{
    unsigned char rgb[3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kHeight - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

// Window pixel showing the world point (x, y) under the current camera.
Pixel worldPixel(float x, float y)
{
    float scale = (float)kHeight / cameraZoom;
    return pixelAt((int)floorf((x - cameraX) * scale + kWidth / 2),
                   (int)floorf((y - cameraY) * scale + kHeight / 2));
}

// Colour of one sheet pixel as loaded.
Pixel sheetTexel(int x, int y)
{
    static std::vector<unsigned char> sheet;
    if (sheet.empty()) {
        sheet.resize(1024 * 1024 * 3);
        glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, sheet.data());
    }
    const unsigned char* p = &sheet[(y * 1024 + x) * 3];
    return {p[0], p[1], p[2]};
}

Pixel edgeColour() { return sheetTexel(448, 704); }
Pixel wallColour() { return sheetTexel(448, 832); }

// Draws one pass of the game's frame dispatcher, with its GL state around it.
template <typename Draw> void drawFrame(Draw draw)
{
    glClearColor(kBackground.r / 255.0f, kBackground.g / 255.0f, kBackground.b / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
    draw();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

void drawWorld() { drawFrame(renderWorld); }
void drawMenu() { drawFrame(runMainMenu); }

SpriteFrame loadedTiles[kTileFrames];
SpriteFrame loadedActors[kActorFrames];
SpriteFrame loadedDecals[kDecalFrames];

class View : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        screenWidth = kWidth;
        screenHeight = kHeight;
        setupDisplay();
        loadTextures();
        buildGlyphFrames();
        std::copy(tileFrames, tileFrames + kTileFrames, loadedTiles);
        std::copy(actorFrames, actorFrames + kActorFrames, loadedActors);
        std::copy(decalFrames, decalFrames + kDecalFrames, loadedDecals);
    }

    // An empty world of open ground, no players, camera at a cell corner at
    // full zoom; the real pictures back in place.
    void SetUp() override
    {
        std::copy(loadedTiles, loadedTiles + kTileFrames, tileFrames);
        std::copy(loadedActors, loadedActors + kActorFrames, actorFrames);
        std::copy(loadedDecals, loadedDecals + kDecalFrames, decalFrames);
        resetWorld();
        for (int x = 0; x < kMapSize; x++)
            for (int y = 0; y < kMapSize; y++) {
                tileKind[x][y] = kTileOpenGround;
                tileRotation[x][y] = 0;
            }
        playerCount = 0;
        cameraX = kCamera;
        cameraY = kCamera;
        cameraZoom = kFullZoom;
        gameState = kStateTitleMenu;
        for (int& b : mouseButtonState)
            b = kInputUp;
        mouseY = 0;
        ASSERT_FALSE(near(edgeColour(), wallColour())) << "outline and wall colours must differ";
    }

    // Every floor cell shows the flat wall colour; decals and zombies the
    // flat outline colour.
    void useFlatPictures()
    {
        std::fill(tileFrames, tileFrames + kTileFrames, wallTexel);
        decalFrames[kDecalBlood] = edgeTexel;
        actorFrames[kActorZombie] = edgeTexel;
    }
};

// ---- Visible cells ----------------------------------------------------------

TEST_F(View, VisibleCellsSpanTheViewPlusTwoCellsClippedToTheMap)
{
    int x0, x1, y0, y1;
    cameraX = 100.3f;
    cameraY = 50.6f;
    visibleCells(x0, x1, y0, y1);
    EXPECT_EQ(93, x0);
    EXPECT_EQ(107, x1);  // 14 cells
    EXPECT_EQ(46, y0);
    EXPECT_EQ(56, y1);   // 10 cells

    cameraZoom = 1;
    visibleCells(x0, x1, y0, y1);
    EXPECT_EQ(4, x1 - x0);
    EXPECT_EQ(4, y1 - y0);

    cameraZoom = kFullZoom;
    cameraX = 1.2f;
    cameraY = 254.9f;
    visibleCells(x0, x1, y0, y1);
    EXPECT_EQ(0, x0);
    EXPECT_EQ(8, x1);
    EXPECT_EQ(250, y0);
    EXPECT_EQ(256, y1);

    cameraX = -40.0f;
    cameraY = 1e30f;
    visibleCells(x0, x1, y0, y1);
    EXPECT_LE(x1, x0);
    EXPECT_LE(y1, y0);
}

TEST_F(View, FloorCoversTheWholeWindowWhereverTheCameraStands)
{
    useFlatPictures();
    const float zooms[] = {kFullZoom, 2.0f, 1.0f};
    const int edgesX[] = {0, kWidth / 2, kWidth - 1};
    const int edgesY[] = {0, kHeight / 2, kHeight - 1};
    for (float zoom : zooms)
        for (int step = 0; step < 4; step++) {
            cameraZoom = zoom;
            cameraX = kCamera + 0.25f * step;
            cameraY = kCamera - 0.25f * step;
            drawWorld();
            for (int x : edgesX)
                for (int y : edgesY)
                    EXPECT_PRED2(near, wallColour(), pixelAt(x, y))
                        << "zoom " << zoom << " step " << step << " at " << x << "," << y;
        }
}

// ---- Decals -----------------------------------------------------------------

TEST_F(View, DecalOnTheWidenedBorderIsLeftOutJustInsideIsDrawn)
{
    useFlatPictures();
    for (int i = 0; i < kMaxDecals; i++)
        addDecal(kDecalBlood, kCamera - 50.0f, kCamera, 0.0f);
    float hw = cameraZoom * 0.5f * aspectRatio;
    float border = cameraX + hw + 0.375f;
    // Turned by an eighth, the square's corner reaches 0.155 cells into view.
    Decal& newest = decals[kMaxDecals - 1];
    newest = {kDecalBlood, border, kCamera, 0.785398f};
    drawWorld();
    EXPECT_PRED2(near, wallColour(), pixelAt(kWidth - 3, kHeight / 2));

    newest.x = nextafterf(border, 0.0f);
    drawWorld();
    EXPECT_PRED2(near, edgeColour(), pixelAt(kWidth - 3, kHeight / 2));
}

TEST_F(View, OldestDecalIsInvisibleAndTheNewestNearlyOpaque)
{
    useFlatPictures();
    for (int i = 0; i < kMaxDecals; i++)
        addDecal(kDecalBlood, kCamera - 50.0f, kCamera, 0.0f);
    decals[0].x = kCamera - 1.0f;
    decals[kMaxDecals - 1].x = kCamera + 1.0f;
    drawWorld();
    EXPECT_PRED2(near, wallColour(), worldPixel(kCamera - 1.0f, kCamera));
    EXPECT_PRED2(near, edgeColour(), worldPixel(kCamera + 1.0f, kCamera));
}

// ---- Walls ------------------------------------------------------------------

TEST_F(View, WallsAreDrawnOverActors)
{
    useFlatPictures();
    wallBoxes[100][100][0] = {100.0f, 100.0f, 1.0f, 1.0f};
    wallBoxCount[100][100] = 1;
    addActor(kActorZombie, 100.5f, 100.5f, 0, 0, 0);
    addActor(kActorZombie, 98.5f, 100.5f, 0, 0, 0);
    drawWorld();
    EXPECT_PRED2(near, wallColour(), worldPixel(100.5f, 100.5f));
    EXPECT_PRED2(near, edgeColour(), worldPixel(98.5f, 100.5f));
}

TEST_F(View, TouchingWallBoxesShowOneOutlineAroundBoth)
{
    useFlatPictures();
    wallBoxes[100][100][0] = {100.0f, 100.0f, 0.5f, 0.25f};
    wallBoxes[100][100][1] = {100.5f, 100.0f, 0.5f, 0.25f};
    wallBoxCount[100][100] = 2;
    drawWorld();
    float pixel = cameraZoom / kHeight;  // one window pixel, in cells
    EXPECT_PRED2(near, edgeColour(), worldPixel(100.0f - pixel, 100.125f));
    EXPECT_PRED2(near, edgeColour(), worldPixel(101.0f + pixel * 0.5f, 100.125f));
    EXPECT_PRED2(near, wallColour(), worldPixel(100.5f, 100.125f));
    EXPECT_PRED2(near, wallColour(), worldPixel(100.5f - pixel, 100.125f));
    EXPECT_PRED2(near, edgeColour(), worldPixel(100.5f, 100.25f + pixel));
    EXPECT_PRED2(near, wallColour(), worldPixel(100.5f, 100.25f + 4.0f * pixel));  // floor again
}

// ---- Main menu --------------------------------------------------------------

TEST_F(View, MenuEntryUnderTheCursorComesFromItsHeightAlone)
{
    EXPECT_EQ(-7, menuItemAt(0, 600.0f));
    EXPECT_EQ(3, menuItemAt(225, 600.0f));
    EXPECT_EQ(-1, menuItemAt(140, 600.0f));  // the band just above the first entry
    EXPECT_EQ(0, menuItemAt(150, 600.0f));   // entry 0 starts 200 units above the centre
    EXPECT_EQ(-1, menuItemAt(191, 768.0f));
    EXPECT_EQ(0, menuItemAt(192, 768.0f));
}

TEST_F(View, HighlightRunsAcrossTheWholeWidthOfTheHotEntry)
{
    gameState = kStateGameMenu;
    const int entry3 = 228;  // menu y -96, inside "Load game"'s band
    mouseY = 0;
    drawMenu();
    Pixel coldLeft = pixelAt(0, entry3), coldRight = pixelAt(kWidth - 1, entry3);
    Pixel coldBelow = pixelAt(0, entry3 + 30);
    mouseY = entry3;
    drawMenu();
    EXPECT_EQ(3, menuHotItem);
    EXPECT_FALSE(same(coldLeft, pixelAt(0, entry3)));
    EXPECT_FALSE(same(coldRight, pixelAt(kWidth - 1, entry3)));
    EXPECT_PRED2(same, coldBelow, pixelAt(0, entry3 + 30));
}

TEST_F(View, PressOutsideEveryEntryOrAHeldButtonChoosesNothing)
{
    playerCount = 3;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputPressed;
    const int outside[] = {0, 140, 205, kHeight - 1};  // title, above entry 0, past "Load game"
    for (int y : outside) {
        mouseY = y;
        drawMenu();
        EXPECT_EQ(kStateTitleMenu, gameState) << "cursor at " << y;
    }
    gameState = kStateGameMenu;
    mouseY = 165;  // on "Resume"
    mouseButtonState[SDL_BUTTON_LEFT] = kInputHeld;
    drawMenu();
    EXPECT_EQ(kStateGameMenu, gameState);
    EXPECT_EQ(3, playerCount);
}

TEST_F(View, ResumeGoesBackToTheGameInProgress)
{
    gameState = kStateGameMenu;
    killCount = 5;
    addActor(kActorZombie, 10.0f, 10.0f, 0, 0, 0);
    mouseY = 165;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputPressed;
    drawMenu();
    EXPECT_EQ(kStatePlaying, gameState);
    EXPECT_EQ(5, killCount);
    EXPECT_EQ(1, actorCount);
}

TEST_F(View, PressOnStartANewGameStartsOneForOnePlayer)
{
    playerCount = 3;
    mouseY = 165;  // menu y -180, entry 0
    mouseButtonState[SDL_BUTTON_LEFT] = kInputPressed;
    drawMenu();
    EXPECT_EQ(kStatePlaying, gameState);
    EXPECT_EQ(1, playerCount);
    EXPECT_GT(actorCount, 0);
    EXPECT_EQ(kActorPlayer, actors[0].type);
}

TEST_F(View, LoadGameWithoutASavedGameKeepsTheMenuAndTheGameInProgress)
{
    char home[4096];
    ASSERT_NE(nullptr, getcwd(home, sizeof home));
    char scratch[] = "/tmp/vg-menu-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(scratch));
    ASSERT_EQ(0, chdir(scratch));
    gameState = kStateGameMenu;
    addActor(kActorPlayer, 10.0f, 10.0f, 0, 0, 0);
    mouseY = 228;  // "Load game"
    mouseButtonState[SDL_BUTTON_LEFT] = kInputPressed;
    drawMenu();
    EXPECT_EQ(kStateGameMenu, gameState);
    EXPECT_EQ(1, actorCount);

    fclose(fopen("save.dat", "wb"));
    drawMenu();
    EXPECT_EQ(kStatePlaying, gameState);
    remove("save.dat");
    EXPECT_EQ(0, chdir(home));
    rmdir(scratch);
}

}  // namespace
