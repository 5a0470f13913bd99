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

// One event: its type and the key symbol or button number it names.
struct Event {
    Uint8 type;
    int index;
};

// Queues the events in order, then reads them as one pass of the game does.
void pass(std::initializer_list<Event> events)
{
    for (const Event& queued : events) {
        SDL_Event e = {};
        e.type = queued.type;
        if (queued.type == SDL_KEYDOWN || queued.type == SDL_KEYUP)
            e.key.keysym.sym = (SDLKey)queued.index;
        else
            e.button.button = (Uint8)queued.index;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    pollInput();
}

// Whether an event of the mask is still waiting in the queue (1) or not (0).
int waiting(Uint32 mask) { SDL_Event e; return SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, mask); }

TEST_F(Input, EachKeyReadsWentDownThenHeldUntilReleased)
{
    pass({{SDL_KEYDOWN, SDLK_w}});
    EXPECT_EQ(keyState[SDLK_w], kInputPressed);
    pass({{SDL_KEYDOWN, SDLK_LSHIFT}});
    EXPECT_EQ(keyState[SDLK_w], kInputHeld);
    EXPECT_EQ(keyState[SDLK_LSHIFT], kInputPressed);
    pass({{SDL_KEYUP, SDLK_w}});
    EXPECT_EQ(keyState[SDLK_w], kInputUp);
    EXPECT_EQ(keyState[SDLK_LSHIFT], kInputHeld);
}

TEST_F(Input, AllDownsOfAPassApplyBeforeAllUps)
{
    pass({{SDL_KEYDOWN, SDLK_RETURN}, {SDL_KEYUP, SDLK_RETURN}});
    EXPECT_EQ(keyState[SDLK_RETURN], kInputUp) << "a press and release inside one pass is lost";
    pass({{SDL_KEYDOWN, SDLK_SPACE}});
    pass({{SDL_KEYUP, SDLK_SPACE}, {SDL_KEYDOWN, SDLK_SPACE}});
    EXPECT_EQ(keyState[SDLK_SPACE], kInputUp) << "release and re-press in one pass reads up";
    pass({});
    EXPECT_EQ(keyState[SDLK_SPACE], kInputUp) << "and stays up until pressed again";
}

TEST_F(Input, MouseButtonsAndTheWheelFollowTheSameRules)
{
    pass({{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT}});
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_LEFT], kInputPressed);
    pass({{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT}, {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT},
          {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP}});
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_LEFT], kInputHeld);
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_RIGHT], kInputUp) << "a click inside one pass is lost";
    EXPECT_EQ(mouseButtonState[SDL_BUTTON_WHEELUP], kInputPressed);
    pass({{SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT}, {SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP},
          {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN}});
    for (int b = 0; b < kMouseButtonStates; b++)
        EXPECT_EQ(mouseButtonState[b], b == SDL_BUTTON_WHEELDOWN ? kInputPressed : kInputUp) << "button " << b;
}

TEST_F(Input, TheLastKeyAndButtonCountAndLaterOnesAreTakenOutAndIgnored)
{
    pass({{SDL_KEYDOWN, kKeyStates}, {SDL_KEYUP, kKeyStates + 10}, {SDL_MOUSEBUTTONDOWN, kMouseButtonStates},
          {SDL_MOUSEBUTTONUP, 255}, {SDL_KEYDOWN, kKeyStates - 1}, {SDL_MOUSEBUTTONDOWN, kMouseButtonStates - 1}});
    EXPECT_EQ(keyState[kKeyStates - 1], kInputPressed);
    EXPECT_EQ(mouseButtonState[kMouseButtonStates - 1], kInputPressed);
    EXPECT_EQ(waiting(SDL_ALLEVENTS), 0) << "nothing is left in the queue";
    pass({{SDL_KEYUP, kKeyStates - 1}, {SDL_MOUSEBUTTONUP, kMouseButtonStates - 1}});
    EXPECT_EQ(keyState[kKeyStates - 1], kInputUp);
    EXPECT_EQ(mouseButtonState[kMouseButtonStates - 1], kInputUp);
}

TEST_F(Input, OtherEventsStayInTheQueueForTheMainLoop)
{
    pass({{SDL_MOUSEMOTION, 0}, {SDL_QUIT, 0}, {SDL_KEYDOWN, SDLK_ESCAPE}});
    EXPECT_EQ(keyState[SDLK_ESCAPE], kInputPressed);
    EXPECT_EQ(waiting(SDL_MOUSEMOTIONMASK), 1);
    EXPECT_EQ(waiting(SDL_QUITMASK), 1);
    EXPECT_EQ(waiting(SDL_KEYDOWNMASK | SDL_KEYUPMASK), 0);
}

}  // namespace
