// Keys bound in settings.ini by SDL's names (known once video has started,
// here with the dummy driver): which names bind, and how a bound key and the
// fixed second keys drive the step.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "app/input.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "sim/step.h"
#include "tests/scratchdir.h"

namespace {

// The step's input with exactly one key in the given state.
StepInput withKey(int key, int32_t state = kInputHeld)
{
    memset(keyState, 0, sizeof keyState);
    keyState[key] = state;
    readStepInput(1.0f);
    return stepInput;
}

TEST(KeyBindings, ABoundKeyActsTheLetterItReplacedDoesNotAndUnreadableNamesOrSecondKeysStay)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ScratchDir scratch;
    enterScratchDir(scratch, "keys");
    std::ofstream("settings.ini") << "keyup=Z\nkeysprint = right shift\nkeydown=nosuchkey\nkeyright=\n"
                                     "keymenu=[4]\nkeypause=ctrl\n";
    readSettings();
    readKeyBindings();
    leaveScratchDir(scratch);
    EXPECT_EQ(withKey(SDLK_z).moveAlong, kAxisFull);
    EXPECT_EQ(withKey(SDLK_w).moveAlong, 0);
    EXPECT_EQ(withKey(SDLK_UP).moveAlong, kAxisFull);
    EXPECT_EQ(withKey(SDLK_s).moveAlong, -kAxisFull) << "an unknown name keeps the default";
    EXPECT_EQ(withKey(SDLK_d).moveAcross, kAxisFull) << "so does an empty one";
    EXPECT_EQ(withKey(SDLK_a).moveAcross, -kAxisFull);
    EXPECT_TRUE(withKey(SDLK_RSHIFT).sprint);
    EXPECT_FALSE(withKey(SDLK_LSHIFT).sprint);
    EXPECT_FALSE(withKey(SDLK_UNKNOWN).sprint) << "sprint has no second key, not key 0";
    EXPECT_TRUE(withKey(SDLK_KP4, kInputPressed).menuKey);
    EXPECT_FALSE(withKey(SDLK_KP4, kInputHeld).menuKey);
    EXPECT_FALSE(withKey(SDLK_SPACE, kInputPressed).menuKey);
    EXPECT_TRUE(withKey(SDLK_RETURN, kInputPressed).menuKey);
    withKey(SDLK_ESCAPE, kInputPressed);
    EXPECT_TRUE(keyActionPressed(kKeyPause)) << "whole names only: ctrl is no key";
    SDL_Quit();
}

}  // namespace
