// Keys bound in settings.ini: SDL's key names as the settings reader sees
// them, which bindings take, and how a bound key and the fixed second keys
// drive the step. SDL knows its key names once video has started (the dummy
// driver here); every test writes "settings.ini" in a fresh directory.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <fstream>
#include <string>

#include "app/input.h"
#include "app/pad.h"
#include "app/settings.h"
#include "sim/step.h"
#include "tests/scratchdir.h"

namespace {

struct KeyBindings : ::testing::Test {
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        enterScratchDir(scratch, "keys");
        memset(keyState, 0, sizeof keyState);
        memset(padActionState, 0, sizeof padActionState);
        padWalk = StickPosition{0, 0};
        padDrivesAim = false;
    }
    void TearDown() override
    {
        remove("settings.ini");
        readSettings();
        readKeyBindings();
        leaveScratchDir(scratch);
    }

    // Reads the bindings from a settings file holding only `text`.
    static void bind(const std::string& text)
    {
        std::ofstream("settings.ini", std::ios::binary) << text;
        readSettings();
        readKeyBindings();
    }

    // The step's input with exactly one key in the given state.
    static StepInput withKey(int key, int32_t state = kInputHeld)
    {
        memset(keyState, 0, sizeof keyState);
        keyState[key] = state;
        readStepInput(1.0f);
        return stepInput;
    }

    ScratchDir scratch;
};

TEST_F(KeyBindings, NamesAreSdlsWithoutSpacesAndUnknownOnesKeepTheDefault)
{
    bind("keyup=Z\nkeyleft=q\nkeysprint = left ctrl\nkeydown=nosuchkey\nkeyright=\nkeymenu=[4]\n"
         "keypause=ctrl\n");
    EXPECT_EQ(keyBindings[kKeyUp], SDLK_z);
    EXPECT_EQ(keyBindings[kKeyLeft], SDLK_q);
    EXPECT_EQ(keyBindings[kKeySprint], SDLK_LCTRL);
    EXPECT_EQ(keyBindings[kKeyDown], SDLK_s) << "an unknown name";
    EXPECT_EQ(keyBindings[kKeyRight], SDLK_d) << "an empty name";
    EXPECT_EQ(keyBindings[kKeyMenu], SDLK_KP4);
    EXPECT_EQ(keyBindings[kKeyPause], SDLK_ESCAPE) << "whole names only";
    EXPECT_EQ(keyByName("unknownkey"), 0);
    bind("");
    EXPECT_EQ(keyBindings[kKeyUp], SDLK_w) << "no keys, the defaults";
}

TEST_F(KeyBindings, ABoundKeyActsTheLetterItReplacedDoesNotAndTheSecondKeysStay)
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
