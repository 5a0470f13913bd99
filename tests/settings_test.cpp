// The settings reader: which lines give a key, how values are read, and what a
// broken or odd file does. Every test writes "settings.ini" in a fresh directory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/settings.h"
#include "tests/scratchdir.h"

namespace {

// The four switches and the keys that set them.
const char* const kSwitchKeys[4] = {"fullscreen", "showcursor", "antialiasing", "mipmapping"};
bool* const kSwitches[4] = {&fullscreen, &showCursor, &antialiasing, &mipmapping};

// Runs each test in a fresh directory of its own and goes back afterwards.
struct Settings : ::testing::Test {
    void SetUp() override { enterScratchDir(scratch, "settings"); }
    void TearDown() override { leaveScratchDir(scratch); }

    // Writes the file byte for byte and reads it the way the game does.
    static void read(const std::string& text)
    {
        std::ofstream("settings.ini", std::ios::binary) << text;
        readSettings();
    }

    ScratchDir scratch;
};

TEST_F(Settings, ReadsTheWindowKeysAndAMissingFileGivesZeroForEverything)
{
    read("screenw=1024\nscreenh=512\nscreenbpp=32\nfullscreen=1\nshowcursor=1\nantialiasing=1\nmipmapping=1\n");
    EXPECT_EQ(settingsLineCount, 100);
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_EQ(screenHeight, 512);
    EXPECT_EQ(screenBpp, 32);
    EXPECT_EQ(aspectRatio, 2);
    remove("settings.ini");
    readSettings();
    EXPECT_EQ(settingsLineCount, 0);
    EXPECT_EQ(screenWidth, 0);
    EXPECT_EQ(screenHeight, 0);
    EXPECT_EQ(screenBpp, 0);
    for (int k = 0; k < 4; k++)
        EXPECT_FALSE(*kSwitches[k]) << kSwitchKeys[k] << " without a file";
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
    read("screenw=800px\nscreenh=1e3\nscreenbpp=16.9\nfullscreen=yes\nantialiasing=\nmipmapping=-1\n");
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(screenHeight, 1000);
    EXPECT_EQ(screenBpp, 16);
    EXPECT_FALSE(fullscreen) << "yes";
    EXPECT_FALSE(antialiasing) << "nothing after the =";
    EXPECT_TRUE(mipmapping) << "-1";
}

// Each switch is on for any value that is not 0, so 0.5 counts as on for every
// one of them and 0 as off.
TEST_F(Settings, HalfCountsAsOnForEverySwitch)
{
    for (int k = 0; k < 4; k++) {
        read(std::string(kSwitchKeys[k]) + "=0.5\n");
        for (int other = 0; other < 4; other++)
            EXPECT_EQ(*kSwitches[other], other == k) << kSwitchKeys[k] << "=0.5, reading " << kSwitchKeys[other];
        read(std::string(kSwitchKeys[k]) + "=0\n");
        EXPECT_FALSE(*kSwitches[k]) << kSwitchKeys[k] << "=0";
    }
}

TEST_F(Settings, CarriageReturnsAreDroppedAndALastLineNeedsNoLineFeed)
{
    read("screenw=640\r\nscreenbpp=16\r\nscreenh=480");
    EXPECT_STREQ(settingsLines[0], "screenw=640");
    EXPECT_EQ(screenBpp, 16);
    EXPECT_EQ(screenHeight, 480) << "the last line has no line feed";
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
