// The video mode set again while running, on a real X display: the window
// takes the new size with every picture loaded into the new GL context, a
// mode the display refuses leaves the old one, and loading the pictures or
// cutting the font again gives the same tables without keeping old textures.
#include <gtest/gtest.h>

#include "overlay/overlay.h"
#include "render/menu.h"
#include "tests/glwindow.h"

namespace {

const int kWidth = 320;
const int kHeight = 240;

// The title menu as the game draws it, over magenta.
void drawTitle()
{
    runMainMenu(MenuList{nullptr, 0, kMenuNothing}, MenuInput{-1, -1, false, 0, false, false, false});
}

// Window pixels of the frame just drawn that still show the magenta clear colour.
int magentaPixels()
{
    std::vector<unsigned char> rgb = wholeFrame();
    int n = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        n += rgb[i] == 255 && rgb[i + 1] == 0 && rgb[i + 2] == 255;
    return n;
}

struct Display : ::testing::Test {
    static void SetUpTestSuite()
    {
        openGameWindow(kWidth, kHeight);
        initOverlay();
        loadTextures();
    }
};

// Cutting the font twice leaves glyphs 26 wide, and text as wide as before.
TEST_F(Display, CuttingTheFontAgainKeepsTheGlyphSize)
{
    SpriteFrame first = glyphFrames[33];
    buildGlyphFrames();
    buildGlyphFrames();
    EXPECT_EQ(glyphWidth, 26.0f);
    EXPECT_EQ(glyphHeight, 26.0f);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(glyphFrames[33].uv[i], first.uv[i]) << i;
}

// Whether a texture name is one the game holds now.
bool held(uint32_t name)
{
    const uint32_t names[] = {spriteSheetTexture, borderDarknessTexture, borderBloodTexture, tileBrightTexture,
                              tileDarkTexture, dashboardTexture};
    for (uint32_t n : names)
        if (n == name)
            return true;
    return false;
}

// Loading the pictures again lets the old textures go: a name the game no
// longer holds names no texture.
TEST_F(Display, LoadingThePicturesAgainDeletesTheOldTextures)
{
    const uint32_t before[] = {spriteSheetTexture, borderDarknessTexture, borderBloodTexture, tileBrightTexture,
                               tileDarkTexture};
    loadTextures();
    EXPECT_NE(spriteSheetTexture, 0u);
    for (uint32_t name : before) {
        ASSERT_NE(name, 0u);
        EXPECT_TRUE(held(name) || !glIsTexture(name)) << name;
    }
}

// A new size: the metrics follow, and the menu is drawn whole at once from
// the pictures loaded again. A refused mode keeps the size and still draws.
TEST_F(Display, ANewModeTakesTheNewSizeAndARefusedOneKeepsTheOld)
{
    releaseTextures();
    releaseOverlaySheet();
    ASSERT_TRUE(changeVideoMode(400, 300, false));
    reloadOverlay();
    loadTextures();
    EXPECT_EQ(screenWidth, 400.0f);
    EXPECT_EQ(screenHeight, 300.0f);
    EXPECT_EQ(aspectRatio, 400.0f / 300.0f);
    EXPECT_FALSE(fullscreen);
    drawFrame(drawTitle);
    EXPECT_EQ(magentaPixels(), 0) << "the menu's background covers the new window";
    EXPECT_NE(pixelAt(399, 299).r, 0);
    EXPECT_NE(dashboardTexture, 0u);
    EXPECT_NE(frameCapture, nullptr);

    EXPECT_FALSE(changeVideoMode(100000, 100000, true)) << "no display has this mode";
    EXPECT_EQ(screenWidth, 400.0f);
    EXPECT_EQ(screenHeight, 300.0f);
    EXPECT_FALSE(fullscreen);
    drawFrame(drawTitle);
    EXPECT_EQ(magentaPixels(), 0);
}

}  // namespace
