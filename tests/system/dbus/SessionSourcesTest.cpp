#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <fstream>
#include <string>

#include "PrivateBus.h"
#include "support/ManualClock.h"
#include "system/SystemEventWatcher.h"
#include "system/linux/LinuxSystemServices.h"
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
    ASSERT_TRUE(waitUntil([&] { return all == 2; }));
    EXPECT_EQ(wakes, 2);
    source.stopObservingWake();
    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    ASSERT_TRUE(waitUntil([&] { return all == 3; }));
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
    ASSERT_TRUE(waitUntil([&] { return all == 1; }));
    EXPECT_EQ(sleeps, 1);
    source.removeObserver(id);
    send(true);
    ASSERT_TRUE(waitUntil([&] { return all == 2; }));
    EXPECT_EQ(sleeps, 1);
}

namespace {

// Times the main thread went to sleep of its own accord, so once per wake-up.
// Preemptions by a loaded machine count as involuntary switches, not here.
long mainThreadSleepCount() {
    std::ifstream status("/proc/thread-self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
            return std::stol(line.substr(line.find(':') + 1));
        }
    }
    return -1;
}

}  // namespace

TEST(LinuxSystemServices, IdleSourcesDoNotWakeTheMainThread) {
    PrivateBus bus;
    bus.startMock("logind", "org.freedesktop.login1");
    QDBusConnection veyrune = bus.connect("veyrune");
    auto system = LinuxSystemServices::create(veyrune, veyrune);
    ManualClock clock;
    SystemEventWatcher watcher(*system.eventSource, *system.wakeReasons, clock);
    watcher.start();
    ASSERT_TRUE(system.powerManager->registerForSleep([](std::function<void()>) {}));
    system.wake->observeWake([] {});
    system.shutdown->observeShutdown([](ShutdownSignal) {});
    QCoreApplication::processEvents();

    const long before = mainThreadSleepCount();
    QTimer::singleShot(5000, [] { QCoreApplication::exit(); });
    QCoreApplication::exec();
    const long wakeUps = mainThreadSleepCount() - before;
    RecordProperty("mainThreadWakeUpsIn5s", static_cast<int>(wakeUps));
    std::cout << "main thread woke " << wakeUps << " times in 5 s\n";
    EXPECT_LT(wakeUps, 5);
}
