// The per-pass key and button tables, fed with events pushed into SDL's queue
// on the dummy video driver (no window system needed).
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "app/input.h"

namespace {

// SDL runs for the whole suite; each test starts with empty tables and queue.
struct Input : ::testing::Test {
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(64, 64, 0, 0), nullptr) << SDL_GetError();
    }

    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        for (int& k : keyState)
            k = 0;
        for (int& b : mouseButtonState)
            b = 0;
    }
};

void pushKey(Uint8 type, int sym)
{
    SDL_Event e = {};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = (SDLKey)sym;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void pushButton(Uint8 type, int button)
{
    SDL_Event e = {};
    e.type = type;
    e.button.type = type;
    e.button.button = (Uint8)button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

int waiting(Uint32 mask)
{
    SDL_Event e;
    return SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, mask);
}

TEST_F(Input, AKeyReadsWentDownThenHeldUntilReleased)
{
    pushKey(SDL_KEYDOWN, SDLK_w);
    pollInput();
    EXPECT_EQ(keyState[SDLK_w], kInputPressed);
    pollInput();
    EXPECT_EQ(keyState[SDLK_w], kInputHeld);
    pollInput();
    EXPECT_EQ(keyState[SDLK_w], kInputHeld);
    pushKey(SDL_KEYUP, SDLK_w);
    pollInput();
    EXPECT_EQ(keyState[SDLK_w], kInputUp);
}

TEST_F(Input, EveryKeyIsTrackedOnItsOwn)
{
    pushKey(SDL_KEYDOWN, SDLK_a);
    pollInput();
    pushKey(SDL_KEYDOWN, SDLK_LSHIFT);
    pollInput();
    EXPECT_EQ(keyState[SDLK_a], kInputHeld);
    EXPECT_EQ(keyState[SDLK_LSHIFT], kInputPressed);
    EXPECT_EQ(keyState[SDLK_d], kInputUp);
}

TEST_F(Input, AllDownsOfAPassApplyBeforeAllUps)
{
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    pushKey(SDL_KEYUP, SDLK_RETURN);
    pollInput();
    EXPECT_EQ(keyState[SDLK_RETURN], kInputUp) << "a press and release inside one pass is lost";

    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    pollInput();
    pushKey(SDL_KEYUP, SDLK_SPACE);
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    pollInput();
    EXPECT_EQ(keyState[SDLK_SPACE], kInputUp) << "release and re-press in one pass reads up";
    pollInput();
    EXPECT_EQ(keyState[SDLK_SPACE], kInputUp) << "and stays up until pressed again";
}

TEST_F(Input, MouseButtonsFollowTheSameRules)
{
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_LEFT], kInputPressed);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_LEFT], kInputHeld);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_LEFT], kInputUp);

    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_RIGHT], kInputUp) << "a click inside one pass is lost";
}

TEST_F(Input, TheWheelOnlyTouchesItsOwnButtons)
{
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_WHEELUP], kInputPressed);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_WHEELUP], kInputUp);
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_WHEELDOWN], kInputPressed);
    for (int b = 0; b < kMouseButtonStates; b++) {
        if (b != SDL_BUTTON_WHEELDOWN) {
            EXPECT_EQ(mouseButtonState[b], kInputUp) << "button " << b;
        }
    }
}

TEST_F(Input, OutOfRangeKeysAndButtonsAreTakenOutAndIgnored)
{
    pushKey(SDL_KEYDOWN, kKeyStates);
    pushKey(SDL_KEYUP, kKeyStates + 10);
    pushButton(SDL_MOUSEBUTTONDOWN, kMouseButtonStates);
    pushButton(SDL_MOUSEBUTTONUP, 255);
    pushKey(SDL_KEYDOWN, kKeyStates - 1);
    pushButton(SDL_MOUSEBUTTONDOWN, kMouseButtonStates - 1);
    pollInput();
    EXPECT_EQ(keyState[kKeyStates - 1], kInputPressed);
    EXPECT_EQ(mouseButtonState[kMouseButtonStates - 1], kInputPressed);
    EXPECT_EQ(waiting(SDL_ALLEVENTS), 0) << "nothing is left in the queue";
}

TEST_F(Input, OtherEventsStayInTheQueueForTheMainLoop)
{
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 10;
    ASSERT_EQ(SDL_PushEvent(&motion), 0);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    pollInput();
    EXPECT_EQ(keyState[SDLK_ESCAPE], kInputPressed);
    EXPECT_EQ(waiting(SDL_MOUSEMOTIONMASK), 1);
    EXPECT_EQ(waiting(SDL_QUITMASK), 1);
    EXPECT_EQ(waiting(SDL_KEYDOWNMASK | SDL_KEYUPMASK), 0);
}

}  // namespace
