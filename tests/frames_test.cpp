// The sprite-sheet and font tables, checked against their pixel rectangles.
#include <gtest/gtest.h>

#include <algorithm>

#include "render/draw.h"

struct SheetRect {
    float left, top, right, bottom;   // sheet pixels
};

// Expects the frame of an upright picture at the given sheet pixels.
static void expectUpright(const SpriteFrame& frame, float left, float top, float width, float height)
{
    float u0 = left / 1024, u1 = (left + width) / 1024;
    float v0 = top / 1024, v1 = (top + height) / 1024;
    float expected[8] = {u0, v1, u1, v1, u1, v0, u0, v0};
    for (int i = 0; i < 8; i++)
        EXPECT_FLOAT_EQ(frame.uv[i], expected[i]) << "coordinate " << i;
}

// The pixel rectangle a frame covers, whatever way round it is stored.
static SheetRect rectOf(const SpriteFrame& frame)
{
    SheetRect r = {1e9f, 1e9f, -1e9f, -1e9f};
    for (int i = 0; i < 8; i += 2) {
        r.left = std::min(r.left, frame.uv[i] * 1024);
        r.right = std::max(r.right, frame.uv[i] * 1024);
        r.top = std::min(r.top, frame.uv[i + 1] * 1024);
        r.bottom = std::max(r.bottom, frame.uv[i + 1] * 1024);
    }
    return r;
}

TEST(FrameTables, SmallPicturesSitInsideTheir128PixelCells)
{
    buildFrameTables();
    expectUpright(tileFrames[0], 14, 14, 100, 100);
    expectUpright(tileFrames[5], 142, 270, 100, 100);
    expectUpright(tileFrames[15], 142, 910, 100, 100);
    expectUpright(actorFrames[1], 654, 14, 100, 100);
    expectUpright(actorFrames[2], 526, 142, 100, 100);
    expectUpright(decalFrames[1], 654, 270, 100, 100);
    expectUpright(projectileFrame, 526, 526, 100, 100);
}

TEST(FrameTables, LargePicturesKeepAOnePixelMargin)
{
    buildFrameTables();
    expectUpright(obstacleFrames[3], 641, 769, 126, 126);
    expectUpright(longObstacleFrame, 513, 897, 254, 126);
    expectUpright(blastFrame, 513, 385, 126, 126);
    expectUpright(tracerFrame, 641, 385, 126, 126);
    expectUpright(crosshairFrame, 257, 897, 126, 126);
}

TEST(FrameTables, TitleIsReadTurnedDownItsStrip)
{
    buildFrameTables();
    float pixels[8] = {257, 385, 257, 895, 383, 895, 383, 385};
    for (int i = 0; i < 8; i++)
        EXPECT_FLOAT_EQ(titleFrame.uv[i], pixels[i] / 1024) << "coordinate " << i;
}

TEST(FrameTables, FlatColoursSampleOneSheetPixelAtEveryCorner)
{
    buildFrameTables();
    for (int i = 0; i < 8; i += 2) {
        EXPECT_FLOAT_EQ(edgeTexel.uv[i], 448.0f / 1024);
        EXPECT_FLOAT_EQ(edgeTexel.uv[i + 1], 704.0f / 1024);
        EXPECT_FLOAT_EQ(wallTexel.uv[i], 448.0f / 1024);
        EXPECT_FLOAT_EQ(wallTexel.uv[i + 1], 832.0f / 1024);
    }
    expectUpright(wholeTexture, 0, 0, 1024, 1024);
}

TEST(FrameTables, NoTwoPicturesShareSheetPixels)
{
    buildFrameTables();
    SheetRect rects[40];
    int count = 0;
    for (const SpriteFrame& f : tileFrames) rects[count++] = rectOf(f);
    for (const SpriteFrame& f : actorFrames) rects[count++] = rectOf(f);
    for (const SpriteFrame& f : decalFrames) rects[count++] = rectOf(f);
    for (const SpriteFrame& f : obstacleFrames) rects[count++] = rectOf(f);
    const SpriteFrame* singles[] = {&projectileFrame, &longObstacleFrame, &blastFrame, &tracerFrame,
                                    &crosshairFrame, &titleFrame};
    for (const SpriteFrame* f : singles) rects[count++] = rectOf(*f);
    rects[count++] = {256, 0, 512, 384};   // the font
    for (int a = 0; a < count; a++) {
        EXPECT_GE(rects[a].left, 0);
        EXPECT_GE(rects[a].top, 0);
        EXPECT_LE(rects[a].right, 1024);
        EXPECT_LE(rects[a].bottom, 1024);
        for (int b = a + 1; b < count; b++) {
            bool apart = rects[a].right <= rects[b].left || rects[b].right <= rects[a].left ||
                         rects[a].bottom <= rects[b].top || rects[b].bottom <= rects[a].top;
            EXPECT_TRUE(apart) << "pictures " << a << " and " << b << " overlap";
        }
    }
}

// The font is cut once, as at start-up: the pitch comes from the 32-pixel
// cells and the size left behind is the glyph's own.
TEST(GlyphTable, GlyphsAreCutFrom32PixelCellsAndDrawn26Wide)
{
    ASSERT_FLOAT_EQ(glyphWidth, 32);
    buildGlyphFrames();
    EXPECT_FLOAT_EQ(glyphWidth, 26);
    EXPECT_FLOAT_EQ(glyphHeight, 26);
    expectUpright(glyphFrames[0], 259, 3, 26, 26);             // space
    expectUpright(glyphFrames['A' - 32], 291, 131, 26, 26);     // column 1, row 4
    expectUpright(glyphFrames[95], 483, 355, 26, 26);          // code 127, last cell
}
