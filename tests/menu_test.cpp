// The main menu's pointer rules without a window: which entry band a cursor
// height falls in, and what counts as a click.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include "app/input.h"
#include "app/settings.h"
#include "render/view.h"

namespace {

// Menu y is cursor / height * 800 - 400; entry i's band runs from 30i - 200 to
// 30i - 170, and the index is rounded down.
TEST(Menu, CursorHeightPicksTheEntryBandRoundingDown)
{
    EXPECT_EQ(menuItemAt(0, 600), -7) << "menu y -400 at the top of the window";
    EXPECT_EQ(menuItemAt(225, 600), 3) << "menu y -100: (-100 + 200) / 30 = 3.33";
    EXPECT_EQ(menuItemAt(200, 800), 0) << "menu y -200, the top of entry 0";
    EXPECT_EQ(menuItemAt(171, 800), -1) << "menu y -229";
    EXPECT_EQ(menuItemAt(229, 800), 0) << "menu y -171, the bottom of entry 0";
    EXPECT_EQ(menuItemAt(230, 800), 1) << "menu y -170, the top of entry 1";
    EXPECT_EQ(menuItemAt(800, 800), 20) << "menu y 400 at the bottom";
}

// The hot entry follows the cursor's height over the window's height; the
// width plays no part.
TEST(Menu, HotEntryScalesTheCursorByTheWindowHeight)
{
    screenWidth = 1000;
    screenHeight = 600;
    mouseY = 225;
    readMenuPointer();
    EXPECT_EQ(menuHotItem, 3);
}

// Only the left button going down in this very pass chooses an entry: not a
// held button, not a release, not another button.
TEST(Menu, OnlyALeftPressInThisPassClicks)
{
    screenWidth = 800;
    screenHeight = 600;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputPressed;
    EXPECT_TRUE(readMenuPointer());
    mouseButtonState[SDL_BUTTON_LEFT] = kInputHeld;
    EXPECT_FALSE(readMenuPointer());
    mouseButtonState[SDL_BUTTON_LEFT] = kInputUp;
    EXPECT_FALSE(readMenuPointer());
    mouseButtonState[SDL_BUTTON_RIGHT] = kInputPressed;
    EXPECT_FALSE(readMenuPointer());
}

}  // namespace
