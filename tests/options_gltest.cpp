// The options screen drawn for real: the band the pointer would pick is the
// band drawn highlighted, at every text size and scrolled; the pad's page
// shows the sticks where they point.
#include <gtest/gtest.h>

#include "options/options.h"
#include "render/optionsmenu.h"
#include "tests/glwindow.h"

namespace {

const int kWidth = 800;
const int kHeight = 600;
const int32_t kCentred[kStickAxes] = {0, 0, 0, 0};
const int32_t* drawnSticks = kCentred;

void drawScreen() { drawOptionsScreen((float)kWidth / kHeight, drawnSticks); }

// The window pixel rows of a frame just drawn, a column near the left edge.
std::vector<Pixel> leftColumn()
{
    std::vector<Pixel> column;
    for (int y = 0; y < kHeight; y++)
        column.push_back(pixelAt(2, y));
    return column;
}

struct OptionsPicture : ::testing::Test {
    static void SetUpTestSuite()
    {
        openGameWindow(kWidth, kHeight);
        loadTextures();
    }
    void SetUp() override
    {
        OptionValues values = {};
        for (int page = kPageSound; page < kOptionsPages; page++)
            defaultOptionValues(values, page);
        startOptions(values);
        openOptions(nullptr, 0, WindowSize{1024, 768}, true);
    }
};

// Drawn with the highlight on one row and then on none, the pixels that
// change at the left edge are exactly those whose height optionsRowAt gives
// that row for (but for pixels a band's edge runs through).
TEST_F(OptionsPicture, TheHighlightedBandIsWhereThePointerPicksItsRow)
{
    const float sizes[] = {1.0f, 1.5f, 2.0f};
    for (float size : sizes) {
        optionsChosen.textSize = size;
        openOptions(nullptr, 0, WindowSize{1024, 768}, true);
        optionsHighlight = 2;
        runOptions(OptionsInput{0, 0, kWidth, kHeight, false, false, 0, 0, true, false, 0, {}});
        for (int i = 0; i < 12; i++)
            runOptions(OptionsInput{0, 0, kWidth, kHeight, false, false, 1, 0, false, false, 0, {}});
        ASSERT_EQ(optionsPage, kPagePad);
        int32_t row = optionsHighlight;
        drawFrame(drawScreen);
        std::vector<Pixel> lit = leftColumn();
        optionsHighlight = -1;
        drawFrame(drawScreen);
        std::vector<Pixel> plain = leftColumn();
        int inside = 0;
        for (int y = 0; y + 1 < kHeight; y++) {
            if (optionsRowAt(y, kHeight) != optionsRowAt(y + 1, kHeight))
                continue;  // a band's edge crosses this pixel
            if (optionsRowAt(y, kHeight) == row) {
                inside++;
                EXPECT_FALSE(same(lit[y], plain[y])) << "size " << size << ", y " << y;
            } else {
                EXPECT_TRUE(same(lit[y], plain[y])) << "size " << size << ", y " << y;
            }
        }
        EXPECT_GT(inside, 10) << size;
        EXPECT_GT(optionsFirstRow, size > 1.0f ? 0 : -1) << "bigger text scrolls the pad's page";
    }
}

// The dot of a stick pushed right and down lies right of and below the dot
// of a stick at rest: some pixels change in the lower right quarter only.
TEST_F(OptionsPicture, ThePadsPageShowsWhereTheSticksPoint)
{
    runOptions(OptionsInput{0, 0, kWidth, kHeight, false, false, 2, 0, false, false, 0, {}});
    runOptions(OptionsInput{0, 0, kWidth, kHeight, false, false, 0, 0, true, false, 0, {}});
    ASSERT_EQ(optionsPage, kPagePad);
    drawnSticks = kCentred;
    drawFrame(drawScreen);
    std::vector<unsigned char> rest = wholeFrame();
    const int32_t pushed[kStickAxes] = {30000, 30000, 0, 0};
    drawnSticks = pushed;
    drawFrame(drawScreen);
    std::vector<unsigned char> moved = wholeFrame();
    drawnSticks = kCentred;
    int changed = 0;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++)
            if (rest[((size_t)(kHeight - 1 - y) * kWidth + x) * 3] != moved[((size_t)(kHeight - 1 - y) * kWidth + x) * 3]) {
                changed++;
                EXPECT_GT(x, kWidth / 2);
                EXPECT_GT(y, kHeight / 2);
            }
    EXPECT_GT(changed, 0);
}

}  // namespace
