// The game pad without a pad: the dead zone, the aim, triggers and switches
// on made-up values; the layout read from settings.ini; the pad's events
// taken from SDL's queue; and what the pad gives the step and the menus.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

#include "app/input.h"
#include "app/pad.h"
#include "app/settings.h"
#include "overlay/overlay.h"
#include "render/view.h"
#include "sim/player.h"
#include "sim/step.h"
#include "tests/scratchdir.h"
#include "tests/testworld.h"
#include "world/world.h"

namespace {

const int32_t kFull = 32767;

// Length of a stick position in axis units.
double lengthOf(StickPosition s) { return std::hypot((double)s.x, (double)s.y); }

// Every pad, key and mouse table at rest, the default layout, an 800 x 600
// window with the cursor in its middle; each test works in its own directory.
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
        memset(padActionState, 0, sizeof padActionState);
        memset(keyState, 0, sizeof keyState);
        memset(mouseButtonState, 0, sizeof mouseButtonState);
        padDrivesAim = padDrivesHighlight = padAimHeld = false;
        padMenuHeld = padMenuStep = 0;
        padPointerX = padPointerY = 0;
        screenWidth = 800;
        screenHeight = 600;
        aspectRatio = screenWidth / screenHeight;
        mouseX = padSeenMouseX = 400;
        mouseY = padSeenMouseY = 300;
        menuPadItem = 0;
    }
    void TearDown() override { leaveScratchDir(scratch); }

    // One pass of the pad's controls with the mouse where it is, then the
    // step's input as the game reads it.
    static void pass(bool mouseClicked = false)
    {
        updatePadControls(screenWidth, screenHeight, mouseX, mouseY, mouseClicked);
        readStepInput(1.0f);
    }

    // Reads the pad's layout from a settings file holding only `text`.
    static void readSettingsText(const std::string& text)
    {
        std::ofstream("settings.ini", std::ios::binary) << text;
        readSettings();
        readPadBindings();
        screenWidth = 800;
        screenHeight = 600;
    }

    ScratchDir scratch;
};

TEST_F(Pad, TheDeadZoneRestsTheStickThenGrowsSmoothlyToAFullPushThatNoDiagonalExceeds)
{
    for (auto r : {std::pair<int, int>{6553, 0}, {0, -6553}, {4600, 4600}, {-6000, -2000}})
        EXPECT_EQ(lengthOf(applyDeadZone(r.first, r.second)), 0.0) << r.first << "," << r.second;
    EXPECT_LT(lengthOf(applyDeadZone(4650, -4650)), kFull / 100.0) << "no jump just past the zone";
    int32_t last = 0;
    for (int32_t x = 6600; x <= kFull; x += 1000) {
        int32_t now = applyDeadZone(x, 0).x;
        EXPECT_GT(now, last) << x;
        EXPECT_LT(now - last, 1400) << x;
        last = now;
    }
    EXPECT_EQ(applyDeadZone(kFull, 0).x, kFull);
    EXPECT_EQ(applyDeadZone(0, -32768).y, -kFull);
    for (int32_t x = -32768; x <= kFull; x += 4096)
        for (int32_t y = -32768; y <= kFull; y += 4096)
            EXPECT_LE(lengthOf(applyDeadZone(x, y)), (double)kFull) << x << "," << y;
    StickPosition slanted = applyDeadZone(24000, 12000);
    EXPECT_NEAR((double)slanted.x / slanted.y, 2.0, 0.01) << "diagonals are not snapped";
}

TEST_F(Pad, TheAimPointsAFixedReachFromTheMiddleAndStaysWhenTheStickIsLetGo)
{
    padAxis[3] = -kFull;
    pass();
    EXPECT_EQ(stepInput.pointerX, 400 - 210) << "0.35 of the height from the middle";
    EXPECT_EQ(stepInput.pointerY, 300);
    padAxis[3] = -9000;      // on its way back, a light push points as far
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

TEST_F(Pad, TriggersCountPastTheMiddleOfTheirTravelFromEitherRest)
{
    EXPECT_FALSE(axisPulled(-32768, -32768));
    EXPECT_FALSE(axisPulled(0, -32768));
    EXPECT_TRUE(axisPulled(1000, -32768));
    EXPECT_FALSE(axisPulled(0, 0));
    EXPECT_FALSE(axisPulled(16000, 0));
    EXPECT_TRUE(axisPulled(17000, 0));
    padAxis[2] = padAxisLowest[2] = -32768;    // left trigger resting at the bottom, right one at 0
    pass();
    EXPECT_FALSE(stepInput.gun || stepInput.throwing);
    padAxis[5] = 20000;
    pass();
    EXPECT_TRUE(stepInput.gun && !stepInput.throwing);
    padAxis[5] = 0;
    padAxis[2] = 1000;
    pass();
    EXPECT_TRUE(stepInput.throwing && !stepInput.gun);
}

TEST_F(Pad, ShouldersOrStickClickSprintAndStartOpensTheMenuOncePerPress)
{
    for (int button : {4, 5, 9}) {
        padButtonState[button] = kInputHeld;
        pass();
        EXPECT_TRUE(stepInput.sprint) << button;
        padButtonState[button] = kInputUp;
    }
    pass();
    EXPECT_FALSE(stepInput.sprint);
    padButtonState[7] = kInputPressed;
    pass();
    EXPECT_TRUE(stepInput.menuKey);
    pass();
    EXPECT_FALSE(stepInput.menuKey) << "held, not pressed again";
}

TEST_F(Pad, TheStickWalksAtItsPushUpTheScreenAndKeysTakeOverAtFull)
{
    openWorldWith({{kActorPlayer, 128, 128}});
    energy[0] = 100;
    padAxis[1] = -kFull;
    pass();
    EXPECT_EQ(stepInput.moveAcross, 0);
    EXPECT_EQ(stepInput.moveAlong, kFull);
    padAxis[1] = 0;
    padAxis[0] = 24576;                        // three quarters out: 0.6875 after the zone
    padButtonState[4] = kInputHeld;            // sprint held
    pass();
    runPlayerStage(0, 1.0f);
    EXPECT_NEAR(actors[0].vx, 0.011f * 0.6875f, 0.0001f);
    EXPECT_EQ(energy[0], 100) << "too light a push to sprint";
    keyState[SDLK_a] = kInputHeld;
    pass();
    EXPECT_EQ(stepInput.moveAcross, -kFull);
    keyState[SDLK_d] = kInputHeld;
    pass();
    EXPECT_EQ(stepInput.moveAcross, applyDeadZone(24576, 0).x) << "opposite keys cancel, the stick walks";
}

TEST_F(Pad, MenusFollowTheStickOrHatAndAChoosesTheFirstEntryWithNothingMoved)
{
    auto menuPass = [](int32_t entries, bool click = false) {
        pass();
        return readMenuPad(entries, click);
    };
    padButtonState[0] = kInputPressed;
    EXPECT_TRUE(menuPass(2));
    EXPECT_EQ(menuHotItem, 0);
    padAxis[1] = 30000;
    menuPass(4);
    menuPass(4);
    EXPECT_EQ(menuHotItem, 1) << "one step per push";
    padAxis[1] = 0;
    for (int expected : {2, 3, 3}) {
        menuPass(4);
        padHat[0] = SDL_HAT_DOWN;
        menuPass(4);
        padHat[0] = SDL_HAT_CENTERED;
        EXPECT_EQ(menuHotItem, expected) << "the d-pad steps, stopping at the last entry";
    }
    mouseY = 225;
    menuHotItem = 3;
    EXPECT_TRUE(menuPass(4, true)) << "the mouse moved: its click stands";
    EXPECT_EQ(menuHotItem, 3);
}

TEST_F(Pad, BackTogglesThePauseOverlayOnItsFirstButtonAndBClosesIt)
{
    pauseMenuOpen = false;
    pauseFade = 0;
    pausePadItem = 2;
    padButtonState[6] = kInputPressed;
    pass();
    updatePause(1.0f);
    EXPECT_TRUE(pauseMenuOpen);
    EXPECT_EQ(pausePadItem, 0);
    padButtonState[6] = kInputUp;
    padButtonState[1] = kInputPressed;
    pass();
    updatePause(1.0f);
    EXPECT_FALSE(pauseMenuOpen) << "B closes";
    pass();
    updatePause(1.0f);
    EXPECT_FALSE(pauseMenuOpen) << "and does not open it again";
    pauseFade = 0;
}

TEST_F(Pad, SettingsMoveActionsToAxesButtonsOrHatsAndUnreadableValuesKeepTheDefault)
{
    PadInput in = {};
    for (const char* bad : {"", "axis", "axis16", "axis-1", "axis5x", "button32", "hat4up", "hat0", "hat0middle"})
        EXPECT_FALSE(parsePadInput(bad, in)) << bad;
    PadInput list[kPadBindingsPerAction];
    EXPECT_EQ(parsePadInputs("button1,button2,button3,button4,button5", list, 4), 0) << "too many";
    EXPECT_EQ(parsePadInputs("button4,,button5", list, 4), 0);
    readSettingsText("padfire = button 3\npadsprint=Hat0Up,axis2\npadwalkx=button2\npadthrow=trigger\n"
                     "padaimy=axis7\n");
    EXPECT_EQ(padBindingCount[kPadSprint], 2);
    EXPECT_EQ(padBindings[kPadSprint][0].direction, SDL_HAT_UP);
    EXPECT_EQ(padBindings[kPadWalkAcross][0].index, 0) << "a stick takes only an axis";
    EXPECT_EQ(padBindings[kPadThrow][0].index, 2);
    padButtonState[3] = kInputHeld;
    padAxis[7] = kFull;
    padHat[0] = SDL_HAT_UP;
    pass();
    EXPECT_TRUE(stepInput.gun && stepInput.sprint);
    EXPECT_EQ(stepInput.pointerY, 510);
    readSettingsText("");
    EXPECT_EQ(padBindings[kPadFire][0].kind, kPadInputAxis) << "no keys, the defaults";
}

// Queues one joystick event: an axis or hat value, or a button.
void pushPadEvent(Uint8 type, Uint8 which, Uint8 number, int value = 0)
{
    SDL_Event e = {};
    e.type = type;
    e.jaxis.which = e.jhat.which = e.jbutton.which = which;
    if (type == SDL_JOYAXISMOTION) {
        e.jaxis.axis = number;
        e.jaxis.value = (Sint16)value;
    } else if (type == SDL_JOYHATMOTION) {
        e.jhat.hat = number;
        e.jhat.value = (Uint8)value;
    } else
        e.jbutton.button = number;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

TEST_F(Pad, PollingTakesPadZerosEventsDownsBeforeUpsAndLeavesTheKeys)
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
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    ASSERT_EQ(SDL_PushEvent(&key), 0);
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
