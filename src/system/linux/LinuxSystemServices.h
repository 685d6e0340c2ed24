#pragma once

#include <QDBusConnection>
#include <filesystem>
#include <memory>

#include "system/DisplaySleepSource.h"
#include "system/NetworkPathMonitor.h"
#include "system/PowerManagerRegistration.h"
#include "system/ShutdownSignalSource.h"
#include "system/SystemEventSource.h"
#include "system/WakeNotificationSource.h"
#include "system/WakeReasonProviding.h"

namespace veyrune {

// Every Linux binding of the system interfaces, built together once per
// process on the main thread, after the Q(Gui)Application exists and before
// its event loop runs; all of them live on the main thread and must outlive
// the objects they are given to (destroy this last).
//
//   auto system = LinuxSystemServices::create();
//   SystemEventWatcher watcher(*system.eventSource, *system.wakeReasons, SystemClock::shared());
//   watcher.rawEventHandler = ...;  watcher.start();
//   SystemPowerSleepNotifier notifier(*system.powerManager, onWillSleep);
//   clock->start(*system.displaySleep);
//   deliveryManager->observeWake(*system.wake);   // and Dependencies::monitor =
//   system.network.get() system.shutdown->observeShutdown(flushThenQuit);
struct LinuxSystemServices {
    std::unique_ptr<SystemEventSource> eventSource;          // logind, udev, mountinfo, Qt, sysfs
    std::unique_ptr<WakeReasonProviding> wakeReasons;        // /sys/power, /sys/class/wakeup
    std::unique_ptr<PowerManagerRegistration> powerManager;  // logind sleep delay inhibitor
    std::unique_ptr<DisplaySleepSource> displaySleep;        // org.freedesktop.ScreenSaver
    std::unique_ptr<NetworkPathMonitor> network;             // NetworkManager State / Connectivity
    std::unique_ptr<WakeNotificationSource> wake;            // logind PrepareForSleep(false)
    std::unique_ptr<ShutdownSignalSource> shutdown;  // PrepareForShutdown(true), SIGTERM, SIGINT

    // Binds to the given buses; /sys and /proc are read under `root`. Registers
    // nothing yet: each binding subscribes when it is first used.
    static LinuxSystemServices create(QDBusConnection systemBus = QDBusConnection::systemBus(),
                                      QDBusConnection sessionBus = QDBusConnection::sessionBus(),
                                      const std::filesystem::path& root = "/");
};

}  // namespace veyrune
