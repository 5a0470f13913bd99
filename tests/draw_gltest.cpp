// The drawing primitives and texture loading, on a real OpenGL window. Pictures
// are small textures made here, so nothing depends on the game's art.
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <lodepng.h>

#include <string>
#include <vector>

#include "tests/glwindow.h"

static const int kWindowWidth = 160;
static const int kWindowHeight = 120;

// Opens the game's window once, then gives every test a cleared frame with a
// y-down pixel projection and the state the frame dispatcher sets up.
class Draw : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openGameWindow(kWindowWidth, kWindowHeight); }

    void SetUp() override
    {
        glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, kWindowWidth, kWindowHeight, 0);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    static bool lit(int x, int y) { return pixelAt(x, y).r > 127; }

    static int litInRow(int y)
    {
        int count = 0;
        for (int x = 0; x < kWindowWidth; x++)
            count += lit(x, y);
        return count;
    }
};

// A picture whose right half is red, drawn at a quarter turn: with y downward
// a positive angle turns it clockwise, so the red half ends at the bottom.
TEST_F(Draw, PositiveAngleTurnsClockwiseOnScreen)
{
    GLuint texture = textureOf(4, 1, {0, 0, 255, 255, 0, 0, 255, 255, 255, 0, 0, 255, 255, 0, 0, 255});
    glEnable(GL_TEXTURE_2D);
    drawSprite(60, 60, 40, 40, true, 0.0f, wholeTexture);
    EXPECT_EQ(pixelAt(70, 60).r, 255);
    EXPECT_EQ(pixelAt(50, 60).b, 255);
    glClear(GL_COLOR_BUFFER_BIT);
    drawSprite(60, 60, 40, 40, true, 1.5707963f, wholeTexture);
    EXPECT_EQ(pixelAt(60, 70).r, 255);
    EXPECT_EQ(pixelAt(60, 50).b, 255);
    glDeleteTextures(1, &texture);
}

// Patterned rectangles take their texture coordinates from position, so two
// halves side by side match one whole rectangle pixel for pixel; the sprite
// sheet (here name 0) is bound again afterwards.
TEST_F(Draw, PatternedFillsContinueAcrossNeighbours)
{
    std::vector<unsigned char> texels;
    for (int i = 0; i < 8 * 8; i++)
        texels.insert(texels.end(), {(unsigned char)(i * 37), (unsigned char)(i * 91), 0, 255});
    tileBrightTexture = textureOf(8, 8, texels);
    glEnable(GL_TEXTURE_2D);
    fillBrightRect(40, 10, 72, 50);
    fillBrightRect(72, 10, 104, 50);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, spriteSheetTexture);
    std::vector<unsigned char> halves = wholeFrame();
    glClear(GL_COLOR_BUFFER_BIT);
    fillBrightRect(40, 10, 104, 50);
    EXPECT_TRUE(halves == wholeFrame());
    EXPECT_NE(pixelAt(41, 11).g, pixelAt(49, 11).g);  // the pattern really varies
    glDeleteTextures(1, &tileBrightTexture);
    tileBrightTexture = 0;
}

// Glyphs are 26 wide at scale 1 and the pen moves 0.7 of a glyph; codes
// without a glyph draw nothing and take no room.
TEST_F(Draw, TextPenAdvancesBySevenTenthsOfAGlyphPastCharactersThatHaveOne)
{
    drawText(10, 10, "ABC", 1);
    EXPECT_EQ(litInRow(20), 62);  // 26 + 2 * 18.2 = 62.4
    drawText(10, 40, "AB", 1.5f);
    EXPECT_EQ(litInRow(50), 66);  // 39 + 27.3 = 66.3
    EXPECT_TRUE(lit(10, 40) && lit(10, 78) && !lit(10, 79));  // 39 tall
    drawText(10, 80, "A\xFF\xA9" "B", 1);
    EXPECT_EQ(litInRow(90), 44);  // like "AB": 26 + 18.2
    drawText(10, 110, "\x80\xC3\xA9\xFF\x01\x1F", 1);
    EXPECT_EQ(litInRow(115), 0);
}

// Colours arrive in the right channels and rows in the right order, here
// from a picture of 3 bytes a texel. A missing picture gives no texture.
TEST_F(Draw, PicturesKeepTheirColoursAndAMissingOneGivesNone)
{
    EXPECT_EQ(loadTexture("Media/no-such-picture.png"), 0u);
    std::vector<unsigned char> rgb = {200, 100, 50, 10, 20, 30, 0, 255, 0, 1, 2, 3, 5, 6, 7, 9, 10, 11};
    std::string path = "draw_gltest_rgb.png";   // in the test's scratch directory
    lodepng::encode(path, rgb, 3, 2, LCT_RGB);
    GLuint texture = loadTexture(path.c_str());
    remove(path.c_str());
    ASSERT_NE(texture, 0u);
    std::vector<unsigned char> texels(3 * 2 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    for (int i = 0; i < 6; i++) {
        for (int c = 0; c < 3; c++)
            EXPECT_EQ(texels[i * 4 + c], rgb[i * 3 + c]) << "texel " << i << ", channel " << c;
        EXPECT_EQ(texels[i * 4 + 3], 255) << "texel " << i;
    }
    glDeleteTextures(1, &texture);
}

// A sprite sheet cut short in the middle of its pixel data, or with one byte
// of its pixel data flipped, gives no picture and no texture, as a missing file.
TEST_F(Draw, TruncatedOrDamagedPicturesGiveNoTexture)
{
    std::vector<unsigned char> noise(64 * 64 * 4);
    for (size_t i = 0; i < noise.size(); i++)
        noise[i] = (unsigned char)(i * 7919 % 251);
    std::vector<unsigned char> png;
    ASSERT_EQ(lodepng::encode(png, noise, 64, 64), 0u);
    std::vector<unsigned char> truncated(png.begin(), png.begin() + png.size() / 2);
    std::vector<unsigned char> damaged = png;
    damaged[png.size() / 2] ^= 0x5A;
    std::string path = "draw_gltest_broken.png";
    for (const std::vector<unsigned char>* bytes : {&truncated, &damaged}) {
        lodepng::save_file(*bytes, path);
        EXPECT_EQ(loadPicture(path.c_str()), nullptr) << bytes->size() << " bytes";
        EXPECT_EQ(loadTexture(path.c_str()), 0u) << bytes->size() << " bytes";
    }
    remove(path.c_str());
}

// Without mipmapping a texture has one level and linear filters; with it a
// whole chain and minification between levels. Both repeat.
TEST_F(Draw, MipmapSettingDecidesTheLevelsAndFilters)
{
    for (int on = 0; on < 2; on++) {
        mipmapping = on;
        GLuint texture = textureOf(16, 16, std::vector<unsigned char>(16 * 16 * 4, 200));
        GLint levelOneWidth = -1, minFilter = -1, magFilter = -1, wrapS = -1, wrapT = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
        EXPECT_EQ(on ? 8 : 0, levelOneWidth) << "mipmapping " << on;
        EXPECT_EQ(on ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR, minFilter) << "mipmapping " << on;
        EXPECT_EQ(GL_LINEAR, magFilter) << "mipmapping " << on;
        EXPECT_EQ(GL_REPEAT, wrapS) << "mipmapping " << on;
        EXPECT_EQ(GL_REPEAT, wrapT) << "mipmapping " << on;
        glDeleteTextures(1, &texture);
    }
    mipmapping = false;
}
