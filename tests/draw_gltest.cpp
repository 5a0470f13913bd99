// The drawing primitives and texture loading, on a real OpenGL window. Pictures
// are small textures made here, so nothing depends on the game's art.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/settings.h"
#include "render/draw.h"

static const int kWindowWidth = 160;
static const int kWindowHeight = 120;

struct Rgba {
    unsigned char r, g, b, a;
};

// Opens the game's window once, then gives every test a cleared frame with a
// y-down pixel projection and the state the frame dispatcher sets up.
class GlWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (screenSurface)
            return;
        screenWidth = kWindowWidth;
        screenHeight = kWindowHeight;
        setupDisplay();
        buildFrameTables();
        buildGlyphFrames();
    }

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

    // The pixel at (x, y), counted from the window's top-left corner.
    static Rgba pixel(int x, int y)
    {
        Rgba p;
        glReadPixels(x, kWindowHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
        return p;
    }

    static bool lit(int x, int y) { return pixel(x, y).r > 127; }

    // How many pixels of row y are lit.
    static int litInRow(int y)
    {
        int count = 0;
        for (int x = 0; x < kWindowWidth; x++)
            count += lit(x, y);
        return count;
    }

    static std::vector<unsigned char> readWindow()
    {
        std::vector<unsigned char> rgba(kWindowWidth * kWindowHeight * 4);
        glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    // A nearest-filtered repeating texture made from RGBA texels.
    static GLuint makeTexture(int width, int height, const std::vector<unsigned char>& rgba)
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return name;
    }
};

class Sprites : public GlWindow {};
class Text : public GlWindow {};
class PatternFills : public GlWindow {};
class TextureLoading : public GlWindow {};

TEST_F(Sprites, EveryKindOfQuadSurvivesBackFaceCulling)
{
    ASSERT_TRUE(glIsEnabled(GL_CULL_FACE));
    drawSprite(10, 10, 20, 20, false, 1.0f, wholeTexture);
    drawSprite(60, 20, 20, 20, true, 0.0f, wholeTexture);
    drawSprite(100, 20, 20, 20, true, 0.3f, wholeTexture);
    fillEdgeRect(10, 50, 30, 70);
    drawBar(60, 50, 90, 60, 2, 0.5f);
    drawText(10, 80, "II", 1);
    EXPECT_TRUE(lit(10, 10));              // uncentred: (x, y) is the top-left corner
    EXPECT_FALSE(lit(9, 10));
    EXPECT_TRUE(lit(29, 29));
    EXPECT_FALSE(lit(30, 29));
    EXPECT_TRUE(lit(60, 20));
    EXPECT_TRUE(lit(100, 20));
    EXPECT_TRUE(lit(20, 60));
    EXPECT_TRUE(lit(75, 55));
    EXPECT_TRUE(lit(20, 90));
}

// A picture whose right half is red, drawn at a quarter turn: with y downward
// a positive angle turns it clockwise, so the red half ends at the bottom.
TEST_F(Sprites, PositiveAngleTurnsClockwiseOnScreen)
{
    std::vector<unsigned char> halves = {0, 0, 255, 255, 255, 0, 0, 255};
    GLuint texture = makeTexture(2, 1, halves);
    glEnable(GL_TEXTURE_2D);
    drawSprite(60, 60, 40, 40, true, 0.0f, wholeTexture);
    EXPECT_EQ(pixel(70, 60).r, 255);
    EXPECT_EQ(pixel(50, 60).b, 255);
    glClear(GL_COLOR_BUFFER_BIT);
    drawSprite(60, 60, 40, 40, true, 1.5707963f, wholeTexture);
    EXPECT_EQ(pixel(60, 70).r, 255);
    EXPECT_EQ(pixel(60, 50).b, 255);
    glDeleteTextures(1, &texture);
}

// A turned sprite pushes and pops around its own turn. With the projection
// stack full any push overflows, so an unturned one (angle 0 or -0) must not push.
TEST_F(Sprites, OnlyTurnedSpritesPushAMatrixAndTheyRestoreIt)
{
    GLfloat before[16], after[16];
    glTranslatef(3, 4, 0);
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    drawSprite(60, 60, 20, 20, true, 2.5f, wholeTexture);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(before[i], after[i]) << "element " << i;

    GLint maxDepth = 0, depth = 0;
    glGetIntegerv(GL_MAX_PROJECTION_STACK_DEPTH, &maxDepth);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    for (int i = depth; i < maxDepth; i++)
        glPushMatrix();
    drawSprite(60, 60, 20, 20, true, 0.0f, wholeTexture);
    drawSprite(60, 60, 20, 20, true, -0.0f, wholeTexture);
    drawSprite(60, 60, 20, 20, false, 1.0f, wholeTexture);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    drawSprite(60, 60, 20, 20, true, 0.1f, wholeTexture);
    EXPECT_EQ(glGetError(), (GLenum)GL_STACK_OVERFLOW);
    for (int i = 1; i < maxDepth; i++)
        glPopMatrix();
    glGetError();
}

TEST_F(Text, PenAdvancesBySevenTenthsOfAGlyph)
{
    ASSERT_FLOAT_EQ(glyphWidth, 26);
    drawText(10, 10, "A", 1);
    EXPECT_EQ(litInRow(20), 26);
    drawText(10, 50, "ABC", 1);
    EXPECT_EQ(litInRow(60), 62);           // 26 + 2 * 18.2 = 62.4
    drawText(10, 90, "AB", 1.5f);
    EXPECT_EQ(litInRow(100), 66);          // 39 + 27.3 = 66.3
    EXPECT_TRUE(lit(10, 90));
    EXPECT_TRUE(lit(10, 118));             // 39 tall: rows 90 to 128
}

TEST_F(Text, CharactersWithoutAGlyphDrawNothingAndTakeNoRoom)
{
    drawText(10, 10, "\x80\xC3\xA9\xFF\x01\x1F", 1);
    EXPECT_EQ(litInRow(20), 0);
    drawText(10, 50, "A\xFF\xA9" "B", 1);
    EXPECT_EQ(litInRow(60), 44);           // like "AB": 26 + 18.2
}

// Patterned rectangles take their texture coordinates from position, so two
// halves side by side match one whole rectangle pixel for pixel.
TEST_F(PatternFills, NeighbouringRectanglesContinueThePattern)
{
    std::vector<unsigned char> texels;
    for (int i = 0; i < 8 * 8; i++) {
        unsigned char t[4] = {(unsigned char)(i * 37), (unsigned char)(i * 91), (unsigned char)(255 - i * 3), 255};
        texels.insert(texels.end(), t, t + 4);
    }
    GLuint sheet = makeTexture(1, 1, {255, 255, 255, 255});
    GLuint pattern = makeTexture(8, 8, texels);
    spriteSheetTexture = sheet;
    tileBrightTexture = pattern;
    glEnable(GL_TEXTURE_2D);
    fillBrightRect(40, 10, 72, 50);
    fillBrightRect(72, 10, 104, 50);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, sheet);
    std::vector<unsigned char> halves = readWindow();
    glClear(GL_COLOR_BUFFER_BIT);
    fillBrightRect(40, 10, 104, 50);
    EXPECT_TRUE(halves == readWindow());
    EXPECT_NE(pixel(41, 11).g, pixel(49, 11).g);   // the pattern really varies
    glDeleteTextures(1, &pattern);
    glDeleteTextures(1, &sheet);
    spriteSheetTexture = tileBrightTexture = 0;
}

// Writes a PNG of the given colour type from its raw pixels.
static std::string writePng(const char* name, const std::vector<unsigned char>& raw, int width, int height,
                            LodePNGColorType type)
{
    std::string path = std::string(VG_BUILD_DIR) + "/" + name;
    lodepng::encode(path, raw, width, height, type, 8);
    return path;
}

// The texels of level 0 of the bound texture, as RGBA.
static std::vector<unsigned char> texelsOf(GLuint texture, int width, int height)
{
    std::vector<unsigned char> rgba(width * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

TEST_F(TextureLoading, MissingOrUnreadablePictureGivesNoTexture)
{
    EXPECT_EQ(loadTexture("Media/no-such-picture.png"), 0u);
    std::string path = std::string(VG_BUILD_DIR) + "/draw_gltest_garbage.png";
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    fputs("this is not a picture", file);
    fclose(file);
    EXPECT_EQ(loadTexture(path.c_str()), 0u);
    remove(path.c_str());
}

// Colours must arrive in the right channels: RGB has 3 bytes a texel (odd
// width, so rows are padded) and grey pictures are converted to RGBA.
TEST_F(TextureLoading, RgbAndGreyPicturesKeepTheirColours)
{
    std::vector<unsigned char> rgb = {200, 100, 50, 10, 20, 30, 0, 255, 0, 1, 2, 3, 5, 6, 7, 9, 10, 11};
    std::vector<unsigned char> grey = {0, 90, 180, 255, 60, 30};
    std::string rgbPath = writePng("draw_gltest_rgb.png", rgb, 3, 2, LCT_RGB);
    std::string greyPath = writePng("draw_gltest_grey.png", grey, 3, 2, LCT_GREY);
    GLuint textures[2] = {loadTexture(rgbPath.c_str()), loadTexture(greyPath.c_str())};
    ASSERT_NE(textures[0], 0u);
    ASSERT_NE(textures[1], 0u);
    std::vector<unsigned char> fromRgb = texelsOf(textures[0], 3, 2);
    std::vector<unsigned char> fromGrey = texelsOf(textures[1], 3, 2);
    for (int i = 0; i < 6; i++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_EQ(fromRgb[i * 4 + c], rgb[i * 3 + c]) << "texel " << i;
            EXPECT_EQ(fromGrey[i * 4 + c], grey[i]) << "texel " << i;
        }
        EXPECT_EQ(fromGrey[i * 4 + 3], 255);
    }
    glDeleteTextures(2, textures);
    remove(rgbPath.c_str());
    remove(greyPath.c_str());
}

// A parameter of the texture, or of its level 1 for GL_TEXTURE_WIDTH.
static GLint textureParameter(GLuint texture, GLenum name)
{
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    if (name == GL_TEXTURE_WIDTH)
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, name, &value);
    else
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

TEST_F(TextureLoading, MipmapSettingDecidesTheLevelsAndFilters)
{
    std::string path = writePng("draw_gltest_mip.png", std::vector<unsigned char>(16 * 16 * 4, 200), 16, 16,
                                LCT_RGBA);
    mipmapping = false;
    GLuint single = loadTexture(path.c_str());
    mipmapping = true;
    GLuint chain = loadTexture(path.c_str());
    mipmapping = false;
    EXPECT_EQ(textureParameter(single, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(textureParameter(single, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(single, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(single, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(single, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(textureParameter(chain, GL_TEXTURE_WIDTH), 8);
    EXPECT_EQ(textureParameter(chain, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureParameter(chain, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    GLuint textures[2] = {single, chain};
    glDeleteTextures(2, textures);
    remove(path.c_str());
}
