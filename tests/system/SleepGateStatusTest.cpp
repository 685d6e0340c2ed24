#include <gtest/gtest.h>

#include "system/SleepGateStatus.h"

using namespace veyrune;

TEST(SleepGateStatus, ProbesAtMostOnceAndARecordedResultAlwaysWins) {
    int probes = 0;
    SleepGateStatus recorded([&] { return ++probes, true; });
    recorded.record(false);
    EXPECT_FALSE(recorded.isAvailable());
    EXPECT_EQ(probes, 0) << "probed despite a recorded result";

    SleepGateStatus probed([&] { return ++probes, false; });
    EXPECT_FALSE(probed.isAvailable());
    EXPECT_FALSE(probed.isAvailable());
    EXPECT_EQ(probes, 1);
    probed.record(true);
    EXPECT_TRUE(probed.isAvailable());

    // A result recorded while the probe runs wins over the probe's.
    SleepGateStatus* self = nullptr;
    SleepGateStatus racing([&] {
        self->record(true);
        return false;
    });
    self = &racing;
    EXPECT_TRUE(racing.isAvailable());
    EXPECT_TRUE(racing.isAvailable());
}
