// The recorded games, played to fixed steps and drawn with the game's own art
// (world and HUD), must give the pictures kept in tests/pictures, made by the
// drawing as it stood before the frames were made cheaper to fill: any change
// of the frames a player sees shows up here, pixel by pixel. Between
// recordings the window is opened again at another size, so the textures are
// loaded afresh and whatever the drawing keeps across frames must be built
// again; two of the games are drawn with mipmaps.
//   VG_MAKE_PICTURES=<dir> writes the pictures into <dir> instead of comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/view.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "tests/glwindow.h"

namespace {

const char* const kRecordings = VG_SOURCE_DIR "/tests/recordings/";
const char* const kPictures = VG_SOURCE_DIR "/tests/pictures/";

// A recording, the window its pictures are drawn at, and the steps drawn.
struct Playback {
    const char* name;
    int width, height;     // same shape as the recorded window
    bool mipmaps;
    std::vector<int> steps;
};

const Playback kPlaybacks[] = {
    {"fight", 256, 192, false, {120, 330, 520}},
    {"death", 256, 192, true, {250, 395}},
    {"party", 256, 192, false, {300, 540}},
    {"wide", 320, 144, true, {200}},
};

// The window's pixels as RGB rows from the top.
std::vector<unsigned char> picture()
{
    std::vector<unsigned char> bottomUp = wholeFrame();
    std::vector<unsigned char> rows(bottomUp.size());
    size_t row = (size_t)screenWidth * 3;
    for (size_t y = 0; y < (size_t)screenHeight; y++)
        std::copy(bottomUp.begin() + y * row, bottomUp.begin() + (y + 1) * row,
                  rows.end() - (y + 1) * row);
    return rows;
}

// Draws the world as it stands into a window of the playback's size; the
// step keeps the recorded window's metrics, which its aim depends on.
std::vector<unsigned char> drawAt(const Playback& p)
{
    float recordedWidth = screenWidth, recordedHeight = screenHeight;
    screenWidth = (float)p.width, screenHeight = (float)p.height;
    drawFrame(renderWorld);
    std::vector<unsigned char> rgb = picture();
    screenWidth = recordedWidth, screenHeight = recordedHeight;
    return rgb;
}

// Pixels that differ and the largest difference of one channel.
void compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int& pixels, int& most)
{
    pixels = most = 0;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
        int d = 0;
        for (size_t c = i; c < i + 3; c++)
            d = std::max(d, abs((int)a[c] - (int)b[c]));
        pixels += d > 0;
        most = std::max(most, d);
    }
}

TEST(RecordedPictures, EveryDrawnStepMatchesItsReference)
{
    const char* makeInto = getenv("VG_MAKE_PICTURES");
    bool firstWindow = true;
    for (const Playback& p : kPlaybacks) {
        screenWidth = (float)p.width, screenHeight = (float)p.height;
        mipmapping = p.mipmaps;
        setupDisplay();
        loadTextures();
        if (firstWindow)
            buildGlyphFrames();   // cuts the font once: it shrinks the glyph size it reads
        firstWindow = false;
        std::string path = std::string(kRecordings) + p.name + ".rec";
        FILE* f = fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr) << path;
        ASSERT_TRUE(openAndScanRecording(f, p.name) && startRecordedGame()) << recordingError;
        ASSERT_FLOAT_EQ(aspectRatio, (float)p.width / (float)p.height) << p.name;
        int32_t score = 0;
        for (int step : p.steps) {
            while ((int)replayedSteps < step)
                ASSERT_EQ(replayStep(score), kReplayStepped) << p.name << " step " << replayedSteps;
            std::vector<unsigned char> drawn = drawAt(p);
            std::string name = std::string(p.name) + "-" + std::to_string(step) + ".png";
            if (makeInto) {
                lodepng::encode(std::string(makeInto) + "/" + name, drawn, p.width, p.height, LCT_RGB);
                continue;
            }
            std::vector<unsigned char> expected;
            unsigned w = 0, h = 0;
            ASSERT_EQ(lodepng::decode(expected, w, h, kPictures + name, LCT_RGB), 0u) << name;
            ASSERT_EQ((int)w * (int)h, p.width * p.height) << name;
            int pixels, most;
            compare(drawn, expected, pixels, most);
            EXPECT_EQ(pixels, 0) << name << ": by up to " << most << " levels";
        }
        fclose(f);
    }
}

}  // namespace
