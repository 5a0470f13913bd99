// The generated pictures in Media/: sizes and formats the loaders accept,
// every sheet piece where the game cuts it, clean margins, seamless tiles and
// panels, and a generator that writes the same bytes every time.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kMedia = VG_BUILD_DIR "/Media";
const char* const kMakeArt = VG_BUILD_DIR "/makeart";
const char* const kFiles[] = {"spritesheettexture.png", "borderdarknesstexture.png", "borderbloodtexture.png",
                              "tilebrighttexture.png", "tiledarktexture.png", "dashboard.png"};

struct Picture {
    std::vector<unsigned char> rgba;
    unsigned width = 0, height = 0;
};

struct Rect {
    int left, top, width, height;
};

Picture load(const std::string& name) {
    Picture p;
    EXPECT_EQ(lodepng::decode(p.rgba, p.width, p.height, std::string(kMedia) + "/" + name), 0u) << name;
    return p;
}

const Picture& sheet() {
    static Picture p = load("spritesheettexture.png");
    return p;
}

const Picture& dashboard() {
    static Picture p = load("dashboard.png");
    return p;
}

int channel(const Picture& p, int x, int y, int c) {
    return p.rgba[((size_t)y * p.width + x) * 4 + c];
}

int alpha(const Picture& p, int x, int y) {
    return channel(p, x, y, 3);
}

// Number of pixels in the rectangle with alpha above 'least'.
int inked(const Picture& p, Rect r, int least = 0) {
    int n = 0;
    for (int y = r.top; y < r.top + r.height; y++)
        for (int x = r.left; x < r.left + r.width; x++) n += alpha(p, x, y) > least;
    return n;
}

bool inside(Rect r, int x, int y) {
    return x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
}

// The sheet pieces the game cuts, and what each may cover beyond its picture.
std::vector<Rect> sheetPictures() {
    std::vector<Rect> r;
    for (int i = 0; i < 4; i++) r.push_back({526 + 128 * (i % 2), 14 + 128 * (i / 2), 100, 100});
    for (int i = 0; i < 2; i++) r.push_back({526 + 128 * i, 270, 100, 100});
    r.push_back({526, 526, 100, 100});
    for (int i = 0; i < 4; i++) r.push_back({513 + 128 * (i % 2), 641 + 128 * (i / 2), 126, 126});
    r.push_back({513, 897, 254, 126});
    r.push_back({513, 385, 126, 126});
    r.push_back({641, 385, 126, 126});
    r.push_back({257, 897, 126, 126});
    r.push_back({257, 385, 126, 510});
    return r;
}

// Mean absolute RGB difference between two lines of n pixels.
double lineDifference(const Picture& p, int x0, int y0, int x1, int y1, int dx, int dy, int n) {
    double sum = 0;
    for (int i = 0; i < n; i++)
        for (int c = 0; c < 3; c++) sum += std::abs(channel(p, x0 + dx * i, y0 + dy * i, c) - channel(p, x1 + dx * i, y1 + dy * i, c));
    return sum / (3.0 * n);
}

// Horizontal ink extent of a rectangle: first and last inked column.
void inkColumns(const Picture& p, Rect r, int& first, int& last) {
    first = -1, last = -1;
    for (int x = r.left; x < r.left + r.width; x++)
        if (inked(p, {x, r.top, 1, r.height}, 40) > 0) {
            if (first < 0) first = x;
            last = x;
        }
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

std::string tempDir() {
    char name[] = "/tmp/vgartXXXXXX";
    EXPECT_NE(mkdtemp(name), nullptr);
    return name;
}

}  // namespace

TEST(ArtFiles, AreEightBitRgbaPngsOfTheSizesTheLoadersExpect) {
    for (const char* name : kFiles) {
        std::vector<unsigned char> bytes = fileBytes(std::string(kMedia) + "/" + name);
        ASSERT_GT(bytes.size(), 33u) << name;
        EXPECT_EQ(bytes[24], 8) << name << ": bit depth";
        EXPECT_EQ(bytes[25], 6) << name << ": colour type must be RGBA, the loaders take 3 or 4 bytes a pixel";
        Picture p = load(name);
        bool powerOfTwo = p.width && p.height && !(p.width & (p.width - 1)) && !(p.height & (p.height - 1));
        EXPECT_TRUE(powerOfTwo) << name;
    }
    EXPECT_EQ(sheet().width, 1024u);
    EXPECT_EQ(sheet().height, 1024u);
    EXPECT_EQ(dashboard().width, 1024u);
    EXPECT_EQ(dashboard().height, 256u);
}

TEST(ArtFiles, GeneratorWritesTheSameBytesEveryRun) {
    std::string a = tempDir(), b = tempDir();
    ASSERT_EQ(runMakeArt(a), 0);
    ASSERT_EQ(runMakeArt(b), 0);
    for (const char* name : kFiles) {
        std::vector<unsigned char> first = fileBytes(a + "/" + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == fileBytes(b + "/" + name)) << name;
        EXPECT_TRUE(first == fileBytes(std::string(kMedia) + "/" + name)) << name;
        std::remove((a + "/" + name).c_str());
        std::remove((b + "/" + name).c_str());
    }
    rmdir(a.c_str());
    rmdir(b.c_str());
}

TEST(ArtFiles, GeneratorReportsAnUnwritableDirectory) {
    EXPECT_NE(runMakeArt("/nonexistent/vellgrave-art"), 0);
}

TEST(SpriteSheet, EveryPictureHasInkAndNothingLiesOutsideThePieces) {
    const Picture& p = sheet();
    std::vector<Rect> pictures = sheetPictures();
    for (const Rect& r : pictures) EXPECT_GT(inked(p, r, 40), r.width * r.height / 20) << r.left << "," << r.top;
    std::vector<Rect> allowed = pictures;
    allowed.push_back({0, 0, 256, 1024});   // tiles with their bleed
    allowed.push_back({256, 0, 256, 384});  // font, checked cell by cell below
    allowed.push_back({432, 688, 32, 32});  // flat colour blocks
    allowed.push_back({432, 816, 32, 32});
    int stray = 0;
    for (int y = 0; y < 1024; y++)
        for (int x = 0; x < 1024; x++) {
            bool ok = false;
            for (const Rect& r : allowed) ok = ok || inside(r, x, y);
            if (!ok && alpha(p, x, y) != 0) stray++;
        }
    EXPECT_EQ(stray, 0);
}

TEST(SpriteSheet, TilesAreOpaqueOverTheirWholeCellAndEdgeBleedCopiesTheBorder) {
    const Picture& p = sheet();
    for (int kind = 0; kind < 16; kind++) {
        int cellLeft = 128 * (kind % 2), cellTop = 128 * (kind / 2);
        EXPECT_EQ(inked(p, {cellLeft, cellTop, 128, 128}, 254), 128 * 128) << "kind " << kind;
        int left = cellLeft + 14, top = cellTop + 14;
        for (int i = 0; i < 100; i += 9)
            for (int c = 0; c < 4; c++) {
                EXPECT_EQ(channel(p, cellLeft, top + i, c), channel(p, left, top + i, c)) << "kind " << kind;
                EXPECT_EQ(channel(p, left + i, cellTop + 127, c), channel(p, left + i, top + 99, c)) << "kind " << kind;
            }
    }
}

TEST(SpriteSheet, GroundTilesJoinTheirNeighboursWithoutSeams) {
    const Picture& p = sheet();
    for (int kind : {5, 7, 8, 9}) {
        int left = 14 + 128 * (kind % 2), top = 14 + 128 * (kind / 2);
        double inner = lineDifference(p, left + 49, top, left + 50, top, 0, 1, 100);
        double across = lineDifference(p, left + 99, top, left, top, 0, 1, 100);
        EXPECT_LT(across, inner + 12) << "kind " << kind << " left/right";
        across = lineDifference(p, left, top + 99, left, top, 1, 0, 100);
        EXPECT_LT(across, inner + 12) << "kind " << kind << " top/bottom";
    }
}

TEST(SpriteSheet, WallColourTexelsSitInSolidBlocksOfOneColour) {
    const Picture& p = sheet();
    for (int y0 : {704, 832}) {
        for (int y = y0 - 8; y < y0 + 8; y++)
            for (int x = 440; x < 456; x++)
                for (int c = 0; c < 4; c++) ASSERT_EQ(channel(p, x, y, c), channel(p, 448, y0, c)) << x << "," << y;
        EXPECT_EQ(alpha(p, 448, y0), 255);
    }
    int outline = channel(p, 448, 704, 0) + channel(p, 448, 704, 1) + channel(p, 448, 704, 2);
    int fill = channel(p, 448, 832, 0) + channel(p, 448, 832, 1) + channel(p, 448, 832, 2);
    EXPECT_LT(outline + 150, fill) << "wall outline must be clearly darker than the wall";
}

TEST(SpriteSheet, FontHasEveryPrintableGlyphInsideTheSampledAreaAndBlankSpace) {
    const Picture& p = sheet();
    for (int k = 0; k < 96; k++) {
        Rect cell = {256 + 32 * (k % 8), 32 * (k / 8), 32, 32};
        Rect sampled = {cell.left + 3, cell.top + 3, 26, 26};
        int ink = inked(p, sampled, 40);
        if (k == 0 || k == 95) {
            EXPECT_EQ(inked(p, cell), 0) << "code " << 32 + k;
            continue;
        }
        EXPECT_GT(ink, 4) << "code " << 32 + k;
        EXPECT_EQ(inked(p, cell) - inked(p, sampled), 0) << "code " << 32 + k << " spills out of its sampled area";
        int first, last;
        inkColumns(p, sampled, first, last);
        EXPECT_LE(last - first + 1, 24) << "code " << 32 + k << " too wide for the 0.7 pen advance";
        EXPECT_NEAR((first + last) / 2.0, cell.left + 16, 3.5) << "code " << 32 + k;
    }
}

TEST(SpriteSheet, TitleRunsAlongTheWholeStrip) {
    const Picture& p = sheet();
    EXPECT_GT(inked(p, {257, 385, 126, 60}, 100), 300) << "start of the title";
    EXPECT_GT(inked(p, {257, 835, 126, 60}, 100), 300) << "end of the title";
}

TEST(Overlays, DarknessIsClearInTheMiddleAndDarkAtTheCorners) {
    Picture p = load("borderdarknesstexture.png");
    int w = p.width, h = p.height;
    EXPECT_EQ(inked(p, {w / 2 - w / 8, h / 2 - h / 8, w / 4, h / 4}, 3), 0);
    EXPECT_GT(alpha(p, 0, 0), 180);
    EXPECT_GT(alpha(p, w - 1, h - 1), 180);
    EXPECT_EQ(channel(p, 0, 0, 0) + channel(p, 0, 0, 1) + channel(p, 0, 0, 2), 0);
}

TEST(Overlays, BloodStaysOutOfTheViewAtFullHealthAndRimsTheScreenAtNone) {
    Picture p = load("borderbloodtexture.png");
    int w = p.width, h = p.height;
    // At full health the picture is 2.48 screens wide: the screen shows its middle 1/2.48.
    int shownW = (int)std::ceil(w / 2.48) + 2, shownH = (int)std::ceil(h / 2.48) + 2;
    EXPECT_EQ(inked(p, {(w - shownW) / 2, (h - shownH) / 2, shownW, shownH}), 0);
    for (int i = 0; i < w; i += 37) {
        EXPECT_GT(alpha(p, i, 1), 150) << "top edge at " << i;
        EXPECT_GT(alpha(p, w - 2, i), 150) << "right edge at " << i;
        EXPECT_GT(channel(p, i, 1, 0), 2 * channel(p, i, 1, 1) + 40) << "red at " << i;
    }
}

TEST(Overlays, PatternsRepeatSeamlesslyAndTheBrightOneIsBrighter) {
    Picture bright = load("tilebrighttexture.png"), dark = load("tiledarktexture.png");
    double sums[2] = {0, 0};
    int index = 0;
    for (const Picture* p : {&bright, &dark}) {
        int w = p->width, h = p->height;
        EXPECT_EQ(inked(*p, {0, 0, w, h}, 254), w * h);
        double inner = lineDifference(*p, w / 2 - 1, 0, w / 2, 0, 0, 1, h);
        EXPECT_LT(lineDifference(*p, w - 1, 0, 0, 0, 0, 1, h), inner + 6);
        inner = lineDifference(*p, 0, h / 2 - 1, 0, h / 2, 1, 0, w);
        EXPECT_LT(lineDifference(*p, 0, h - 1, 0, 0, 1, 0, w), inner + 6);
        for (int i = 0; i < w * h * 4; i += 4) sums[index] += p->rgba[i] + p->rgba[i + 1] + p->rgba[i + 2];
        sums[index++] /= w * h;
    }
    EXPECT_GT(sums[0], sums[1] + 60);
}

TEST(Dashboard, GlyphsPanelsPointerAndBarsHaveInkAndTheRestIsTransparent) {
    const Picture& p = dashboard();
    std::vector<Rect> pieces;
    for (int k = 1; k < 95; k++) pieces.push_back({20 * (k % 32), 20 * (k / 32), 20, 20});
    for (int s = 0; s < 3; s++)
        for (int j = 0; j < 3; j++)
            for (int i = 0; i < 3; i++) pieces.push_back({60 * s + 20 * j, 59 + 20 * i, 20, 20});
    pieces.push_back({440, 60, 40, 60});
    pieces.push_back({0, 120, 640, 68});
    pieces.push_back({0, 188, 640, 68});
    for (const Rect& r : pieces) EXPECT_GT(inked(p, r, 40), 3) << r.left << "," << r.top;
    EXPECT_EQ(inked(p, {0, 0, 20, 20}), 0) << "space";
    EXPECT_EQ(inked(p, {620, 40, 20, 20}), 0) << "cell after the last glyph";
    int stray = 0;
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 1024; x++) {
            bool ok = false;
            for (const Rect& r : pieces) ok = ok || inside(r, x, y);
            if (!ok && alpha(p, x, y) != 0) stray++;
        }
    EXPECT_EQ(stray, 0);
    EXPECT_EQ(inked(p, {180, 59, 460, 1}), 0) << "the glyphs' last row stays clear of the panel row";
}

TEST(Dashboard, GlyphsFitTheTenPixelPenAdvance) {
    const Picture& p = dashboard();
    for (int k = 1; k < 95; k++) {
        int first, last;
        inkColumns(p, {20 * (k % 32), 20 * (k / 32), 20, 20}, first, last);
        EXPECT_LE(last - first + 1, 13) << "code " << 32 + k;
        EXPECT_NEAR((first + last) / 2.0 - 20 * (k % 32), 10, 2.5) << "code " << 32 + k;
    }
}

TEST(Dashboard, PanelEdgesAndCentresRepeatWithoutSeams) {
    const Picture& p = dashboard();
    for (int s = 0; s < 3; s++) {
        int x = 60 * s, y = 59;
        for (int i = 1; i < 20; i++) {
            EXPECT_EQ(lineDifference(p, x + 20, y, x + 20 + i, y, 0, 1, 60), 0) << "style " << s << " middle column";
            EXPECT_EQ(lineDifference(p, x, y + 20, x, y + 20 + i, 1, 0, 60), 0) << "style " << s << " middle row";
        }
        EXPECT_GT(alpha(p, x + 30, y + 30), 150) << "style " << s << " centre is a solid panel";
        EXPECT_EQ(alpha(p, x + 30, y + 30), alpha(p, x + 20, y + 20));
    }
}

TEST(Dashboard, PointerTipIsAtItsHotSpot) {
    const Picture& p = dashboard();
    EXPECT_GT(alpha(p, 440 + 12, 60 + 10), 128);
    EXPECT_GT(alpha(p, 440 + 13, 60 + 12), 128);
    EXPECT_EQ(inked(p, {440, 60, 10, 60}), 0) << "nothing left of the tip";
    EXPECT_EQ(inked(p, {440, 60, 40, 8}), 0) << "nothing above the tip";
}

TEST(Dashboard, PauseBarsCarryTheirAccentOnTheInnerEdgeAndStretchEvenly) {
    const Picture& p = dashboard();
    auto reddest = [&](int top) {
        int best = 0, bestRow = 0;
        for (int y = top; y < top + 68; y++)
            if (channel(p, 320, y, 0) * alpha(p, 320, y) > best) best = channel(p, 320, y, 0) * alpha(p, 320, y), bestRow = y - top;
        return bestRow;
    };
    EXPECT_GT(reddest(120), 40) << "top bar: accent along its bottom";
    EXPECT_LT(reddest(188), 28) << "bottom bar: accent along its top";
    for (int y = 120; y < 256; y += 5) EXPECT_LT(lineDifference(p, 0, y, 320, y, 1, 0, 320), 8) << "row " << y;
}
