// The sprite-sheet and font tables, checked against their pixel rectangles.
#include <gtest/gtest.h>

#include "render/draw.h"

// Expects the frame of an upright picture at the given sheet pixels.
static void expectUpright(const SpriteFrame& frame, float left, float top, float width, float height)
{
    float u0 = left / 1024, u1 = (left + width) / 1024;
    float v0 = top / 1024, v1 = (top + height) / 1024;
    float expected[8] = {u0, v1, u1, v1, u1, v0, u0, v0};
    for (int i = 0; i < 8; i++)
        EXPECT_FLOAT_EQ(frame.uv[i], expected[i]) << "coordinate " << i;
}

TEST(FrameTables, PicturesSitInTheir128PixelCellsWithTheirMarginsAndFlatColoursOnOnePixel)
{
    buildFrameTables();
    expectUpright(tileFrames[0], 14, 14, 100, 100);
    expectUpright(tileFrames[5], 142, 270, 100, 100);
    expectUpright(tileFrames[15], 142, 910, 100, 100);
    expectUpright(actorFrames[1], 654, 14, 100, 100);
    expectUpright(actorFrames[2], 526, 142, 100, 100);
    expectUpright(decalFrames[1], 654, 270, 100, 100);
    expectUpright(projectileFrame, 526, 526, 100, 100);
    expectUpright(obstacleFrames[3], 641, 769, 126, 126);
    expectUpright(longObstacleFrame, 513, 897, 254, 126);
    expectUpright(blastFrame, 513, 385, 126, 126);
    expectUpright(tracerFrame, 641, 385, 126, 126);
    expectUpright(crosshairFrame, 257, 897, 126, 126);
    expectUpright(wholeTexture, 0, 0, 1024, 1024);
    expectUpright(edgeTexel, 448, 704, 0, 0);   // flat colours: one sheet pixel at every corner
    expectUpright(wallTexel, 448, 832, 0, 0);
}

TEST(FrameTables, TitleIsReadTurnedDownItsStrip)
{
    buildFrameTables();
    float pixels[8] = {257, 385, 257, 895, 383, 895, 383, 385};
    for (int i = 0; i < 8; i++)
        EXPECT_FLOAT_EQ(titleFrame.uv[i], pixels[i] / 1024) << "coordinate " << i;
}

// The font is cut once, as at start-up: the pitch comes from the 32-pixel
// cells and the size left behind is the glyph's own.
TEST(GlyphTable, GlyphsAreCutFrom32PixelCellsAndDrawn26Wide)
{
    ASSERT_FLOAT_EQ(glyphWidth, 32);
    buildGlyphFrames();
    EXPECT_EQ(glyphWidth, 26.0f);
    EXPECT_EQ(glyphHeight, 26.0f);
    expectUpright(glyphFrames[0], 259, 3, 26, 26);             // space
    expectUpright(glyphFrames['A' - 32], 291, 131, 26, 26);     // column 1, row 4
    expectUpright(glyphFrames[95], 483, 355, 26, 26);          // code 127, last cell
}
