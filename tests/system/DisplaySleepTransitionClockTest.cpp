#include <gtest/gtest.h>

#include "support/FakeDisplaySleepSource.h"
#include "support/ManualClock.h"
#include "system/DisplaySleepTransitionClock.h"

using namespace veyrune;

TEST(DisplaySleepTransitionClock, HoldsTheLatestDisplaySleep) {
    test::ManualClock now;
    test::FakeDisplaySleepSource source;
    auto clock = DisplaySleepTransitionClock::make(now);
    clock->start(source);
    EXPECT_FALSE(clock->displaySleptAt());
    source.postDisplaysDidSleep();
    now.advance(30);
    source.postDisplaysDidSleep();
    EXPECT_EQ(clock->displaySleptAt(), now.now());
}

TEST(DisplaySleepTransitionClock, RestartReplacesTheObservation) {
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
    EXPECT_TRUE(clock->displaySleptAt());
}

TEST(DisplaySleepTransitionClock, StopsObservingWhenDiscarded) {
    test::ManualClock now;
    test::FakeDisplaySleepSource source;
    DisplaySleepTransitionClock::make(now)->start(source);
    EXPECT_EQ(source.observerCount(), 0u);
    source.postDisplaysDidSleep();
}
