// The events of a step: kept in the order they happened, at most 256 of them
// (the first ones), and only until the next step begins.
#include <gtest/gtest.h>

#include "sim/events.h"
#include "sim/step.h"
#include "tests/testworld.h"

TEST(GameEvents, AFullListKeepsItsFirstEventsAndTheNextStepStartsAfresh)
{
    clearGameEvents();
    for (int i = 0; i < kMaxGameEvents + 5; i++)
        addGameEvent(i % kEventKinds, (float)i, 0);
    EXPECT_EQ(gameEventCount, kMaxGameEvents);
    EXPECT_EQ(gameEvents[0].x, 0.0f);
    EXPECT_EQ(gameEvents[kMaxGameEvents - 1].x, (float)(kMaxGameEvents - 1));
    EXPECT_EQ(gameEvents[kMaxGameEvents - 1].kind, (kMaxGameEvents - 1) % kEventKinds);
    openWorldWith({{kActorPlayer, 128, 128}});
    stepInput = StepInput{0, 0, 400, 300, false, true, false, false, 1, 800, 600, 800.0f / 600.0f};
    stepGame(1);
    ASSERT_EQ(gameEventCount, 1) << "only this step's shot";
    EXPECT_EQ(gameEvents[0].kind, kEventShot);
    EXPECT_EQ(gameEvents[0].x, 128.0f);
}
