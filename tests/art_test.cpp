// The generated pictures in Media/: the sizes the game cuts them at,
// every sheet piece where the game cuts it, clean margins, seamless tiles and
// panels, and a generator that writes the same bytes every time.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kMedia = VG_BUILD_DIR "/Media";
const char* const kMakeArt = VG_BUILD_DIR "/makeart";
const int kFileCount = 6;
const char* const kFiles[kFileCount] = {"spritesheettexture.png", "borderdarknesstexture.png", "borderbloodtexture.png",
                                        "tilebrighttexture.png", "tiledarktexture.png", "dashboard.png"};
const int kSeamRun = 10;  // seams are judged on runs of this many pixels, past the grain
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

// Sum of the colour channels, 0..765.
int brightness(const Picture& p, int x, int y) { return channel(p, x, y, 0) + channel(p, x, y, 1) + channel(p, x, y, 2); }

// Number of pixels in the rectangle with alpha above 'least'.
int inked(const Picture& p, Rect r, int least = 0) {
    int n = 0;
    for (int y = r.top; y < r.top + r.height; y++)
        for (int x = r.left; x < r.left + r.width; x++) n += alpha(p, x, y) > least;
    return n;
}

// Every piece carries ink; outside the pieces and the allowed areas all is transparent.
void expectInkOnlyInPieces(const Picture& p, const std::vector<Rect>& pieces, std::vector<Rect> allowed) {
    for (const Rect& r : pieces) EXPECT_GT(inked(p, r, 40), r.width * r.height / 100 + 3) << r.left << "," << r.top;
    allowed.insert(allowed.end(), pieces.begin(), pieces.end());
    int stray = 0;
    for (int y = 0; y < (int)p.height; y++)
        for (int x = 0; x < (int)p.width; x++)
            stray += alpha(p, x, y) != 0 && std::none_of(allowed.begin(), allowed.end(), [&](const Rect& r) {
                         return x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
                     });
    EXPECT_EQ(stray, 0);
}

// Largest difference in any channel between two lines of n pixels (each a
// start and a step), after averaging runs of 'run' pixels: with runs of 1 the
// lines are identical exactly when it is 0; longer runs see past pixel grain.
double lineDifference(const Picture& p, int x0, int y0, int dx0, int dy0, int x1, int y1, int dx1, int dy1, int n, int run = 1) {
    double worst = 0;
    for (int start = 0; start + run <= n; start += run)
        for (int c = 0; c < 3; c++) {
            double sum = 0;
            for (int i = start; i < start + run; i++) sum += channel(p, x0 + dx0 * i, y0 + dy0 * i, c) - channel(p, x1 + dx1 * i, y1 + dy1 * i, c);
            worst = std::max(worst, std::fabs(sum) / run);
        }
    return worst;
}

// How much more the edges of a square picture differ than its two middle
// columns: opposite edges for a picture that repeats, or with 'turned' any
// edge against any other read either way, for cells laid at any quarter turn.
double worstSeam(const Picture& p, int left, int top, int size, bool turned) {
    const int n = size - 1, edges[8][4] = {{0, 0, 1, 0},  {0, n, 1, 0},  {0, 0, 0, 1},  {n, 0, 0, 1},
                                           {n, 0, -1, 0}, {n, n, -1, 0}, {0, n, 0, -1}, {n, n, 0, -1}};
    double inner = lineDifference(p, left + size / 2 - 1, top, 0, 1, left + size / 2, top, 0, 1, size, kSeamRun), worst = 0;
    for (int a = 0; a < 4; a++)
        for (int b = 0; b < 8; b++) {
            const int *e = edges[a], *f = edges[b];
            if (turned || b == (a ^ 1))
                worst = std::max(worst, lineDifference(p, left + e[0], top + e[1], e[2], e[3], left + f[0], top + f[1], f[2], f[3], size, kSeamRun) - inner);
        }
    return worst;
}

// Width, first and last column of the ink (or a glyph's white body) in the rectangle.
int columnsSpanned(const Picture& p, Rect r, bool body, int& first, int& last) {
    first = -1, last = -1;
    for (int x = r.left; x < r.left + r.width; x++)
        for (int y = r.top; y < r.top + r.height; y++)
            if (body ? alpha(p, x, y) > 150 && channel(p, x, y, 0) > 150 : alpha(p, x, y) > 40) {
                if (first < 0) first = x;
                last = x;
            }
    return first < 0 ? 0 : last - first + 1;
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

TEST(SpriteSheet, EveryPictureHasInkAndNothingLiesOutsideThePieces) {
    // bomb, car, blast, tracer, crosshair, both ends of the title strip; then actors, decals, props
    std::vector<Rect> pieces = {{526, 526, 100, 100}, {513, 897, 254, 126}, {513, 385, 126, 126}, {641, 385, 126, 126},
                                {257, 897, 126, 126}, {257, 385, 126, 60},  {257, 835, 126, 60}};
    for (int i = 0; i < 4; i++) pieces.push_back({526 + 128 * (i % 2), 14 + 128 * (i / 2), 100, 100});
    for (int i = 0; i < 2; i++) pieces.push_back({526 + 128 * i, 270, 100, 100});
    for (int i = 0; i < 4; i++) pieces.push_back({513 + 128 * (i % 2), 641 + 128 * (i / 2), 126, 126});
    // tiles with their bleed, the font, the rest of the title, the wall colours
    expectInkOnlyInPieces(media(kSheet), pieces,
                          {{0, 0, 256, 1024}, {256, 0, 256, 384}, {257, 385, 126, 510}, {432, 688, 32, 32}, {432, 816, 32, 32}});
}

TEST(SpriteSheet, TilesAreOpaqueOverTheirWholeCellAndEdgeBleedCopiesTheBorder) {
    const Picture& p = media(kSheet);
    for (int kind = 0; kind < 16; kind++) {
        int cellLeft = 128 * (kind % 2), cellTop = 128 * (kind / 2), left = cellLeft + 14, top = cellTop + 14;
        EXPECT_EQ(inked(p, {cellLeft, cellTop, 128, 128}, 254), 128 * 128) << "kind " << kind;
        for (int i = 0; i < 100; i += 9) {
            EXPECT_EQ(lineDifference(p, cellLeft, top + i, 1, 0, left, top + i, 0, 0, 14), 0) << "kind " << kind << " left";
            EXPECT_EQ(lineDifference(p, left + i, top + 100, 0, 1, left + i, top + 99, 0, 0, 14), 0) << "kind " << kind << " bottom";
        }
    }
}

TEST(SpriteSheet, GroundTilesMeetAtEveryRotationWithoutSeams) {
    for (int kind : {4, 5, 7, 8, 9})
        EXPECT_LT(worstSeam(media(kSheet), 14 + 128 * (kind % 2), 14 + 128 * (kind / 2), 100, true), 5) << "kind " << kind;
}

TEST(SpriteSheet, WallColoursAreFlatOpaqueBlocksAndTheFillStandsOutFromTheWalkway) {
    const Picture& p = media(kSheet);
    for (int y0 : {704, 832}) {
        for (int y = y0 - 8; y < y0 + 8; y++) EXPECT_EQ(lineDifference(p, 440, y, 1, 0, 448, y0, 0, 0, 16), 0) << "row " << y;
        EXPECT_EQ(inked(p, {440, y0 - 8, 16, 16}, 254), 256);
    }
    int outline = brightness(p, 448, 704), fill = brightness(p, 448, 832), walkway = 0;
    for (int i = 0; i < 100; i++) walkway += brightness(p, 142 + i, 398 + i % 40);
    EXPECT_LT(outline + 150, fill) << "the wall outline must be clearly darker than the wall";
    EXPECT_LT(fill + 100, walkway / 100) << "the wall must be clearly darker than the walkway";
}

// Glyphs are drawn 26 wide at a pen advance of 18.2: the white body of common
// letters must fill most of that, and no ink may leave the sampled area.
TEST(SpriteSheet, FontGlyphsFillThePenAdvanceWithinTheirSampledArea) {
    const Picture& p = media(kSheet);
    for (int k = 0; k < 96; k++) {
        Rect cell = {256 + 32 * (k % 8), 32 * (k / 8), 32, 32}, sampled = {cell.left + 3, cell.top + 3, 26, 26};
        char ch = (char)(32 + k);
        if (ch == ' ' || k == 95) {
            EXPECT_EQ(inked(p, cell), 0) << "code " << 32 + k;
            continue;
        }
        EXPECT_GT(inked(p, sampled, 40), 4) << ch;
        EXPECT_EQ(inked(p, cell), inked(p, sampled)) << ch << " spills out of its sampled area";
        int first, last, body = columnsSpanned(p, sampled, true, first, last);
        bool common = std::string("abdeghnopquHNOU").find(ch) != std::string::npos;
        EXPECT_TRUE(body <= 19 && (!common || body >= 14)) << ch << " body " << body << ": crowded or letter-spaced text";
        EXPECT_NEAR((first + last) / 2.0, cell.left + 16, 3) << ch << " off the centre of its pen advance";
    }
}

TEST(Overlays, VignettesLeaveTheViewClearAndPatternsRepeatSeamlessly) {
    const Picture &dark = media(kDarkness), &blood = media(kBlood);
    EXPECT_TRUE(inked(dark, {192, 192, 128, 128}, 3) == 0 && alpha(dark, 0, 0) > 180) << "darkness: clear middle, dark corners";
    // At full health the blood picture is 2.48 screens wide: the screen shows its middle 1/2.48.
    int shown = (int)std::ceil(512 / 2.48) + 2;
    EXPECT_EQ(inked(blood, {(512 - shown) / 2, (512 - shown) / 2, shown, shown}), 0);
    for (int i = 0; i < 512; i += 37)
        EXPECT_TRUE(alpha(blood, i, 1) > 150 && channel(blood, i, 1, 0) > 2 * channel(blood, i, 1, 1) + 40) << "red rim at " << i;
    for (int file : {kBright, kDark})
        EXPECT_TRUE(inked(media(file), {0, 0, 128, 128}, 254) == 128 * 128 && worstSeam(media(file), 0, 0, 128, false) < 6) << kFiles[file];
}

TEST(Dashboard, GlyphsPanelsPointerAndBarsHaveInkAndTheRestIsTransparent) {
    const Picture& p = media(kDashboard);
    std::vector<Rect> pieces = {{440, 60, 40, 60}, {0, 120, 640, 68}, {0, 188, 640, 68}};  // pointer, two bars
    for (int i = 0; i < 27; i++) pieces.push_back({60 * (i / 9) + 20 * (i % 3), 59 + 20 * (i / 3 % 3), 20, 20});
    for (int k = 1, first, last; k < 95; k++) {  // glyphs fit the overlay's 10-pixel pen advance
        pieces.push_back({20 * (k % 32), 20 * (k / 32), 20, 20});
        EXPECT_LE(columnsSpanned(p, pieces.back(), false, first, last), 13) << "code " << 32 + k;
        EXPECT_NEAR((first + last) / 2.0 - 20 * (k % 32), 10, 2.5) << "code " << 32 + k;
    }
    expectInkOnlyInPieces(p, pieces, {});
    EXPECT_EQ(inked(p, {0, 0, 20, 20}) + inked(p, {180, 59, 460, 1}), 0) << "space, and the glyphs' last row over the panels";
}

TEST(Dashboard, PanelsAndBarsStretchWithoutSeamsAndThePointerTipIsAtItsHotSpot) {
    const Picture& p = media(kDashboard);
    for (int s = 0; s < 3; s++) {
        for (int i = 1; i < 20; i++) {
            EXPECT_EQ(lineDifference(p, 60 * s + 20, 59, 0, 1, 60 * s + 20 + i, 59, 0, 1, 60), 0) << "style " << s;
            EXPECT_EQ(lineDifference(p, 60 * s, 79, 1, 0, 60 * s, 79 + i, 1, 0, 60), 0) << "style " << s;
        }
        EXPECT_GT(alpha(p, 60 * s + 30, 89), 150) << "style " << s << " centre is a solid panel";
    }
    EXPECT_GT(alpha(p, 452, 70), 128) << "pointer tip at its hot spot";
    EXPECT_EQ(inked(p, {440, 60, 10, 60}) + inked(p, {440, 60, 40, 8}), 0) << "nothing left of or above the tip";
    for (int y = 120; y < 256; y += 5) EXPECT_LT(lineDifference(p, 0, y, 1, 0, 320, y, 1, 0, 320), 8) << "bar row " << y;
}
