#include <gtest/gtest.h>

#include <memory>

#include "support/FakePowerManagerRegistration.h"
#include "system/SystemPowerSleepNotifier.h"

using namespace veyrune;

TEST(SystemPowerSleepNotifier, RegistersOnceAndDeregistersWhenDiscarded) {
    test::FakePowerManagerRegistration power;
    int notices = 0;
    {
        SystemPowerSleepNotifier notifier(power, [&](std::function<void()>) { ++notices; });
        EXPECT_TRUE(notifier.start());
        EXPECT_TRUE(notifier.start());
        EXPECT_EQ(power.registerCount, 1);
        power.sendWillSleep([] {});
        EXPECT_EQ(notices, 1);
    }
    EXPECT_EQ(power.deregisterCount, 1);
}

TEST(SystemPowerSleepNotifier, FailedStartCanBeRetried) {
    test::FakePowerManagerRegistration power;
    power.accepts = false;
    auto notifier = std::make_unique<SystemPowerSleepNotifier>(power, [](std::function<void()>) {});
    EXPECT_FALSE(notifier->start());
    power.accepts = true;
    EXPECT_TRUE(notifier->start());
    EXPECT_EQ(power.registerCount, 2);
    power.accepts = false;
    notifier.reset();
    EXPECT_EQ(power.deregisterCount, 1);
}

TEST(SystemPowerSleepNotifier, UnregisteredNotifierDeregistersNothing) {
    test::FakePowerManagerRegistration power;
    power.accepts = false;
    {
        SystemPowerSleepNotifier notifier(power, [](std::function<void()>) {});
        notifier.start();
    }
    EXPECT_EQ(power.deregisterCount, 0);
}
