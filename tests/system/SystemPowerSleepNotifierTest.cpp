#include <gtest/gtest.h>

#include <memory>

#include "support/FakePowerManagerRegistration.h"
#include "system/SystemPowerSleepNotifier.h"

using namespace veyrune;

TEST(SystemPowerSleepNotifier, RegistersOnceRetriesAfterFailureAndDeregistersWhenDiscarded) {
    test::FakePowerManagerRegistration power;
    int notices = 0;
    power.accepts = false;
    auto notifier = std::make_unique<SystemPowerSleepNotifier>(
        power, [&](std::function<void()>) { ++notices; });
    EXPECT_FALSE(notifier->start());
    power.accepts = true;
    EXPECT_TRUE(notifier->start());
    EXPECT_TRUE(notifier->start());
    EXPECT_EQ(power.registerCount, 2);
    power.sendWillSleep([] {});
    EXPECT_EQ(notices, 1);
    notifier.reset();
    EXPECT_EQ(power.deregisterCount, 1);

    power.accepts = false;
    SystemPowerSleepNotifier(power, [](std::function<void()>) {}).start();
    EXPECT_EQ(power.deregisterCount, 1);  // a failed registration is not undone
}
