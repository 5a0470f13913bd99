// The main menu's input rules without a window: which entry band a pointer
// height falls in, what counts as a click, the pad's highlight, the keys, the
// live record the game fills for the menus, and where the run's panel goes.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/input.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "render/menu.h"
#include "render/runpanel.h"

namespace {

// Menu y is pointer / height * 800 - 400; entry i's band runs from 30i - 200 to
// 30i - 170, and the index is rounded down.
TEST(Menu, PointerHeightPicksTheEntryBandRoundingDown)
{
    EXPECT_EQ(menuItemAt(0, 600), -7) << "menu y -400 at the top of the window";
    EXPECT_EQ(menuItemAt(225, 600), 3) << "menu y -100: (-100 + 200) / 30 = 3.33";
    EXPECT_EQ(menuItemAt(200, 800), 0) << "menu y -200, the top of entry 0";
    EXPECT_EQ(menuItemAt(171, 800), -1) << "menu y -229";
    EXPECT_EQ(menuItemAt(229, 800), 0) << "menu y -171, the bottom of entry 0";
    EXPECT_EQ(menuItemAt(230, 800), 1) << "menu y -170, the top of entry 1";
    EXPECT_EQ(menuItemAt(800, 800), 20) << "menu y 400 at the bottom";
}

// The hot entry follows the pointer's height over the window's height (the
// width plays no part) and only a click chooses it, while the mouse drives;
// once the pad drives, its own entry is hot and only A chooses. The pad's
// highlight moves a step at a time within the entries either way.
TEST(Menu, TheMouseOrElseThePadMakesAnEntryHotAndChoosesIt)
{
    screenWidth = 1000, screenHeight = 600;
    menuPadItem = 0;
    MenuInput in = {400, 225, false, 0, true, false, false};
    EXPECT_FALSE(readMenuInput(in, 4)) << "A while the mouse drives";
    EXPECT_EQ(menuHotItem, 3);
    in.click = true;
    EXPECT_TRUE(readMenuInput(in, 4));
    in.highlightStep = 1;
    EXPECT_TRUE(readMenuInput(in, 4));
    EXPECT_EQ(menuHotItem, 3) << "the pad's moves do not move the pointer's entry";
    EXPECT_EQ(menuPadItem, 1);
    in.padDrives = true, in.choose = false;
    EXPECT_FALSE(readMenuInput(in, 4)) << "a click while the pad drives";
    EXPECT_EQ(menuHotItem, 2);
    in.highlightStep = 1;
    for (int i = 0; i < 4; i++)
        readMenuInput(in, 4);
    EXPECT_EQ(menuHotItem, 3) << "stops at the last entry";
    in.highlightStep = -1;
    for (int i = 0; i < 5; i++)
        readMenuInput(in, 2);
    EXPECT_EQ(menuHotItem, 0) << "stops at the first";
    in.highlightStep = 0, in.choose = true;
    EXPECT_TRUE(readMenuInput(in, 2));
}

// The live record: the mouse, only the left button going down in this very
// pass (not held, not released, not another button), and the pad's A and B.
TEST(Menu, TheLiveRecordClicksOnlyOnALeftPressInThisPass)
{
    memset(mouseButtonState, 0, sizeof mouseButtonState);
    memset(padActionState, 0, sizeof padActionState);
    mouseX = 12, mouseY = 34;
    mouseButtonState[SDL_BUTTON_LEFT] = kInputPressed;
    MenuInput in = liveMenuInput();
    EXPECT_EQ(in.pointerX, 12);
    EXPECT_EQ(in.pointerY, 34);
    EXPECT_TRUE(in.click);
    EXPECT_FALSE(in.choose);
    EXPECT_FALSE(in.back);
    mouseButtonState[SDL_BUTTON_LEFT] = kInputHeld;
    EXPECT_FALSE(liveMenuInput().click);
    mouseButtonState[SDL_BUTTON_LEFT] = kInputUp;
    mouseButtonState[SDL_BUTTON_RIGHT] = kInputPressed;
    EXPECT_FALSE(liveMenuInput().click);
    padActionState[kPadChoose] = kInputPressed;
    padActionState[kPadBack] = kInputHeld;
    EXPECT_TRUE(liveMenuInput().choose);
    EXPECT_FALSE(liveMenuInput().back) << "held, not pressed";
    padActionState[kPadBack] = kInputPressed;
    EXPECT_TRUE(liveMenuInput().back);
}


// The arrows move the highlight and Return chooses once a key worked the
// menu; until then, and again once the mouse moves or clicks, the mouse's
// entry is hot and Return alone chooses nothing under it.
TEST(Menu, TheArrowsAndReturnWorkTheMenuUntilTheMouseMoves)
{
    memset(keyState, 0, sizeof keyState);
    memset(mouseButtonState, 0, sizeof mouseButtonState);
    memset(padActionState, 0, sizeof padActionState);
    screenWidth = 800, screenHeight = 600;
    menuPadItem = 0;
    mouseX = 400, mouseY = 225;
    MenuInput in = withMenuKeys(liveMenuInput());
    EXPECT_FALSE(readMenuInput(in, 4));
    EXPECT_EQ(menuHotItem, 3) << "the mouse's entry";
    keyState[kDownArrowKey] = kInputPressed;
    in = withMenuKeys(liveMenuInput());
    EXPECT_FALSE(readMenuInput(in, 4));
    EXPECT_EQ(menuHotItem, 1) << "the down arrow drives now";
    keyState[kDownArrowKey] = kInputHeld;
    in = withMenuKeys(liveMenuInput());
    readMenuInput(in, 4);
    EXPECT_EQ(menuHotItem, 1) << "a held arrow moves once";
    keyState[kUpArrowKey] = kInputPressed;
    keyState[kDownArrowKey] = kInputUp;
    readMenuInput(withMenuKeys(liveMenuInput()), 4);
    EXPECT_EQ(menuHotItem, 0);
    keyState[kUpArrowKey] = kInputUp;
    keyState[kReturnKey] = kInputPressed;
    EXPECT_TRUE(readMenuInput(withMenuKeys(liveMenuInput()), 4)) << "Return chooses the lit entry";
    EXPECT_EQ(menuHotItem, 0);
    keyState[kReturnKey] = kInputHeld;
    mouseY = 226;
    EXPECT_FALSE(readMenuInput(withMenuKeys(liveMenuInput()), 4));
    EXPECT_EQ(menuHotItem, 3) << "the mouse moved: its entry is hot again";
    keyState[kReturnKey] = kInputUp;
}

// The run's panel lies under the last entry's band, inside the view with a
// margin, at every window shape from a tall strip to a very wide window and
// for as many entries as the title may show; its text keeps full size where
// there is room for it.
TEST(Menu, TheRunPanelStaysUnderTheEntriesAndInsideTheViewAtEveryShape)
{
    const float widest = menuTextWidth("Zombies killed by explosives 12345", 1.0f);
    const float aspects[] = {0.25f, 0.5f, 0.75f, 1.0f, 4.0f / 3.0f, 16.0f / 9.0f, 2.4f, 4.0f};
    for (float aspect : aspects) {
        for (int32_t entries = 2; entries <= 6; entries++) {
            PanelPlace p = runPanelPlace(aspect, entries, widest);
            float halfWidth = kMenuHalfHeight * aspect;
            EXPECT_GE(p.top, kFirstEntryTop + kEntryHeight * (float)entries) << aspect << " " << entries;
            EXPECT_LE(p.bottom, kMenuHalfHeight - kPanelMargin) << aspect << " " << entries;
            EXPECT_GE(p.left, -halfWidth) << aspect << " " << entries;
            EXPECT_LE(p.right, halfWidth - kPanelMargin + 0.01f) << aspect << " " << entries;
            EXPECT_GT(p.scale, 0.0f) << aspect << " " << entries;
        }
    }
    EXPECT_EQ(runPanelPlace(4.0f / 3.0f, 6, widest).scale, 1.0f) << "full size in an 800 x 600 window";
    EXPECT_EQ(runPanelPlace(16.0f / 9.0f, 6, widest).scale, 1.0f);
    PanelPlace strip = runPanelPlace(0.25f, 6, widest);
    EXPECT_LT(strip.scale, 0.5f) << "a tall strip shrinks the text to fit";
    EXPECT_NEAR(strip.right, 100.0f - kPanelMargin, 0.01f);
}

}  // namespace
