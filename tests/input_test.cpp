// The per-pass key and button tables, fed with events pushed into SDL's queue
// on the dummy video driver (no window system needed), and the step's input
// record read from them.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "app/input.h"
#include "platform/input.h"
#include "sim/step.h"

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

TEST_F(Input, APressReleasedWithinOnePassReadsWentDownForThatPassOnly)
{
    pass({{SDL_KEYDOWN, SDLK_RETURN}, {SDL_KEYUP, SDLK_RETURN}});
    EXPECT_EQ(keyState[SDLK_RETURN], kInputPressed) << "a quick tap is seen";
    pass({});
    EXPECT_EQ(keyState[SDLK_RETURN], kInputUp) << "and is up from the next pass";
    pass({{SDL_KEYDOWN, SDLK_RETURN}});
    pass({});
    EXPECT_EQ(keyState[SDLK_RETURN], kInputHeld) << "a later press held down ages to held";
}

TEST_F(Input, EventsOfAPassApplyInTheOrderTheyCame)
{
    pass({{SDL_KEYDOWN, SDLK_SPACE}});
    pass({{SDL_KEYUP, SDLK_SPACE}, {SDL_KEYDOWN, SDLK_SPACE}});
    EXPECT_EQ(keyState[SDLK_SPACE], kInputPressed) << "released and pressed again: it is down";
    pass({});
    EXPECT_EQ(keyState[SDLK_SPACE], kInputHeld) << "and stays held";
    pass({{SDL_KEYDOWN, SDLK_a}, {SDL_KEYUP, SDLK_a}, {SDL_KEYDOWN, SDLK_a}});
    pass({});
    EXPECT_EQ(keyState[SDLK_a], kInputHeld) << "down, up and down again ends down";
    pass({{SDL_KEYUP, SDLK_SPACE}, {SDL_KEYUP, SDLK_a}});
    EXPECT_EQ(keyState[SDLK_SPACE], kInputUp);
    EXPECT_EQ(keyState[SDLK_a], kInputUp);
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

// A key or button counts from the pass it went down in. Opposite keys cancel;
// only Return or Space going down in this very pass opens the menu.
TEST_F(Input, TheStepReadsKeysAndButtonsFromThePassTheyWentDownIn)
{
    keyState[SDLK_d] = keyState[SDLK_LSHIFT] = keyState[SDLK_s] = kInputPressed;
    mouseButtonState[kGunButton] = kInputPressed;
    keyState[SDLK_RETURN] = kInputPressed;
    mouseX = 12, mouseY = 34;
    readStepInput(0.5f);
    EXPECT_EQ(stepInput.moveAcross, kAxisFull);
    EXPECT_EQ(stepInput.moveAlong, -kAxisFull);
    EXPECT_TRUE(stepInput.sprint);
    EXPECT_TRUE(stepInput.gun);
    EXPECT_FALSE(stepInput.throwing);
    EXPECT_TRUE(stepInput.menuKey) << "Return went down";
    EXPECT_EQ(stepInput.pointerX, 12);
    EXPECT_EQ(stepInput.pointerY, 34);
    EXPECT_EQ(stepInput.speedFactor, 0.5f);

    std::fill(keyState, keyState + kKeyStates, kInputUp);
    keyState[SDLK_RIGHT] = keyState[SDLK_UP] = kInputHeld;
    keyState[SDLK_a] = kInputPressed;
    keyState[SDLK_RETURN] = keyState[SDLK_SPACE] = kInputHeld;
    mouseButtonState[kGunButton] = kInputUp;
    mouseButtonState[kThrowButton] = kInputHeld;
    readStepInput(1);
    EXPECT_EQ(stepInput.moveAcross, 0);
    EXPECT_EQ(stepInput.moveAlong, kAxisFull);
    EXPECT_FALSE(stepInput.sprint);
    EXPECT_FALSE(stepInput.gun);
    EXPECT_TRUE(stepInput.throwing);
    EXPECT_FALSE(stepInput.menuKey) << "Return and Space held";
    keyState[SDLK_SPACE] = kInputPressed;
    readStepInput(1);
    EXPECT_TRUE(stepInput.menuKey) << "Space went down";
}

}  // namespace
