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

TEST_F(KeyBindings, NamesAreSdlsWithoutSpacesInAnyCase)
{
    buildKeyNames();
    EXPECT_EQ(keyByName("leftctrl"), SDLK_LCTRL);
    EXPECT_EQ(keyByName("LeftCtrl"), SDLK_LCTRL);
    EXPECT_EQ(keyByName("z"), SDLK_z);
    EXPECT_EQ(keyByName("Q"), SDLK_q);
    EXPECT_EQ(keyByName("return"), SDLK_RETURN);
    EXPECT_EQ(keyByName("rightshift"), SDLK_RSHIFT);
    EXPECT_EQ(keyByName("[4]"), SDLK_KP4);
    EXPECT_EQ(keyByName("pagedown"), SDLK_PAGEDOWN);
    EXPECT_EQ(keyByName("left ctrl"), 0) << "the reader has taken the spaces out before";
    EXPECT_EQ(keyByName("unknownkey"), 0);
    EXPECT_EQ(keyByName(""), 0);
    EXPECT_EQ(keyByName("ctrl"), 0) << "whole names only";
}

TEST_F(KeyBindings, BoundNamesReplaceTheDefaultsAndUnknownOnesAreIgnored)
{
    bind("keyup=z\nkeyleft=q\nkeysprint = left ctrl\nkeydown=nosuchkey\nkeyright=\nkeymenu=m\n");
    EXPECT_EQ(keyBindings[kKeyUp], SDLK_z);
    EXPECT_EQ(keyBindings[kKeyLeft], SDLK_q);
    EXPECT_EQ(keyBindings[kKeySprint], SDLK_LCTRL);
    EXPECT_EQ(keyBindings[kKeyDown], SDLK_s) << "an unknown name keeps the default";
    EXPECT_EQ(keyBindings[kKeyRight], SDLK_d) << "an empty name keeps the default";
    EXPECT_EQ(keyBindings[kKeyMenu], SDLK_m);
    EXPECT_EQ(keyBindings[kKeyPause], SDLK_ESCAPE);
    bind("");
    EXPECT_EQ(keyBindings[kKeyUp], SDLK_w) << "a file without the keys gives the defaults";
    EXPECT_EQ(keyBindings[kKeySprint], SDLK_LSHIFT);
}

TEST_F(KeyBindings, ABoundKeyWalksTheLetterItReplacedDoesNotAndTheArrowStays)
{
    bind("keyup=z\nkeyleft=q\n");
    EXPECT_EQ(withKey(SDLK_z).moveAlong, kAxisFull);
    EXPECT_EQ(withKey(SDLK_w).moveAlong, 0);
    EXPECT_EQ(withKey(SDLK_UP).moveAlong, kAxisFull);
    EXPECT_EQ(withKey(SDLK_q).moveAcross, -kAxisFull);
    EXPECT_EQ(withKey(SDLK_a).moveAcross, 0);
    EXPECT_EQ(withKey(SDLK_LEFT).moveAcross, -kAxisFull);
    EXPECT_EQ(withKey(SDLK_d).moveAcross, kAxisFull) << "unbound actions keep their letter";
}

TEST_F(KeyBindings, SprintMenuAndPauseFollowTheirBindings)
{
    bind("keysprint=rightshift\nkeymenu=m\nkeypause=p\n");
    EXPECT_TRUE(withKey(SDLK_RSHIFT).sprint);
    EXPECT_FALSE(withKey(SDLK_LSHIFT).sprint);
    EXPECT_FALSE(withKey(SDLK_UNKNOWN).sprint) << "sprint has no second key, not key 0";
    EXPECT_TRUE(withKey(SDLK_m, kInputPressed).menuKey);
    EXPECT_FALSE(withKey(SDLK_m, kInputHeld).menuKey);
    EXPECT_FALSE(withKey(SDLK_SPACE, kInputPressed).menuKey);
    EXPECT_TRUE(withKey(SDLK_RETURN, kInputPressed).menuKey) << "Return stays beside a bound menu key";
    memset(keyState, 0, sizeof keyState);
    keyState[SDLK_p] = kInputPressed;
    EXPECT_TRUE(keyActionPressed(kKeyPause));
    keyState[SDLK_p] = kInputUp;
    keyState[SDLK_ESCAPE] = kInputPressed;
    EXPECT_FALSE(keyActionPressed(kKeyPause));
    keyState[SDLK_UNKNOWN] = kInputPressed;
    EXPECT_FALSE(keyActionPressed(kKeyPause));
}

}  // namespace
