#include "delivery/WakeNotificationFanOut.h"

#include <gtest/gtest.h>

#include "support/FakeWakeNotificationSource.h"

using namespace veyrune;

TEST(WakeNotificationFanOut, EveryObservingBranchHearsEachWakeUntilItStops) {
    test::FakeWakeNotificationSource source;
    int first = 0;
    int second = 0;
    {
        WakeNotificationFanOut wakes(source);
        auto& a = wakes.branch();
        auto& b = wakes.branch();
        wakes.branch();  // never observed
        a.observeWake([&] { ++first; });
        b.observeWake([&] { ++second; });
        source.wake();
        b.stopObservingWake();
        source.wake();
    }
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 1);
    EXPECT_FALSE(source.isObserved());
}
