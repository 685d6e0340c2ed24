#include <gtest/gtest.h>

#include "support/FakeDisplaySleepSource.h"
#include "support/ManualClock.h"
#include "system/DisplaySleepTransitionClock.h"

using namespace veyrune;

TEST(DisplaySleepTransitionClock, HoldsTheLatestSleepOfTheSourceItWasLastStartedOn) {
    test::ManualClock now;
    test::FakeDisplaySleepSource first;
    test::FakeDisplaySleepSource second;
    auto clock = DisplaySleepTransitionClock::make(now);
    clock->start(first);
    clock->start(second);
    EXPECT_EQ(first.observerCount(), 0u);
    first.postDisplaysDidSleep();
    EXPECT_FALSE(clock->displaySleptAt());
    second.postDisplaysDidSleep();
    now.advance(30);
    second.postDisplaysDidSleep();
    EXPECT_EQ(clock->displaySleptAt(), now.now());

    clock.reset();
    EXPECT_EQ(second.observerCount(), 0u) << "a discarded clock still observes";
    second.postDisplaysDidSleep();
}
