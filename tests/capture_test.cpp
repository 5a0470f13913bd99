// Waiting for a new key or pad input: what ends the wait, what is refused,
// and how a binding another action had is swapped. Key names come from SDL
// (known once its video part runs, here on the dummy driver).
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "options/capture.h"

namespace {

const int32_t kDefaults[kKeyActions] = {SDLK_w, SDLK_s, SDLK_a, SDLK_d, SDLK_LSHIFT, SDLK_SPACE, SDLK_ESCAPE};

struct KeyCapture : ::testing::Test {
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        buildKeyNames();
    }
    static void TearDownTestSuite() { SDL_Quit(); }
    void SetUp() override { memcpy(keys, kDefaults, sizeof keys); }

    int32_t keys[kKeyActions];
};

TEST_F(KeyCapture, AFreeKeyBindsAndOneAnotherActionHasIsSwapped)
{
    CaptureResult r = captureKey(keys, kKeyLeft, SDLK_q);
    EXPECT_EQ(r.outcome, kCaptureBound);
    EXPECT_EQ(keys[kKeyLeft], SDLK_q);
    r = captureKey(keys, kKeyLeft, SDLK_w);
    EXPECT_EQ(r.outcome, kCaptureSwapped);
    EXPECT_EQ(r.otherAction, kKeyUp);
    EXPECT_EQ(keys[kKeyLeft], SDLK_w);
    EXPECT_EQ(keys[kKeyUp], SDLK_q) << "walk up takes walk left's old key";
    r = captureKey(keys, kKeySprint, SDLK_ESCAPE);
    EXPECT_EQ(r.outcome, kCaptureCancelled) << "Escape cancels even though pause has it";
    EXPECT_EQ(keys[kKeySprint], SDLK_LSHIFT);
    EXPECT_EQ(keys[kKeyPause], SDLK_ESCAPE);
    EXPECT_EQ(captureKey(keys, kKeySprint, SDLK_LSHIFT).outcome, kCaptureBound) << "its own key again";
    for (int a = 0; a < kKeyActions; a++)
        for (int b = a + 1; b < kKeyActions; b++)
            EXPECT_NE(keys[a], keys[b]) << a << " and " << b;
}

// The arrows and Return act for their own actions whatever is bound, so no
// other action may take them; keys settings.ini could not name back are
// refused; a press of nothing usable keeps waiting.
TEST_F(KeyCapture, SecondKeysStayWithTheirActionsAndUnnamedKeysAreRefused)
{
    CaptureResult r = captureKey(keys, kKeyLeft, SDLK_UP);
    EXPECT_EQ(r.outcome, kCaptureRefused);
    EXPECT_EQ(r.otherAction, kKeyUp);
    r = captureKey(keys, kKeySprint, SDLK_RETURN);
    EXPECT_EQ(r.outcome, kCaptureRefused);
    EXPECT_EQ(r.otherAction, kKeyMenu);
    EXPECT_EQ(memcmp(keys, kDefaults, sizeof keys), 0);
    EXPECT_EQ(captureKey(keys, kKeyUp, SDLK_UP).outcome, kCaptureBound) << "walk up's own arrow";
    EXPECT_EQ(captureKey(keys, kKeyMenu, SDLK_RETURN).outcome, kCaptureBound);
    r = captureKey(keys, kKeyDown, 1);
    EXPECT_EQ(r.outcome, kCaptureRefused) << "a symbol SDL has no name for";
    EXPECT_EQ(r.otherAction, -1);
    EXPECT_EQ(captureKey(keys, kKeyDown, 0).outcome, kCaptureWaiting);
    EXPECT_EQ(captureKey(keys, kKeyDown, kKeyStates).outcome, kCaptureWaiting);
    EXPECT_EQ(keys[kKeyDown], SDLK_s);
}

// ---- The pad ------------------------------------------------------------------

// A pad at rest: sticks centred, both triggers (axes 2 and 5) at the bottom.
PadSnapshot restingPad()
{
    PadSnapshot pad = {};
    pad.axis[2] = pad.axis[5] = kPadAxisLowest;
    return pad;
}

// What the pad capture finds from rest to now, "none" when nothing.
std::string pushed(const PadSnapshot& now, bool stick, PadSnapshot before = restingPad(),
                   PadSnapshot rest = restingPad())
{
    PadInput found = {};
    if (!padInputPushed(rest, before, now, stick, found))
        return "none";
    const char* kinds[] = {"none", "axis", "button", "hat"};
    return std::string(kinds[found.kind]) + std::to_string(found.index) +
           (found.kind == kPadInputHat ? "/" + std::to_string(found.direction) : "");
}

TEST(PadCapture, AnAxisBindsPastHalfItsTravelFromWhereItRested)
{
    PadSnapshot pad = restingPad();
    EXPECT_EQ(pushed(pad, true), "none") << "triggers resting at -32768 never bind a stick";
    EXPECT_EQ(pushed(pad, false), "none") << "nor a switch";
    pad.axis[5] = -100;
    EXPECT_EQ(pushed(pad, false), "none") << "a trigger half pulled";
    pad.axis[5] = 100;
    EXPECT_EQ(pushed(pad, false), "axis5");
    pad = restingPad();
    pad.axis[3] = -20000;
    EXPECT_EQ(pushed(pad, true), "axis3") << "a stick either way";
    EXPECT_EQ(pushed(pad, false), "none") << "a switch reads a centred axis on its positive side only";
    pad.axis[3] = 16000;
    EXPECT_EQ(pushed(pad, true), "none") << "not yet half way";
    PadSnapshot leaning = restingPad();
    leaning.axis[0] = 20000;
    pad = leaning;
    EXPECT_EQ(pushed(pad, true, leaning, leaning), "none") << "held aside when the wait began";
    pad.axis[0] = -20000;
    EXPECT_EQ(pushed(pad, true, leaning, leaning), "axis0");
}

TEST(PadCapture, ASwitchTakesAButtonGoingDownOrAHatDirectionComingOn)
{
    PadSnapshot pad = restingPad();
    pad.button[3] = kInputHeld;
    EXPECT_EQ(pushed(pad, false), "none") << "held since before the wait";
    pad.button[7] = kInputPressed;
    EXPECT_EQ(pushed(pad, false), "button7");
    EXPECT_EQ(pushed(pad, true), "none") << "a stick takes axes only";
    pad = restingPad();
    pad.hat[1] = kHatBitUp | kHatBitLeft;
    PadSnapshot before = restingPad();
    before.hat[1] = kHatBitUp;
    EXPECT_EQ(pushed(pad, false, before), "hat1/8") << "left came on, up was on already";
    EXPECT_EQ(pushed(pad, false, pad), "none");
}

// The default layout: walk 0, 1; aim 3, 4; fire 5; throw 2; sprint 4, 5, 9;
// choose 0; back 1; menu 7; pause 6.
struct PadBindings : ::testing::Test {
    void SetUp() override
    {
        const PadInput defaults[kPadActions] = {
            {kPadInputAxis, 0, 0},   {kPadInputAxis, 1, 0},   {kPadInputAxis, 3, 0},   {kPadInputAxis, 4, 0},
            {kPadInputAxis, 5, 0},   {kPadInputAxis, 2, 0},   {kPadInputButton, 4, 0}, {kPadInputButton, 0, 0},
            {kPadInputButton, 1, 0}, {kPadInputButton, 7, 0}, {kPadInputButton, 6, 0}};
        for (int a = 0; a < kPadActions; a++) {
            pad[a][0] = defaults[a];
            counts[a] = 1;
        }
        pad[kPadSprint][1] = PadInput{kPadInputButton, 5, 0};
        pad[kPadSprint][2] = PadInput{kPadInputButton, 9, 0};
        counts[kPadSprint] = 3;
    }
    PadInput pad[kPadActions][kPadBindingsPerAction] = {};
    int32_t counts[kPadActions] = {};
};

TEST_F(PadBindings, AnInputAnotherActionHadIsSwappedForThisOnesOldInput)
{
    CaptureResult r = capturePadInput(pad, counts, kPadFire, PadInput{kPadInputButton, 5, 0});
    EXPECT_EQ(r.outcome, kCaptureSwapped);
    EXPECT_EQ(r.otherAction, kPadSprint);
    EXPECT_EQ(counts[kPadFire], 1);
    EXPECT_TRUE(samePadInput(pad[kPadFire][0], PadInput{kPadInputButton, 5, 0}));
    ASSERT_EQ(counts[kPadSprint], 3);
    EXPECT_TRUE(samePadInput(pad[kPadSprint][1], PadInput{kPadInputAxis, 5, 0})) << "in button 5's place";
    r = capturePadInput(pad, counts, kPadThrow, PadInput{kPadInputAxis, 5, 0});
    EXPECT_EQ(r.outcome, kCaptureSwapped);
    ASSERT_EQ(counts[kPadSprint], 3);
    EXPECT_TRUE(samePadInput(pad[kPadSprint][1], PadInput{kPadInputAxis, 2, 0}));
    r = capturePadInput(pad, counts, kPadSprint, PadInput{kPadInputHat, 0, kHatBitDown});
    EXPECT_EQ(r.outcome, kCaptureBound);
    EXPECT_EQ(counts[kPadSprint], 1) << "the new input is the action's only one";
    r = capturePadInput(pad, counts, kPadAimAcross, PadInput{kPadInputAxis, 0, 0});
    EXPECT_EQ(r.outcome, kCaptureSwapped);
    EXPECT_TRUE(samePadInput(pad[kPadWalkAcross][0], PadInput{kPadInputAxis, 3, 0}));
}

// A swap that would leave the other action's list holding one input twice
// just drops it there; one that would give a stick a button is refused.
TEST_F(PadBindings, ASwapNeverLeavesAnInputTwiceOrAStickWithoutAnAxis)
{
    pad[kPadMenu][0] = PadInput{kPadInputButton, 4, 0};
    CaptureResult r = capturePadInput(pad, counts, kPadMenu, PadInput{kPadInputButton, 5, 0});
    EXPECT_EQ(r.outcome, kCaptureSwapped);
    ASSERT_EQ(counts[kPadSprint], 2);
    EXPECT_TRUE(samePadInput(pad[kPadSprint][0], PadInput{kPadInputButton, 4, 0}));
    EXPECT_TRUE(samePadInput(pad[kPadSprint][1], PadInput{kPadInputButton, 9, 0}));
    r = capturePadInput(pad, counts, kPadChoose, PadInput{kPadInputAxis, 3, 0});
    EXPECT_EQ(r.outcome, kCaptureRefused);
    EXPECT_EQ(r.otherAction, kPadAimAcross);
    EXPECT_TRUE(samePadInput(pad[kPadChoose][0], PadInput{kPadInputButton, 0, 0}));
    EXPECT_TRUE(samePadInput(pad[kPadAimAcross][0], PadInput{kPadInputAxis, 3, 0}));
    EXPECT_EQ(capturePadInput(pad, counts, kPadWalkAlong, PadInput{kPadInputButton, 2, 0}).outcome,
              kCaptureWaiting) << "a stick waits for an axis";
}

}  // namespace
