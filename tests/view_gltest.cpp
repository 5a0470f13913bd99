// The world view and the main menu, drawn for real into a window and read back.
// Pictures are replaced by the sheet's two flat colours where a test needs to
// know what a pixel should show, so the checks do not depend on the art.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "app/flow.h"
#include "app/input.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "render/menu.h"
#include "render/view.h"
#include "tests/glwindow.h"
#include "tests/scratchdir.h"
#include "world/savefile.h"
#include "world/world.h"

namespace {

const int kWidth = 800;
const int kHeight = 600;
const float kFullZoom = 7.5f;
const float kCamera = 100.0f;
const int kTolerance = 3;  // per channel, for colours that went through the texture filter
const int kResumeY = 165;  // cursor heights (window pixels) on entries 0 and 3
const int kLoadGameY = 228;

Pixel edgeColour, wallColour;  // sheet pixels (448, 704) and (448, 832) as loaded

bool near(Pixel a, Pixel b)
{
    return abs(a.r - b.r) <= kTolerance && abs(a.g - b.g) <= kTolerance && abs(a.b - b.b) <= kTolerance;
}

// Window pixel showing the world point (x, y) under the current camera.
Pixel worldPixel(float x, float y)
{
    float scale = (float)kHeight / cameraZoom;
    return pixelAt((int)floorf((x - cameraX) * scale + kWidth / 2),
                   (int)floorf((y - cameraY) * scale + kHeight / 2));
}

// One pass of the main menu, its choice carried out as the game does.
void menuPass()
{
    chooseMenuEntry(runMainMenu(mainMenu(), liveMenuInput()));
}

// Presses the left button in this pass with the cursor at window height y.
void pressAt(int y)
{
    mouseY = y;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputPressed;
    drawFrame(menuPass);
}

class View : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openGameWindow(kWidth, kHeight);
        loadTextures();
        std::vector<unsigned char> sheet(1024 * 1024 * 3);
        glBindTexture(GL_TEXTURE_2D, spriteSheetTexture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, sheet.data());
        const unsigned char* edge = &sheet[(704 * 1024 + 448) * 3];
        const unsigned char* wall = &sheet[(832 * 1024 + 448) * 3];
        edgeColour = {edge[0], edge[1], edge[2]};
        wallColour = {wall[0], wall[1], wall[2]};
        // The HUD's vignettes become clear, so the world shows up to the window's edges.
        borderDarknessTexture = borderBloodTexture = textureOf(1, 1, {0, 0, 0, 0});
    }

    // An empty world, no players, the camera at a cell corner at full zoom,
    // the title menu and no button down. Floors show the flat wall colour,
    // blood and zombies the outline colour; the menu keeps its real pictures.
    void SetUp() override
    {
        ASSERT_FALSE(near(edgeColour, wallColour)) << "outline and wall colours must differ";
        buildFrameTables();
        std::fill(tileFrames, tileFrames + kTileFrames, wallTexel);
        decalFrames[kDecalBlood] = edgeTexel;
        actorFrames[kActorZombie] = edgeTexel;
        resetWorld();
        playerCount = 0;
        cameraX = cameraY = kCamera, cameraZoom = kFullZoom;
        gameState = kStateTitleMenu;
        std::fill(mouseButtonState, mouseButtonState + kMouseButtonStates, kInputUp);
        std::fill(padActionState, padActionState + kPadActions, kInputUp);
        mouseY = 0;
    }
};

// A full list of blood marks off screen; the oldest (alpha 0) is moved into
// view, the newest onto the widened right border, turned by an eighth so that
// its corner would reach 0.155 cells into the window if it were drawn.
TEST_F(View, DecalsFadeWithAgeAndOnlyThoseStrictlyInsideTheWidenedViewAreDrawn)
{
    for (int i = 0; i < kMaxDecals; i++)
        addDecal(kDecalBlood, kCamera - 50.0f, kCamera, 0.0f);
    float border = cameraX + cameraZoom * 0.5f * aspectRatio + 0.375f;
    decals[0].x = kCamera - 1.0f;
    Decal& newest = decals[kMaxDecals - 1];
    newest = {kDecalBlood, border, kCamera, 0.785398f};
    drawFrame(renderWorld);
    EXPECT_PRED2(near, wallColour, worldPixel(kCamera - 1.0f, kCamera));
    EXPECT_PRED2(near, wallColour, pixelAt(kWidth - 3, kHeight / 2));

    newest.x = nextafterf(border, 0.0f);
    drawFrame(renderWorld);
    EXPECT_PRED2(near, edgeColour, pixelAt(kWidth - 3, kHeight / 2));  // nearly opaque
}

// Two touching boxes with a zombie under them and one beside: the fills hide
// the zombie and the seam between the boxes, the outline runs around both.
TEST_F(View, WallsCoverActorsAndTouchingBoxesShareOneOutline)
{
    wallBoxes[100][100][0] = {100.0f, 100.0f, 0.5f, 0.25f};
    wallBoxes[100][100][1] = {100.5f, 100.0f, 0.5f, 0.25f};
    wallBoxCount[100][100] = 2;
    addActor(kActorZombie, 100.5f, 100.125f, 0, 0, 0);
    addActor(kActorZombie, 98.5f, 100.5f, 0, 0, 0);
    drawFrame(renderWorld);
    float pixel = cameraZoom / kHeight;  // one window pixel, in cells
    EXPECT_PRED2(near, wallColour, worldPixel(100.5f, 100.125f));
    EXPECT_PRED2(near, wallColour, worldPixel(100.5f - pixel, 100.125f));
    EXPECT_PRED2(near, edgeColour, worldPixel(98.5f, 100.5f));
    EXPECT_PRED2(near, edgeColour, worldPixel(100.0f - pixel, 100.125f));
    EXPECT_PRED2(near, edgeColour, worldPixel(101.0f + pixel * 0.5f, 100.125f));
}

// A press off every entry chooses nothing; "Start a new game" starts one for
// one player, "Resume" goes back to the game as it was.
TEST_F(View, APressOnAnEntryChoosesIt)
{
    playerCount = 3;
    for (int y : {0, 140, 315, kHeight - 1}) {  // title, above entry 0, past the last entry
        pressAt(y);
        EXPECT_EQ(kStateTitleMenu, gameState) << "cursor at " << y;
    }
    gameState = kStateGameMenu, killCount = 5;
    pressAt(kResumeY);
    EXPECT_EQ(kStatePlaying, gameState);
    EXPECT_EQ(3, playerCount);
    EXPECT_EQ(5, killCount);
    gameState = kStateTitleMenu;
    pressAt(kResumeY);  // entry 0 of the title menu
    EXPECT_EQ(kStatePlaying, gameState);
    EXPECT_EQ(1, playerCount);
    EXPECT_GT(actorCount, 0);
    EXPECT_EQ(kActorPlayer, actors[0].type);
}

// B goes back to the game in progress, as it was; on the title there is none
// to go back to and B does nothing, nor does it undo a click in its pass.
TEST_F(View, BResumesAGameInProgressAndDoesNothingOnTheTitle)
{
    padActionState[kPadBack] = kInputPressed;
    drawFrame(menuPass);
    EXPECT_EQ(kStateTitleMenu, gameState);
    ScratchDir scratch;
    enterScratchDir(scratch, "menu-back");
    pressAt(kResumeY);
    EXPECT_EQ(kStatePlaying, gameState) << "the click on the first entry stands";
    finishGame();
    leaveScratchDir(scratch);
    resetWorld();
    gameState = kStateTitleMenu;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputUp;
    drawFrame(menuPass);
    EXPECT_EQ(kStateTitleMenu, gameState);
    gameState = kStateGameMenu;
    addActor(kActorPlayer, 10.0f, 10.0f, 0, 0, 0);
    drawFrame(menuPass);
    EXPECT_EQ(kStatePlaying, gameState);
    EXPECT_EQ(1, actorCount);
}

// Without a sound saved game the game in progress survives and the menu stays
// open; a sound one is played at once.
TEST_F(View, LoadGameWithoutASavedGameKeepsTheMenuAndTheGameInProgress)
{
    ScratchDir scratch;
    enterScratchDir(scratch, "menu");
    gameState = kStateGameMenu;
    addActor(kActorPlayer, 10.0f, 10.0f, 0, 0, 0);
    pressAt(kLoadGameY);
    EXPECT_EQ(kStateGameMenu, gameState);
    EXPECT_EQ(1, actorCount);
    fclose(fopen("save.dat", "wb"));  // an empty file is no saved game either
    drawFrame(menuPass);
    EXPECT_EQ(kStateGameMenu, gameState);
    playerCount = 1;
    ASSERT_TRUE(saveGame());
    drawFrame(menuPass);
    EXPECT_EQ(kStatePlaying, gameState);
    leaveScratchDir(scratch);
}

// The rows of the left edge lit differently with the pointer on entry 3 of
// the game menu than with it on none: that entry's band.
std::vector<int> bandRows()
{
    std::vector<Pixel> off, on;
    gameState = kStateGameMenu;
    mouseY = 0;
    drawFrame([] { runMainMenu(mainMenu(), liveMenuInput()); });
    for (int y = 0; y < kHeight; y++)
        off.push_back(pixelAt(2, y));
    mouseY = kLoadGameY;
    drawFrame([] { runMainMenu(mainMenu(), liveMenuInput()); });
    std::vector<int> rows;
    for (int y = 0; y < kHeight; y++)
        if (!same(off[y], pixelAt(2, y)))
            rows.push_back(y);
    return rows;
}

// At text size 1 an entry's band lies where it always did (entry 3 of the
// game menu: rows 218 to 239 of 600); at 2 the bands are twice as tall, and
// at every size the pointer picks the entry whose band it is on.
TEST_F(View, MenuBandsGrowWithTheTextSizeAndAtOneStayWhereTheyWere)
{
    textSize = 1.0f;
    std::vector<int> rows = bandRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), 218);
    EXPECT_EQ(rows.back(), 239);
    EXPECT_EQ(menuItemAt(kLoadGameY, kHeight), 3);
    textSize = 2.0f;
    EXPECT_EQ(menuItemAt(kLoadGameY, kHeight), 1) << "228 is on entry 1 of the taller bands";
    rows = bandRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), 195);   // entry 1 from (-200 + 60 + 400) * 600 / 800
    EXPECT_EQ(rows.back(), 239);
    textSize = 1.0f;
}

}  // namespace
