// Keys bound in settings.ini by SDL's names (known once video has started,
// here with the dummy driver): which names bind, and how a bound key and the
// fixed second keys drive the step.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "app/input.h"
#include "app/settings.h"
#include "sim/step.h"
#include "tests/scratchdir.h"

namespace {

// Binds the keys of a settings file holding only `text`, read in a scratch directory.
void bind(const char* text)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ScratchDir scratch;
    enterScratchDir(scratch, "keys");
    std::ofstream("settings.ini") << text;
    readSettings();
    readKeyBindings();
    leaveScratchDir(scratch);
}

// The step's input with exactly one key in the given state.
StepInput withKey(int key, int32_t state = kInputHeld)
{
    memset(keyState, 0, sizeof keyState);
    keyState[key] = state;
    readStepInput(1.0f);
    return stepInput;
}

TEST(KeyBindings, SdlsNamesWithoutSpacesBindAndUnknownOrPartialNamesKeepTheDefault)
{
    bind("keyup=Z\nkeysprint = left ctrl\nkeydown=nosuchkey\nkeyright=\nkeymenu=[4]\nkeypause=ctrl\n");
    EXPECT_EQ(keyBindings[kKeyUp], SDLK_z);
    EXPECT_EQ(keyBindings[kKeySprint], SDLK_LCTRL);
    EXPECT_EQ(keyBindings[kKeyDown], SDLK_s);
    EXPECT_EQ(keyBindings[kKeyRight], SDLK_d);
    EXPECT_EQ(keyBindings[kKeyMenu], SDLK_KP4);
    EXPECT_EQ(keyBindings[kKeyPause], SDLK_ESCAPE) << "whole names only";
}

TEST(KeyBindings, ABoundKeyActsTheLetterItReplacedDoesNotAndTheSecondKeysStay)
{
    bind("keyup=z\nkeysprint=rightshift\nkeymenu=m\nkeypause=p\n");
    EXPECT_EQ(withKey(SDLK_z).moveAlong, kAxisFull);
    EXPECT_EQ(withKey(SDLK_w).moveAlong, 0);
    EXPECT_EQ(withKey(SDLK_UP).moveAlong, kAxisFull);
    EXPECT_EQ(withKey(SDLK_a).moveAcross, -kAxisFull) << "unbound actions keep their letter";
    EXPECT_TRUE(withKey(SDLK_RSHIFT).sprint);
    EXPECT_FALSE(withKey(SDLK_LSHIFT).sprint);
    EXPECT_FALSE(withKey(SDLK_UNKNOWN).sprint) << "sprint has no second key, not key 0";
    EXPECT_TRUE(withKey(SDLK_m, kInputPressed).menuKey);
    EXPECT_FALSE(withKey(SDLK_m, kInputHeld).menuKey);
    EXPECT_FALSE(withKey(SDLK_SPACE, kInputPressed).menuKey);
    EXPECT_TRUE(withKey(SDLK_RETURN, kInputPressed).menuKey);
    withKey(SDLK_p, kInputPressed);
    EXPECT_TRUE(keyActionPressed(kKeyPause));
    withKey(SDLK_ESCAPE, kInputPressed);
    EXPECT_FALSE(keyActionPressed(kKeyPause));
}

}  // namespace
