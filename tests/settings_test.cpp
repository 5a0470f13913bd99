// The settings reader: which lines give a key, how values are read, and what a
// broken or odd file does. Every test writes "settings.ini" in a fresh directory.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

#include "app/settings.h"
#include "tests/scratchdir.h"

namespace {

// Runs each test in a fresh directory of its own and goes back afterwards.
struct Settings : ::testing::Test {
    void SetUp() override { enterScratchDir(scratch, "settings"); }
    void TearDown() override { leaveScratchDir(scratch); }

    // Writes the file byte for byte and reads it the way the game does.
    static void read(const std::string& text)
    {
        FILE* f = fopen("settings.ini", "wb");
        ASSERT_NE(f, nullptr);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        readSettings();
    }

    ScratchDir scratch;
};

TEST_F(Settings, ReadsAllSevenKeysAndAMissingFileGivesZeroForEverything)
{
    read("screenw=1024\nscreenh=512\nscreenbpp=32\nfullscreen=1\nshowcursor=1\nantialiasing=1\nmipmapping=1\n");
    EXPECT_EQ(std::make_tuple(settingsLineCount, screenWidth, screenHeight, screenBpp, aspectRatio),
              std::make_tuple(100, 1024.0f, 512.0f, 32, 2.0f));
    EXPECT_EQ(std::make_tuple(fullscreen, showCursor, antialiasing, mipmapping),
              std::make_tuple(true, true, true, true));
    remove("settings.ini");
    readSettings();
    EXPECT_EQ(std::make_tuple(settingsLineCount, screenWidth, screenHeight, screenBpp),
              std::make_tuple(0, 0.0f, 0.0f, 0));
    EXPECT_EQ(std::make_tuple(fullscreen, showCursor, antialiasing, mipmapping),
              std::make_tuple(false, false, false, false));
}

TEST_F(Settings, SpacesAnywhereAreIgnoredButATabBreaksTheMatch)
{
    read(" screen w = 1024\nantialiasing =1\nmipmapping\t=1\nshowcursor=\t1\n");
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_TRUE(antialiasing);
    EXPECT_FALSE(mipmapping);
    EXPECT_TRUE(showCursor) << "atof skips leading white space after the =";
    EXPECT_STREQ(settingsLines[0], "screenw=1024");
}

TEST_F(Settings, KeysMatchExactlyAndTheLastLineGivingOneWins)
{
    read("screenw=1024\nScreenH=800\nscreenheight=800\nscreenh800\nxscreenh=600\n# comment\nscreenw=800\n");
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(screenHeight, 0);
    EXPECT_EQ(settingValue("nosuchkey"), 0);
}

TEST_F(Settings, ValuesAreReadAsALeadingNumber)
{
    read("screenw=800px\nscreenh=1e3\nscreenbpp=16.9\nfullscreen=yes\nshowcursor=0.5\n"
         "antialiasing=\nmipmapping=-1\n");
    EXPECT_EQ(std::make_tuple(screenWidth, screenHeight, screenBpp), std::make_tuple(800.0f, 1000.0f, 16));
    EXPECT_EQ(std::make_tuple(fullscreen, showCursor, antialiasing, mipmapping),
              std::make_tuple(false, true, false, true));
}

// Each switch is on for any value that is not 0, so 0.5 counts as on for every
// one of them and 0 as off.
TEST_F(Settings, HalfCountsAsOnForEverySwitch)
{
    const char* keys[4] = {"fullscreen", "showcursor", "antialiasing", "mipmapping"};
    const bool* switches[4] = {&fullscreen, &showCursor, &antialiasing, &mipmapping};
    for (int k = 0; k < 4; k++) {
        read(std::string(keys[k]) + "=0.5\n");
        for (int other = 0; other < 4; other++)
            EXPECT_EQ(*switches[other], other == k) << keys[k] << "=0.5, reading " << keys[other];
        read(std::string(keys[k]) + "=0\n");
        EXPECT_FALSE(*switches[k]) << keys[k] << "=0";
    }
}

TEST_F(Settings, CarriageReturnsAreDroppedAndALastLineNeedsNoLineFeed)
{
    read("screenw=640\r\nscreenbpp=16\r\nscreenh=480");
    EXPECT_STREQ(settingsLines[0], "screenw=640");
    EXPECT_EQ(std::make_tuple(screenWidth, screenBpp, screenHeight), std::make_tuple(640.0f, 16, 480.0f));
}

// Only the first 100 lines count. A long line keeps its first 255 characters,
// cut before its spaces are removed, and its rest never becomes the next line.
TEST_F(Settings, ALongLineIsCutAt255CharactersAndOnlyTheFirstHundredLinesCount)
{
    std::string cut = "screenw=12" + std::string(245, ' ') + "34";
    read(cut + "\n" + std::string(1000, 'x') + "\nscreenh=600\n" + std::string(96, '\n') +
         "fullscreen=1\nscreenbpp=16\n");
    EXPECT_EQ(screenWidth, 12);
    EXPECT_EQ(strlen(settingsLines[1]), 255u);
    EXPECT_EQ(screenHeight, 600) << "the rest of the long line must not become line 3";
    EXPECT_TRUE(fullscreen) << "line 100 counts";
    EXPECT_EQ(screenBpp, 0) << "line 101 is ignored";
}

TEST_F(Settings, WholeNumberSettingsConvertSafely)
{
    EXPECT_EQ(settingToInt(16.9f), 16);
    EXPECT_EQ(settingToInt(-16.9f), -16);
    EXPECT_EQ(settingToInt(NAN), 0);
    EXPECT_EQ(settingToInt(INFINITY), (int32_t)kLargestSetting);
    EXPECT_EQ(settingToInt(-1e30f), -(int32_t)kLargestSetting);
    read("screenbpp=1e30\n");
    EXPECT_EQ(screenBpp, (int32_t)kLargestSetting);
}

}  // namespace
