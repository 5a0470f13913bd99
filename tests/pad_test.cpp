// The game pad without a pad: the dead zone, the aim, triggers and switches
// on made-up values; the layout read from settings.ini; the pad's events
// taken from SDL's queue; and what the pad gives the step and the menus.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "app/input.h"
#include "app/pad.h"
#include "app/settings.h"
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

// ---- The dead zone ------------------------------------------------------------

TEST_F(Pad, AStickRestingInsideTheDeadZoneGivesNothing)
{
    const int32_t resting[][2] = {{0, 0}, {6553, 0}, {0, -6553}, {4600, 4600}, {-3000, 2500}, {-6000, -2000}};
    for (const auto& r : resting) {
        StickPosition s = applyDeadZone(r[0], r[1]);
        EXPECT_EQ(s.x, 0) << r[0] << "," << r[1];
        EXPECT_EQ(s.y, 0) << r[0] << "," << r[1];
    }
}

TEST_F(Pad, TheWalkGrowsFromNothingAtTheZoneEdgeToFullAtTheRim)
{
    StickPosition edge = applyDeadZone(6600, 0);
    EXPECT_GE(edge.x, 0);
    EXPECT_LT(edge.x, kFull / 100) << "no jump just past the zone";
    StickPosition diagonalEdge = applyDeadZone(4650, -4650);
    EXPECT_LT(lengthOf(diagonalEdge), kFull / 100.0);
    int32_t last = -1;
    for (int32_t x = 6600; x <= kFull; x += 1000) {
        int32_t now = applyDeadZone(x, 0).x;
        EXPECT_GT(now, last) << x;
        EXPECT_LT(now - last, 1400) << "a step of 1000 never jumps much further, at " << x;
        last = now;
    }
    EXPECT_EQ(applyDeadZone(kFull, 0).x, kFull);
    EXPECT_EQ(applyDeadZone(-32768, 0).x, -kFull) << "the far end counts as a full push, not past it";
    EXPECT_EQ(applyDeadZone(0, kFull).y, kFull);
}

TEST_F(Pad, ADiagonalIsNeverLongerThanAFullPushAndKeepsItsDirection)
{
    for (int32_t x = -32768; x <= kFull; x += 4096)
        for (int32_t y = -32768; y <= kFull; y += 4096)
            EXPECT_LE(lengthOf(applyDeadZone(x, y)), (double)kFull) << x << "," << y;
    StickPosition corner = applyDeadZone(kFull, -kFull);
    EXPECT_NEAR(lengthOf(corner), kFull, 2.0) << "a corner is a full push";
    EXPECT_EQ(corner.x, -corner.y) << "not snapped to an axis";
    StickPosition slanted = applyDeadZone(24000, 12000);
    EXPECT_NEAR((double)slanted.x / slanted.y, 2.0, 0.01);
}

// ---- The aim -------------------------------------------------------------------

TEST_F(Pad, TheAimingStickPointsAFixedReachFromTheMiddleWhateverThePush)
{
    int32_t x = 0, y = 0;
    ASSERT_TRUE(aimFromStick(0, -kFull, 800, 600, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 90) << "0.35 of the height above the middle";
    ASSERT_TRUE(aimFromStick(0, -12000, 800, 600, x, y));
    EXPECT_EQ(y, 90) << "a light push points as far";
    ASSERT_TRUE(aimFromStick(kFull, kFull, 800, 600, x, y));
    EXPECT_EQ(x, 400 + (int)lrint(210 / std::sqrt(2.0)));
    EXPECT_EQ(y, 300 + (int)lrint(210 / std::sqrt(2.0)));
}

TEST_F(Pad, TheAimStaysWhereTheStickLeftItWhenReleased)
{
    padAxis[3] = -kFull;
    pass();
    EXPECT_EQ(stepInput.pointerX, 190);
    EXPECT_EQ(stepInput.pointerY, 300);
    padAxis[3] = -9000;      // on its way back to the middle, still out of the zone
    pass();
    padAxis[3] = 2000;       // released, resting a little off
    pass();
    EXPECT_EQ(stepInput.pointerX, 190);
    EXPECT_EQ(stepInput.pointerY, 300);
    int32_t x = 7, y = 8;
    EXPECT_FALSE(aimFromStick(3000, -3000, 800, 600, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
}

TEST_F(Pad, WhicheverOfMouseAndAimingStickMovedLastAims)
{
    padAxis[4] = kFull;
    pass();
    EXPECT_EQ(stepInput.pointerY, 510);
    mouseX = 100;
    mouseY = 120;
    pass();
    EXPECT_EQ(stepInput.pointerX, 100) << "the mouse moved";
    EXPECT_EQ(stepInput.pointerY, 120);
    pass();
    EXPECT_EQ(stepInput.pointerX, 100) << "a stick held still does not take the aim back";
    padAxis[4] = 0;
    pass();
    padAxis[4] = kFull;
    pass();
    EXPECT_EQ(stepInput.pointerX, 400) << "pushed again, the same way";
    EXPECT_EQ(stepInput.pointerY, 510);
}

// ---- Triggers and switches -----------------------------------------------------

TEST_F(Pad, ATriggerCountsPastTheMiddleOfItsTravelFromEitherRest)
{
    EXPECT_FALSE(axisPulled(-32768, -32768)) << "resting at the bottom";
    EXPECT_FALSE(axisPulled(0, -32768));
    EXPECT_TRUE(axisPulled(1000, -32768));
    EXPECT_FALSE(axisPulled(0, 0)) << "resting at 0";
    EXPECT_FALSE(axisPulled(16000, 0));
    EXPECT_TRUE(axisPulled(17000, 0));
    EXPECT_TRUE(axisPulled(kFull, 0));
}

TEST_F(Pad, TriggersFireAndThrowOnlyWhenPulled)
{
    padAxis[2] = padAxisLowest[2] = -32768;    // left trigger rests at the bottom
    padAxis[5] = 0;                            // right trigger rests at 0
    pass();
    EXPECT_FALSE(stepInput.gun);
    EXPECT_FALSE(stepInput.throwing);
    padAxis[5] = 20000;
    pass();
    EXPECT_TRUE(stepInput.gun);
    EXPECT_FALSE(stepInput.throwing);
    padAxis[5] = 0;
    padAxis[2] = 1000;
    pass();
    EXPECT_FALSE(stepInput.gun);
    EXPECT_TRUE(stepInput.throwing);
}

TEST_F(Pad, EitherShoulderOrTheStickClickSprintsAndStartOpensTheMenuOncePerPress)
{
    for (int button : {4, 5, 9}) {
        padButtonState[button] = kInputHeld;
        pass();
        EXPECT_TRUE(stepInput.sprint) << button;
        padButtonState[button] = kInputUp;
        pass();
        EXPECT_FALSE(stepInput.sprint) << button;
    }
    padButtonState[7] = kInputPressed;
    pass();
    EXPECT_TRUE(stepInput.menuKey);
    padButtonState[7] = kInputHeld;
    pass();
    EXPECT_FALSE(stepInput.menuKey) << "held, not pressed again";
    EXPECT_EQ(padActionState[kPadMenu], kInputHeld);
}

TEST_F(Pad, SwitchStatesGoDownThenHeldThenUp)
{
    EXPECT_EQ(nextInputState(kInputUp, true), kInputPressed);
    EXPECT_EQ(nextInputState(kInputPressed, true), kInputHeld);
    EXPECT_EQ(nextInputState(kInputHeld, true), kInputHeld);
    EXPECT_EQ(nextInputState(kInputHeld, false), kInputUp);
    PadInput hatUp = {kPadInputHat, 0, SDL_HAT_UP};
    padHat[0] = SDL_HAT_LEFTUP;
    EXPECT_TRUE(padInputDown(hatUp));
    padHat[0] = SDL_HAT_DOWN;
    EXPECT_FALSE(padInputDown(hatUp));
}

// ---- Walking through the step ---------------------------------------------------

TEST_F(Pad, TheLeftStickWalksWithItsPushAndUpTheScreenIsForward)
{
    padAxis[1] = -kFull;
    pass();
    EXPECT_EQ(stepInput.moveAcross, 0);
    EXPECT_EQ(stepInput.moveAlong, kFull);
    padAxis[1] = 0;
    padAxis[0] = 16000;
    pass();
    EXPECT_GT(stepInput.moveAcross, 0);
    EXPECT_LT(stepInput.moveAcross, kFull / 2);
    EXPECT_EQ(stepInput.moveAlong, 0);
}

TEST_F(Pad, KeysWalkAtFullAndOverrideTheStick)
{
    padAxis[0] = 20000;
    keyState[SDLK_a] = kInputHeld;
    keyState[SDLK_w] = kInputHeld;
    pass();
    EXPECT_EQ(stepInput.moveAcross, -kFull);
    EXPECT_EQ(stepInput.moveAlong, kFull);
    keyState[SDLK_a] = keyState[SDLK_w] = kInputUp;
    keyState[SDLK_d] = keyState[SDLK_a] = kInputHeld;
    pass();
    EXPECT_GT(stepInput.moveAcross, 0) << "opposite keys cancel and leave the stick to walk";
    EXPECT_LT(stepInput.moveAcross, kFull);
}

TEST_F(Pad, APartPushWalksAtItsShareAndCannotSprint)
{
    openWorldWith({{kActorPlayer, 128, 128}});
    energy[0] = 100;
    padAxis[0] = 24576;                        // three quarters out: 0.6875 after the zone
    padButtonState[4] = kInputHeld;            // sprint held
    pass();
    runPlayerStage(0, 1.0f);
    EXPECT_NEAR(actors[0].vx, 0.011f * 0.6875f, 0.0001f);
    EXPECT_EQ(energy[0], 100) << "not past the sprint's three quarters";
    actors[0].vx = 0;
    padAxis[0] = kFull;
    pass();
    runPlayerStage(0, 1.0f);
    EXPECT_NEAR(actors[0].vx, 0.011f * 1.5f, 0.0001f) << "a full push sprints";
    EXPECT_LT(energy[0], 100);
}

// ---- Menus ---------------------------------------------------------------------

TEST_F(Pad, TheStickOrHatStepsAMenuOncePerPushAndAWithNothingMovedChoosesTheFirst)
{
    padButtonState[0] = kInputPressed;
    pass();
    EXPECT_TRUE(padDrivesHighlight);
    EXPECT_TRUE(readMenuPad(2, false)) << "A chooses";
    EXPECT_EQ(menuHotItem, 0);
    padButtonState[0] = kInputHeld;
    padAxis[1] = 30000;
    pass();
    EXPECT_EQ(padMenuStep, 1);
    EXPECT_FALSE(readMenuPad(4, false));
    EXPECT_EQ(menuHotItem, 1);
    pass();
    EXPECT_EQ(padMenuStep, 0) << "held down moves no further";
    padAxis[1] = 0;
    pass();
    for (int expected : {2, 3, 3}) {
        padHat[0] = SDL_HAT_DOWN;
        pass();
        readMenuPad(4, false);
        EXPECT_EQ(menuHotItem, expected) << "the d-pad steps down, stopping at the last entry";
        padHat[0] = SDL_HAT_CENTERED;
        pass();
    }
    padHat[0] = SDL_HAT_UP;
    pass();
    readMenuPad(4, false);
    EXPECT_EQ(menuHotItem, 2);
    EXPECT_EQ(stepHighlight(0, -1, 2), 0);
}

TEST_F(Pad, TheMouseTakesTheMenuBackByMovingOrClicking)
{
    padButtonState[1] = kInputPressed;      // B
    pass();
    EXPECT_TRUE(padDrivesHighlight);
    mouseY = 225;
    pass();
    EXPECT_FALSE(padDrivesHighlight);
    menuHotItem = 3;
    EXPECT_TRUE(readMenuPad(4, true)) << "the mouse's click stands";
    EXPECT_EQ(menuHotItem, 3);
    padButtonState[1] = kInputUp;
    pass();
    padButtonState[1] = kInputPressed;
    pass();
    EXPECT_TRUE(padDrivesHighlight);
    pass(true);
    EXPECT_FALSE(padDrivesHighlight);
}

// ---- The layout from settings.ini ------------------------------------------------

TEST_F(Pad, InputsAreNamedAxisButtonOrHatWithADirection)
{
    PadInput in = {};
    ASSERT_TRUE(parsePadInput("axis5", in));
    EXPECT_EQ(in.kind, kPadInputAxis);
    EXPECT_EQ(in.index, 5);
    ASSERT_TRUE(parsePadInput("button12", in));
    EXPECT_EQ(in.kind, kPadInputButton);
    EXPECT_EQ(in.index, 12);
    ASSERT_TRUE(parsePadInput("Hat1Left", in));
    EXPECT_EQ(in.kind, kPadInputHat);
    EXPECT_EQ(in.index, 1);
    EXPECT_EQ(in.direction, SDL_HAT_LEFT);
    for (const char* bad : {"", "axis", "axis16", "axis-1", "axis5x", "button32", "button", "hat4up", "hat0",
                            "hat0middle", "stick1", "1"})
        EXPECT_FALSE(parsePadInput(bad, in)) << bad;
    PadInput list[kPadBindingsPerAction];
    EXPECT_EQ(parsePadInputs("button4,button5,hat0up", list, 4), 3);
    EXPECT_EQ(list[2].direction, SDL_HAT_UP);
    EXPECT_EQ(parsePadInputs("button1,button2,button3,button4,button5", list, 4), 0) << "too many";
    EXPECT_EQ(parsePadInputs("button4,,button5", list, 4), 0);
    EXPECT_EQ(parsePadInputs("button4,", list, 4), 0);
}

TEST_F(Pad, SettingsMoveActionsAndAnUnreadableValueKeepsTheDefault)
{
    readSettingsText("padfire = button 3\npadsprint=hat0up,axis2\npadwalkx=button2\npadthrow=trigger\n"
                     "padaimy=axis7\n");
    EXPECT_EQ(padBindingCount[kPadFire], 1);
    EXPECT_EQ(padBindings[kPadFire][0].kind, kPadInputButton);
    EXPECT_EQ(padBindings[kPadFire][0].index, 3);
    EXPECT_EQ(padBindingCount[kPadSprint], 2);
    EXPECT_EQ(padBindings[kPadSprint][0].kind, kPadInputHat);
    EXPECT_EQ(padBindings[kPadSprint][1].index, 2);
    EXPECT_EQ(padBindings[kPadWalkAcross][0].kind, kPadInputAxis) << "a stick takes only an axis";
    EXPECT_EQ(padBindings[kPadWalkAcross][0].index, 0);
    EXPECT_EQ(padBindings[kPadThrow][0].index, 2);
    EXPECT_EQ(padBindings[kPadAimAlong][0].index, 7);
    padButtonState[3] = kInputHeld;
    padAxis[7] = kFull;
    pass();
    EXPECT_TRUE(stepInput.gun);
    EXPECT_EQ(stepInput.pointerY, 510);
    readSettingsText("");
    EXPECT_EQ(padBindings[kPadFire][0].kind, kPadInputAxis) << "a file without the keys gives the defaults";
    EXPECT_EQ(padBindingCount[kPadSprint], 3);
}

// ---- Events from SDL's queue ------------------------------------------------------

// Queues one joystick event of the given type.
void pushPadEvent(Uint8 type, Uint8 which, Uint8 number, int value)
{
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_JOYAXISMOTION) {
        e.jaxis.which = which;
        e.jaxis.axis = number;
        e.jaxis.value = (Sint16)value;
    } else if (type == SDL_JOYHATMOTION) {
        e.jhat.which = which;
        e.jhat.hat = number;
        e.jhat.value = (Uint8)value;
    } else {
        e.jbutton.which = which;
        e.jbutton.button = number;
    }
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

TEST_F(Pad, PollingTakesThePadsEventsFromTheQueueAndLeavesTheRest)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    pushPadEvent(SDL_JOYAXISMOTION, 0, 2, -32768);
    pushPadEvent(SDL_JOYAXISMOTION, 0, 2, -20000);
    pushPadEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_RIGHT);
    pushPadEvent(SDL_JOYBUTTONDOWN, 0, 0, 0);
    pushPadEvent(SDL_JOYBUTTONUP, 0, 0, 0);
    pushPadEvent(SDL_JOYBUTTONDOWN, 0, 7, 0);
    pushPadEvent(SDL_JOYBUTTONDOWN, 1, 6, 0);
    pushPadEvent(SDL_JOYAXISMOTION, 0, 40, kFull);
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    ASSERT_EQ(SDL_PushEvent(&key), 0);
    pollPad();
    EXPECT_EQ(padAxis[2], -20000) << "the latest value";
    EXPECT_EQ(padAxisLowest[2], -32768);
    EXPECT_EQ(padHat[0], SDL_HAT_RIGHT);
    EXPECT_EQ(padButtonState[0], kInputUp) << "downs before ups, as with keys";
    EXPECT_EQ(padButtonState[7], kInputPressed);
    EXPECT_EQ(padButtonState[6], kInputUp) << "a second pad is not read";
    EXPECT_EQ(padActionState[kPadMenu], kInputPressed);
    SDL_Event e;
    EXPECT_EQ(SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_ALLEVENTS), 1);
    EXPECT_EQ(e.type, SDL_KEYDOWN) << "key events stay for pollInput";
    pollPad();
    EXPECT_EQ(padButtonState[7], kInputHeld);
    SDL_Quit();
}

}  // namespace
