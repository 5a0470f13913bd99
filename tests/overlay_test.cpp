// The overlay's arithmetic without a window: clock and version texts, where
// panels, bars and buttons lie, and the screenshot files.
#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "overlay/overlay.h"
#include "platform/settings.h"
#include "tests/scratchdir.h"

namespace {

std::string timeOf(int hour, int minute, int second)
{
    struct tm t = {};
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second;
    char text[kOverlayTextLength];
    formatTimeText(text, sizeof text, t);
    return text;
}

std::string versionOf(float version)
{
    char text[kOverlayTextLength];
    formatVersionText(text, sizeof text, version);
    return text;
}

TEST(OverlayText, DateGivesWeekdayMonthOrdinalDayAndYear)
{
    const std::pair<int, const char*> days[] = {{1, "1st"}, {2, "2nd"}, {3, "3rd"}, {11, "11th"}, {12, "12th"},
                                                {13, "13th"}, {22, "22nd"}, {31, "31st"}};
    for (const auto& [day, ordinal] : days) {
        struct tm t = {};
        t.tm_wday = 2, t.tm_mon = 11, t.tm_mday = day, t.tm_year = 126;
        char text[kOverlayTextLength];
        formatDateText(text, sizeof text, t);
        EXPECT_EQ(std::string(text), std::string("Tuesday December ") + ordinal + " 2026");
    }
}

TEST(OverlayText, TimeRunsOnATwelveHourClockWithNoLeadingZeroOnTheHour)
{
    EXPECT_EQ(timeOf(0, 5, 9), "12:05:09 AM");
    EXPECT_EQ(timeOf(11, 59, 59), "11:59:59 AM");
    EXPECT_EQ(timeOf(12, 0, 0), "12:00:00 PM");
    EXPECT_EQ(timeOf(13, 7, 0), "1:07:00 PM");
}

TEST(OverlayText, VersionLosesTrailingZerosButKeepsOneDecimal)
{
    EXPECT_EQ(versionOf(0.8f), "v0.8");
    EXPECT_EQ(versionOf(1.0f), "v1.0");
    EXPECT_EQ(versionOf(1.25f), "v1.25");
}

// Closed, the bars lie 68 rows outside the window and the buttons below it;
// they slide in with the fade, the bottom bar from below its resting row.
TEST(OverlayLayout, BarsAndButtonsSlideInFromOutsideTheWindow)
{
    EXPECT_EQ(pauseLayout(0, 640, 480).topBarY, -68);
    EXPECT_EQ(pauseLayout(0, 640, 480).buttonsY, 595);
    EXPECT_EQ(pauseLayout(50, 640, 480).topBarY, -34);
    EXPECT_EQ(pauseLayout(50, 640, 480).bottomBarY, 454);
    PauseLayout open = pauseLayout(100, 640, 480);
    EXPECT_EQ(open.topBarY, 0);
    EXPECT_EQ(open.bottomBarY, 420);
    EXPECT_EQ(open.buttonsX, 320);
    EXPECT_EQ(open.buttonsY, 115);
    EXPECT_EQ(open.clockRight, 620);
}

// The Exit button resting at (320, 165): hot strictly inside 156..483 and 144..186.
TEST(OverlayLayout, ButtonHotAreaExcludesItsBorder)
{
    EXPECT_TRUE(insideButton(320, 165, 15, true, 157, 165));
    EXPECT_TRUE(insideButton(320, 165, 15, true, 482, 165));
    EXPECT_TRUE(insideButton(320, 165, 15, true, 320, 145));
    EXPECT_TRUE(insideButton(320, 165, 15, true, 320, 185));
    EXPECT_FALSE(insideButton(320, 165, 15, true, 156, 165));
    EXPECT_FALSE(insideButton(320, 165, 15, true, 483, 165));
    EXPECT_FALSE(insideButton(320, 165, 15, true, 320, 144));
    EXPECT_FALSE(insideButton(320, 165, 15, true, 320, 186));
}

// At text size 1 every pause button keeps its 300-pixel panel and its place;
// bigger text raises the column so five buttons fit, and widens by whole
// pieces only the panels whose text would not fit.
TEST(OverlayLayout, BiggerTextRaisesTheButtonsAndWidensOnlyThePanelsItNeeds)
{
    const char* const labels[] = {"Resume game", "Exit", "Save screenshot", "Display frame rate",
                                  "Don't display frame rate", "Options"};
    for (const char* label : labels)
        EXPECT_EQ(buttonWidth(label, 1.0f), kPanelInnerWidth) << label;
    textSize = 2.0f;
    EXPECT_EQ(pauseLayout(100, 640, 480).buttonsY, 40);
    EXPECT_EQ(pauseLayout(0, 640, 480).buttonsY, 595) << "below the window when closed, as at 1";
    EXPECT_EQ(buttonWidth("Exit", textSize), kPanelInnerWidth);
    EXPECT_EQ(buttonWidth("Don't display frame rate", textSize), 520);
    textSize = 1.5f;
    EXPECT_EQ(pauseLayout(100, 640, 480).buttonsY, 77);
    EXPECT_EQ(buttonWidth("Display frame rate", textSize), 320) << "270 of text and a piece either side";
    textSize = 1.0f;
    EXPECT_EQ(pauseLayout(100, 640, 480).buttonsY, 115);
}

// Every screenshot test runs in a fresh directory of its own.
struct Screenshots : ::testing::Test {
    static const int kWidth = 3, kHeight = 2;

    void SetUp() override
    {
        enterScratchDir(scratch, "overlay");
        for (int i = 0; i < kWidth * kHeight * 4; i++)
            capture[i] = (uint8_t)(i * 11 + 7);
    }

    void TearDown() override { leaveScratchDir(scratch); }

    static void writeFile(const char* name, const char* text, mode_t mode)
    {
        std::ofstream(name) << text;
        chmod(name, mode);
    }

    static std::string contents(const char* name)
    {
        std::vector<unsigned char> bytes;
        lodepng::load_file(bytes, name);
        return std::string(bytes.begin(), bytes.end());
    }

    static bool exists(const char* name) { return access(name, F_OK) == 0; }

    bool save() { return saveCaptureAsPng(capture, kWidth, kHeight, rgb); }

    ScratchDir scratch;
    uint8_t capture[kWidth * kHeight * 4] = {};
    uint8_t rgb[kWidth * kHeight * 3] = {};
};

TEST_F(Screenshots, TakeTheFirstFreeNumberAndNeverTouchAnExistingFile)
{
    writeFile("screenshot2.png", "two", 0644);
    EXPECT_TRUE(save());
    EXPECT_TRUE(exists("screenshot1.png"));
    EXPECT_TRUE(save());
    EXPECT_TRUE(exists("screenshot3.png"));
    EXPECT_EQ(contents("screenshot2.png"), "two");
    remove("screenshot1.png");
    writeFile("screenshot1.png", "unreadable", 0);
    EXPECT_TRUE(save());
    EXPECT_TRUE(exists("screenshot4.png"));
    chmod("screenshot1.png", 0644);
    EXPECT_EQ(contents("screenshot1.png"), "unreadable");
}

// The file decodes to the capture turned upright and made opaque, as 8-bit
// RGB with our comment first and the encoder's name after it.
TEST_F(Screenshots, FileHoldsTheUprightCaptureAsRgbWithTheComment)
{
    ASSERT_TRUE(save());
    std::vector<unsigned char> file, pixels;
    ASSERT_EQ(lodepng::load_file(file, "screenshot1.png"), 0u);
    lodepng::State state;
    state.info_raw.colortype = LCT_RGBA;
    unsigned w = 0, h = 0;
    ASSERT_EQ(lodepng::decode(pixels, w, h, state, file), 0u);
    EXPECT_EQ(w, (unsigned)kWidth);
    EXPECT_EQ(h, (unsigned)kHeight);
    EXPECT_EQ(state.info_png.color.colortype, LCT_RGB);
    EXPECT_EQ(state.info_png.color.bitdepth, 8u);
    ASSERT_EQ(state.info_png.text_num, 2u);
    EXPECT_STREQ(state.info_png.text_keys[0], "Comment");
    EXPECT_STREQ(state.info_png.text_strings[0], "Created with LodePNG");
    EXPECT_STREQ(state.info_png.text_keys[1], "LodePNG");
    for (int r = 0; r < kHeight; r++)
        for (int c = 0; c < kWidth * 4; c++) {
            int captured = capture[(kHeight - 1 - r) * kWidth * 4 + c];
            int expected = c % 4 == 3 ? 255 : captured;
            EXPECT_EQ(pixels[r * kWidth * 4 + c], expected) << "row " << r << " byte " << c;
        }
}

// A file that cannot be written whole is removed (here the file-size limit
// cuts the write short); a picture without pixels writes nothing.
TEST_F(Screenshots, FailedWritesAndEncodingsLeaveNoFile)
{
    bool saved16 = true;
    onAFullDisk([&] { saved16 = save(); });
    EXPECT_FALSE(saved16);
    EXPECT_FALSE(exists("screenshot1.png"));
    EXPECT_FALSE(saveCaptureAsPng(capture, 0, 0, rgb));
    EXPECT_FALSE(saveCaptureAsPng(capture, kWidth, 0, rgb));
    EXPECT_FALSE(exists("screenshot1.png"));
}

// In a directory that no longer exists no name can be made: the screenshot
// fails at once rather than trying the next numbers.
TEST_F(Screenshots, ADirectoryThatCannotTakeFilesFailsAtOnce)
{
    ASSERT_EQ(mkdir("gone", 0755), 0);
    ASSERT_EQ(chdir("gone"), 0);
    ASSERT_EQ(rmdir("../gone"), 0);
    bool saved = save();
    ASSERT_EQ(chdir(scratch.newDir), 0);
    EXPECT_FALSE(saved);
}

}  // namespace
