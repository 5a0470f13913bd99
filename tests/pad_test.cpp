// The game pad on made-up values: the dead zone, the aim, triggers and
// buttons as the step reads them, the layout from settings.ini and the pad's
// events taken from SDL's queue.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "app/flow.h"
#include "app/input.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "render/menu.h"
#include "sim/step.h"
#include "tests/scratchdir.h"

namespace {

const int32_t kFull = 32767;

double lengthOf(StickPosition s) { return std::hypot((double)s.x, (double)s.y); }

// Every pad and key table at rest, the default layout, an 800 x 600 window
// with the cursor resting in its middle; each test works in its own directory.
struct Pad : ::testing::Test {
    void SetUp() override
    {
        enterScratchDir(scratch, "pad");
        settingsLineCount = 0;
        readPadBindings();
        memset(padAxis, 0, sizeof padAxis);
        memset(padAxisLowest, 0, sizeof padAxisLowest);
        memset(padButtonState, 0, sizeof padButtonState);
        memset(padHat, 0, sizeof padHat);
        memset(keyState, 0, sizeof keyState);
        padDrivesAim = padAimHeld = false;
        screenWidth = 800, screenHeight = 600;
        mouseX = padSeenMouseX = 400;
        mouseY = padSeenMouseY = 300;
    }
    void TearDown() override { leaveScratchDir(scratch); }

    // One pass of the pad's controls, then the step's input as the game reads it.
    static void pass()
    {
        updatePadControls(screenWidth, screenHeight, mouseX, mouseY, false);
        readStepInput(1.0f);
    }

    ScratchDir scratch;
};

TEST(PadSticks, TheDeadZoneRestsTheStickThenGrowsWithoutAJumpToAFullPushThatNoDiagonalExceeds)
{
    const int32_t resting[][2] = {{6553, 0}, {0, -6553}, {4600, 4600}, {-6000, -2000}};
    for (const int32_t* r : resting)
        EXPECT_EQ(lengthOf(applyDeadZone(r[0], r[1])), 0.0) << r[0] << "," << r[1];
    EXPECT_LT(lengthOf(applyDeadZone(4650, -4650)), kFull / 100.0) << "a jump just past the zone";
    EXPECT_NEAR(applyDeadZone(kFull / 2, 0).x, kFull * 0.375, 2.0);
    EXPECT_EQ(applyDeadZone(kFull, 0).x, kFull);
    EXPECT_EQ(applyDeadZone(0, -32768).y, -kFull);
    for (int32_t x = -32768; x <= kFull; x += 4096)
        for (int32_t y = -32768; y <= kFull; y += 4096)
            EXPECT_LE(lengthOf(applyDeadZone(x, y)), (double)kFull) << x << "," << y;
    StickPosition slanted = applyDeadZone(24000, 12000);
    EXPECT_NEAR((double)slanted.x / slanted.y, 2.0, 0.01) << "diagonals are not snapped";
}

TEST_F(Pad, TheAimPointsAFixedReachFromTheMiddleStaysWhenLetGoAndFollowsWhicheverMovedLast)
{
    padAxis[3] = -kFull;
    pass();
    EXPECT_EQ(stepInput.pointerX, 400 - 210) << "0.35 of the height from the middle";
    EXPECT_EQ(stepInput.pointerY, 300);
    padAxis[3] = -9000;      // a light push points as far
    pass();
    EXPECT_EQ(stepInput.pointerX, 190);
    padAxis[3] = 2000;       // let go, resting a little off
    pass();
    EXPECT_EQ(stepInput.pointerX, 190);
    EXPECT_EQ(stepInput.pointerY, 300);
    mouseX = 100;
    pass();
    EXPECT_EQ(stepInput.pointerX, 100) << "the mouse moved last";
    padAxis[3] = 0;
    padAxis[4] = kFull;
    pass();
    EXPECT_EQ(stepInput.pointerX, 400) << "then the stick";
    EXPECT_EQ(stepInput.pointerY, 510);
}

TEST_F(Pad, TriggersActPastTheMiddleOfTheirTravelWhetherTheyRestAtTheBottomOrAtZero)
{
    padAxis[2] = padAxisLowest[2] = -32768;    // the left trigger rests at the bottom, the right one at 0
    pass();
    EXPECT_FALSE(stepInput.throwing);
    padAxis[2] = 0;
    padAxis[5] = 16000;
    pass();
    EXPECT_FALSE(stepInput.throwing) << "half way down is not yet pulled";
    EXPECT_FALSE(stepInput.gun);
    padAxis[2] = 1000;
    padAxis[5] = 17000;
    pass();
    EXPECT_TRUE(stepInput.throwing);
    EXPECT_TRUE(stepInput.gun);
}

TEST_F(Pad, TheStickWalksUpTheScreenKeysOverrideItAShoulderSprintsStartOpensTheMenuOnceAndBackPauses)
{
    padAxis[1] = -kFull;
    pass();
    EXPECT_EQ(stepInput.moveAcross, 0);
    EXPECT_EQ(stepInput.moveAlong, kFull);
    padAxis[0] = 24576;
    keyState[SDLK_a] = kInputHeld;
    pass();
    EXPECT_EQ(stepInput.moveAcross, -kAxisFull);
    keyState[SDLK_d] = kInputHeld;
    pass();
    EXPECT_EQ(stepInput.moveAcross, applyDeadZone(24576, -kFull).x) << "opposite keys cancel, the stick walks";
    EXPECT_FALSE(stepInput.sprint);
    padButtonState[5] = kInputHeld;
    padButtonState[7] = kInputPressed;
    pass();
    EXPECT_TRUE(stepInput.sprint);
    EXPECT_TRUE(stepInput.menuKey);
    pass();
    EXPECT_FALSE(stepInput.menuKey) << "held, not pressed again";
    padButtonState[6] = kInputPressed;
    pass();
    updatePause(pauseKeyPressed(), liveMenuInput().back);
    EXPECT_TRUE(pauseMenuOpen) << "Back opens the pause overlay";
    padButtonState[6] = kInputUp;
    padButtonState[1] = kInputPressed;
    pass();
    updatePause(pauseKeyPressed(), liveMenuInput().back);
    EXPECT_FALSE(pauseMenuOpen) << "B closes it";
    pauseFade = 0;
}

// A direction held over several passes moves a menu's highlight once; the
// d-pad and the stick count alike, up before down, and the highlight stops
// at the ends. The pad drives the highlight until the mouse moves.
TEST_F(Pad, ADirectionHeldOverSeveralPassesMovesTheHighlightOnce)
{
    menuPadItem = 0;
    padDrivesHighlight = false;
    padAxis[1] = kFull;
    for (int i = 0; i < 4; i++) {
        pass();
        readMenuInput(liveMenuInput(), 4);
    }
    EXPECT_EQ(menuPadItem, 1);
    EXPECT_EQ(menuHotItem, 1) << "the pad drives the highlight";
    padAxis[1] = 0;
    pass();
    padHat[0] = SDL_HAT_DOWN;
    for (int i = 0; i < 3; i++) {
        pass();
        readMenuInput(liveMenuInput(), 4);
    }
    EXPECT_EQ(menuPadItem, 2);
    padAxis[1] = -kFull;
    pass();
    readMenuInput(liveMenuInput(), 4);
    EXPECT_EQ(menuPadItem, 1) << "up wins over down";
    padAxis[1] = 0, padHat[0] = 0;
    for (int k = 0; k < 6; k++) {
        pass();
        padHat[0] = k % 2 == 0 ? SDL_HAT_UP : 0;
        pass();
        readMenuInput(liveMenuInput(), 4);
    }
    EXPECT_EQ(menuPadItem, 0) << "stops at the top";
    padButtonState[0] = kInputPressed;
    pass();
    EXPECT_TRUE(readMenuInput(liveMenuInput(), 4)) << "A chooses";
    padButtonState[0] = kInputHeld;
    mouseY = 140;
    pass();
    EXPECT_FALSE(readMenuInput(liveMenuInput(), 4));
    EXPECT_EQ(menuHotItem, -1) << "the mouse moved: its band is hot again";
}

TEST_F(Pad, SettingsMoveActionsToAxesButtonsOrHatsAndUnreadableValuesKeepTheDefault)
{
    PadInput in[kPadBindingsPerAction];
    for (const char* bad : {"", "axis", "axis16", "axis-1", "axis5x", "button32", "hat4up", "hat0", "hat0middle",
                            "button4,,button5", "button1,button2,button3,button4,button5"})
        EXPECT_EQ(parsePadInputs(bad, in, kPadBindingsPerAction), 0) << bad;
    std::ofstream("settings.ini") << "padfire = button 3\npadsprint=Hat0Up,axis2\npadwalkx=button2\n"
                                     "padthrow=trigger\npadaimy=axis15\n";
    readSettings();
    readPadBindings();
    screenWidth = 800, screenHeight = 600;
    EXPECT_EQ(padBindings[kPadWalkAcross][0].index, 0) << "a stick takes only an axis";
    EXPECT_EQ(padBindings[kPadThrow][0].index, 2);
    padButtonState[3] = kInputHeld;
    padAxis[15] = kFull;
    padHat[0] = SDL_HAT_UP;
    pass();
    EXPECT_TRUE(stepInput.gun);
    EXPECT_TRUE(stepInput.sprint);
    EXPECT_EQ(stepInput.pointerY, 510);
}

// Queues one joystick event of pad `which`: an axis or hat value, or a button.
void pushPadEvent(Uint8 type, Uint8 which, Uint8 number, int value = 0)
{
    SDL_Event e = {};
    e.type = type;
    e.jaxis.which = which;
    e.jaxis.axis = number;   // the hat and button events keep their number at the same place
    if (type == SDL_JOYAXISMOTION)
        e.jaxis.value = (Sint16)value;
    else
        e.jhat.value = (Uint8)value;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

TEST(PadEvents, PollingTakesPadZerosEventsDownsBeforeUpsAndLeavesTheKeys)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    pushPadEvent(SDL_JOYAXISMOTION, 0, 2, -32768);
    pushPadEvent(SDL_JOYAXISMOTION, 0, 2, -20000);
    pushPadEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_RIGHT);
    pushPadEvent(SDL_JOYBUTTONDOWN, 0, 0);
    pushPadEvent(SDL_JOYBUTTONUP, 0, 0);
    pushPadEvent(SDL_JOYBUTTONDOWN, 0, 7);
    pushPadEvent(SDL_JOYBUTTONDOWN, 1, 6);
    pushPadEvent(SDL_JOYAXISMOTION, 0, 40, kFull);
    pushPadEvent(SDL_KEYDOWN, 0, 0);
    pollPad();
    EXPECT_EQ(padAxis[2], -20000);
    EXPECT_EQ(padAxisLowest[2], -32768);
    EXPECT_EQ(padHat[0], SDL_HAT_RIGHT);
    EXPECT_EQ(padButtonState[0], kInputUp) << "a press and release in one pass is lost, as with keys";
    EXPECT_EQ(padActionState[kPadMenu], kInputPressed);
    EXPECT_EQ(padButtonState[6], kInputUp) << "a second pad is not read";
    SDL_Event e;
    EXPECT_EQ(SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_ALLEVENTS), 1);
    EXPECT_EQ(e.type, SDL_KEYDOWN);
    pollPad();
    EXPECT_EQ(padButtonState[7], kInputHeld);
    SDL_Quit();
}

}  // namespace
