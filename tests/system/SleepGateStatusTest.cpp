#include <gtest/gtest.h>

#include "system/SleepGateStatus.h"

using namespace veyrune;

TEST(SleepGateStatus, RecordedResultIsUsedWithoutProbing) {
    int probes = 0;
    SleepGateStatus status([&] { return ++probes, true; });
    status.record(false);
    EXPECT_FALSE(status.isAvailable());
    EXPECT_EQ(probes, 0);
}

TEST(SleepGateStatus, ProbesOnceThenARecordedResultWins) {
    int probes = 0;
    SleepGateStatus status([&] { return ++probes, false; });
    EXPECT_FALSE(status.isAvailable());
    EXPECT_FALSE(status.isAvailable());
    EXPECT_EQ(probes, 1);
    status.record(true);
    EXPECT_TRUE(status.isAvailable());
}

TEST(SleepGateStatus, ResultRecordedWhileProbingWins) {
    SleepGateStatus* self = nullptr;
    SleepGateStatus status([&] {
        self->record(true);
        return false;
    });
    self = &status;
    EXPECT_TRUE(status.isAvailable());
    EXPECT_TRUE(status.isAvailable());
}
