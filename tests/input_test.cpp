// The per-pass key and button tables, fed with events pushed into SDL's queue
// on the dummy video driver (no window system needed).
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

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
        std::fill(keyState, keyState + kKeyStates, 0);
        std::fill(mouseButtonState, mouseButtonState + kMouseButtonStates, 0);
    }
};

// Queues one key or mouse-button event naming the key symbol or button number.
void push(Uint8 type, int index)
{
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP)
        e.key.keysym.sym = (SDLKey)index;
    else
        e.button.button = (Uint8)index;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

// Whether an event of the mask is still waiting in the queue (1) or not (0).
int waiting(Uint32 mask) { SDL_Event e; return SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, mask); }

TEST_F(Input, EachKeyReadsWentDownThenHeldUntilReleased)
{
    push(SDL_KEYDOWN, SDLK_w);
    pollInput();
    EXPECT_EQ(keyState[SDLK_w], kInputPressed);
    push(SDL_KEYDOWN, SDLK_LSHIFT);
    pollInput();
    EXPECT_EQ(keyState[SDLK_w], kInputHeld);
    EXPECT_EQ(keyState[SDLK_LSHIFT], kInputPressed);
    push(SDL_KEYUP, SDLK_w);
    pollInput();
    EXPECT_EQ(keyState[SDLK_w], kInputUp);
    EXPECT_EQ(keyState[SDLK_LSHIFT], kInputHeld);
}

TEST_F(Input, AllDownsOfAPassApplyBeforeAllUps)
{
    push(SDL_KEYDOWN, SDLK_RETURN);
    push(SDL_KEYUP, SDLK_RETURN);
    pollInput();
    EXPECT_EQ(keyState[SDLK_RETURN], kInputUp) << "a press and release inside one pass is lost";

    push(SDL_KEYDOWN, SDLK_SPACE);
    pollInput();
    push(SDL_KEYUP, SDLK_SPACE);
    push(SDL_KEYDOWN, SDLK_SPACE);
    pollInput();
    EXPECT_EQ(keyState[SDLK_SPACE], kInputUp) << "release and re-press in one pass reads up";
    pollInput();
    EXPECT_EQ(keyState[SDLK_SPACE], kInputUp) << "and stays up until pressed again";
}

TEST_F(Input, MouseButtonsAndTheWheelFollowTheSameRules)
{
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_LEFT], kInputPressed);
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    push(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP);
    pollInput();
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_LEFT], kInputHeld);
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_RIGHT], kInputUp) << "a click inside one pass is lost";
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_WHEELUP], kInputPressed);
    push(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    push(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP);
    push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN);
    pollInput();
    for (int b = 0; b < kMouseButtonStates; b++)
        EXPECT_EQ(mouseButtonState[b], b == SDL_BUTTON_WHEELDOWN ? kInputPressed : kInputUp) << "button " << b;
}

TEST_F(Input, TheLastKeyAndButtonCountAndLaterOnesAreTakenOutAndIgnored)
{
    push(SDL_KEYDOWN, kKeyStates);
    push(SDL_KEYUP, kKeyStates + 10);
    push(SDL_MOUSEBUTTONDOWN, kMouseButtonStates);
    push(SDL_MOUSEBUTTONUP, 255);
    push(SDL_KEYDOWN, kKeyStates - 1);
    push(SDL_MOUSEBUTTONDOWN, kMouseButtonStates - 1);
    pollInput();
    EXPECT_EQ(keyState[kKeyStates - 1], kInputPressed);
    EXPECT_EQ(mouseButtonState[kMouseButtonStates - 1], kInputPressed);
    EXPECT_EQ(waiting(SDL_ALLEVENTS), 0) << "nothing is left in the queue";
    push(SDL_KEYUP, kKeyStates - 1);
    push(SDL_MOUSEBUTTONUP, kMouseButtonStates - 1);
    pollInput();
    EXPECT_EQ(keyState[kKeyStates - 1], kInputUp);
    EXPECT_EQ(mouseButtonState[kMouseButtonStates - 1], kInputUp);
}

TEST_F(Input, OtherEventsStayInTheQueueForTheMainLoop)
{
    push(SDL_MOUSEMOTION, 0);
    push(SDL_QUIT, 0);
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    pollInput();
    EXPECT_EQ(keyState[SDLK_ESCAPE], kInputPressed);
    EXPECT_EQ(waiting(SDL_MOUSEMOTIONMASK), 1);
    EXPECT_EQ(waiting(SDL_QUITMASK), 1);
    EXPECT_EQ(waiting(SDL_KEYDOWNMASK | SDL_KEYUPMASK), 0);
}

}  // namespace
