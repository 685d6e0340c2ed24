#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>

#include "PrivateBus.h"
#include "system/linux/LogindWakeNotificationSource.h"
#include "system/linux/ScreenSaverDisplaySleepSource.h"

using namespace veyrune;
using namespace veyrune::test;

TEST(LogindWakeNotificationSource, EachWakeReachesTheObserverUntilItStops) {
    PrivateBus bus;
    bus.startMock("logind", "org.freedesktop.login1");
    QDBusConnection veyrune = bus.connect("veyrune");
    LogindWakeNotificationSource source(veyrune);
    LogindWakeNotificationSource sentinel(veyrune);
    int wakes = 0;
    int all = 0;
    source.observeWake([&] { ++wakes; });
    sentinel.observeWake([&] { ++all; });
    bus.emitLogindSignal("PrepareForSleep", "b", {true});
    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    ASSERT_TRUE(waitForEvents([&] { return all == 2; }));
    EXPECT_EQ(wakes, 2);
    source.stopObservingWake();
    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    ASSERT_TRUE(waitForEvents([&] { return all == 3; }));
    EXPECT_EQ(wakes, 2);
}

TEST(ScreenSaverDisplaySleepSource, ScreenSaverTurningActiveIsADisplaySleep) {
    PrivateBus bus;
    ScreenSaverDisplaySleepSource source(bus.connect("veyrune"));
    QDBusConnection screenSaver = bus.connect("screensaver");
    ASSERT_TRUE(screenSaver.registerService("org.freedesktop.ScreenSaver"));
    QCoreApplication::processEvents();
    int sleeps = 0;
    int all = 0;
    auto id = source.addObserver([&] { ++sleeps; });
    source.addObserver([&] { ++all; });
    auto send = [&](bool active) {
        auto signal = QDBusMessage::createSignal("/org/freedesktop/ScreenSaver",
                                                 "org.freedesktop.ScreenSaver", "ActiveChanged");
        signal << active;
        screenSaver.send(signal);
    };
    send(false);
    send(true);
    ASSERT_TRUE(waitForEvents([&] { return all == 1; }));
    EXPECT_EQ(sleeps, 1);
    source.removeObserver(id);
    send(true);
    ASSERT_TRUE(waitForEvents([&] { return all == 2; }));
    EXPECT_EQ(sleeps, 1);
}
