// The generated pictures in Media/ against the game's own tables: the sizes
// the game cuts them at, ink in every frame it cuts and none around the
// glyphs it samples, vignettes with a clear middle, and a generator that
// writes the same bytes every time.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "overlay/overlay.h"
#include "render/draw.h"

namespace {

const char* const kMedia = VG_BUILD_DIR "/Media";
const char* const kMakeArt = VG_BUILD_DIR "/makeart";
const int kFileCount = 6;
const char* const kFiles[kFileCount] = {"spritesheettexture.png", "borderdarknesstexture.png", "borderbloodtexture.png",
                                        "tilebrighttexture.png", "tiledarktexture.png", "dashboard.png"};
const int kSheet = 0, kDarkness = 1, kBlood = 2, kBright = 3, kDark = 4, kDashboard = 5;

struct Picture {
    std::vector<unsigned char> rgba;
    unsigned width = 0, height = 0;
};

struct Rect {
    int left, top, width, height;
};

// One of the files above by its index, decoded once. A missing picture, or one
// of another size than the game cuts it at, fails and reads as transparent.
const Picture& media(int file) {
    static const unsigned sizes[kFileCount][2] = {{1024, 1024}, {512, 512}, {512, 512}, {128, 128}, {128, 128}, {1024, 256}};
    static Picture cache[kFileCount];
    Picture& p = cache[file];
    if (p.rgba.empty() && (lodepng::decode(p.rgba, p.width, p.height, std::string(kMedia) + "/" + kFiles[file]) != 0 ||
                           p.width != sizes[file][0] || p.height != sizes[file][1])) {
        ADD_FAILURE() << kFiles[file] << " is " << p.width << " x " << p.height;
        p.width = sizes[file][0], p.height = sizes[file][1];
        p.rgba.assign((size_t)p.width * p.height * 4, 0);
    }
    return p;
}

int channel(const Picture& p, int x, int y, int c) { return p.rgba[((size_t)y * p.width + x) * 4 + c]; }
int alpha(const Picture& p, int x, int y) { return channel(p, x, y, 3); }

// The pixels a frame of the game's tables samples from a picture of the given size.
Rect sheetRect(const SpriteFrame& f, int width = 1024, int height = 1024) {
    return {(int)lroundf(f.uv[0] * width), (int)lroundf(f.uv[5] * height), (int)lroundf((f.uv[2] - f.uv[0]) * width),
            (int)lroundf((f.uv[1] - f.uv[5]) * height)};
}

// Number of pixels in the rectangle with alpha above 'least'.
int inked(const Picture& p, Rect r, int least = 0) {
    int n = 0;
    for (int y = r.top; y < r.top + r.height; y++)
        for (int x = r.left; x < r.left + r.width; x++) n += alpha(p, x, y) > least;
    return n;
}

std::vector<unsigned char> fileBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    EXPECT_EQ(lodepng::load_file(bytes, path), 0u) << path;
    return bytes;
}

int runMakeArt(const std::string& dir) {
    int status = std::system((std::string(kMakeArt) + " '" + dir + "' 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ArtFiles, GeneratorWritesTheSameBytesEveryRunAndReportsAnUnwritableDirectory) {
    char dir[] = "/tmp/vgartXXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    ASSERT_EQ(runMakeArt(dir), 0);
    for (const char* name : kFiles) {  // this run against the one that made the build's Media/
        std::string path = std::string(dir) + "/" + name;
        std::vector<unsigned char> bytes = fileBytes(path);
        EXPECT_TRUE(!bytes.empty() && bytes == fileBytes(std::string(kMedia) + "/" + name)) << name;
        std::remove(path.c_str());
    }
    rmdir(dir);
    EXPECT_NE(runMakeArt("/nonexistent/vellgrave-art"), 0);
}

// Every picture the game cuts from the sheet carries ink where it cuts it.
TEST(SpriteSheet, EveryFrameTheGameCutsHoldsAPicture) {
    buildFrameTables();
    std::vector<const SpriteFrame*> frames = {&projectileFrame, &longObstacleFrame, &blastFrame, &tracerFrame, &crosshairFrame};
    for (int i = 0; i < 3; i++) frames.push_back(&actorFrames[i]);
    for (const SpriteFrame& f : decalFrames) frames.push_back(&f);
    for (const SpriteFrame& f : obstacleFrames) frames.push_back(&f);
    for (const SpriteFrame& f : tileFrames) frames.push_back(&f);
    for (const SpriteFrame* f : frames) {
        Rect r = sheetRect(*f);
        EXPECT_GT(inked(media(kSheet), r, 40), r.width * r.height / 100 + 3) << "frame at " << r.left << "," << r.top;
    }
}

// The font as the game cuts it at start-up: each glyph's frame takes in all
// the ink of its 32-pixel cell, and a space has none.
TEST(SpriteSheet, GlyphFramesTakeInTheirWholeGlyph) {
    buildGlyphFrames();
    const Picture& p = media(kSheet);
    for (int k = 0; k < 95; k++) {
        Rect cell = {256 + 32 * (k % 8), 32 * (k / 8), 32, 32}, frame = sheetRect(glyphFrames[k]);
        EXPECT_EQ(inked(p, cell), inked(p, frame)) << "code " << 32 + k;
        EXPECT_EQ(inked(p, cell) == 0, k == 0) << "code " << 32 + k;
    }
}

TEST(Overlays, VignettesLeaveTheViewClearAndPatternsAreOpaque) {
    const Picture &dark = media(kDarkness), &blood = media(kBlood);
    EXPECT_TRUE(inked(dark, {192, 192, 128, 128}, 3) == 0 && alpha(dark, 0, 0) > 180) << "darkness: clear middle, dark corners";
    // At full health the blood picture is 2.48 screens wide: the screen shows its middle 1/2.48.
    int shown = (int)std::ceil(512 / 2.48) + 2;
    EXPECT_EQ(inked(blood, {(512 - shown) / 2, (512 - shown) / 2, shown, shown}), 0);
    for (int i = 0; i < 512; i += 37)
        EXPECT_TRUE(alpha(blood, i, 1) > 150 && channel(blood, i, 1, 0) > 2 * channel(blood, i, 1, 1) + 40) << "red rim at " << i;
    for (int file : {kBright, kDark})
        EXPECT_EQ(inked(media(file), {0, 0, 128, 128}, 254), 128 * 128) << kFiles[file] << " is opaque";
}

// The overlay's pieces as the game cuts them: each has ink, and nothing
// lies outside them.
TEST(Dashboard, EveryPieceTheOverlayCutsHasInkAndTheRestIsTransparent) {
    buildSheetQuads();
    std::vector<const SheetQuad*> quads = {&pointerQuad, &topBarQuad, &bottomBarQuad};
    for (const SheetQuad& q : panelPieceQuads) quads.push_back(&q);
    for (int k = 1; k < kOverlayGlyphs; k++) quads.push_back(&overlayGlyphQuads[k]);
    const Picture& p = media(kDashboard);
    std::vector<unsigned char> covered(p.width * p.height, 0);
    for (const SheetQuad* q : quads) {
        Rect r = sheetRect(*q, 1024, 256);
        EXPECT_GT(inked(p, r, 40), r.width * r.height / 100 + 3) << "piece at " << r.left << "," << r.top;
        for (int y = r.top; y < r.top + r.height; y++) std::fill_n(covered.begin() + y * p.width + r.left, r.width, 1);
    }
    int stray = 0;
    for (int y = 0; y < (int)p.height; y++)
        for (int x = 0; x < (int)p.width; x++) stray += alpha(p, x, y) != 0 && !covered[y * p.width + x];
    EXPECT_EQ(stray, 0);
}
