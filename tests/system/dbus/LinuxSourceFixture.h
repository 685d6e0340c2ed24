#pragma once

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PrivateBus.h"
#include "support/ManualClock.h"
#include "support/ManualMainThreadTimer.h"
#include "support/TempDirectory.h"
#include "system/SystemEventWatcher.h"
#include "system/linux/LinuxSystemEventSource.h"
#include "system/linux/SysfsWakeReasonReader.h"

namespace veyrune::test {

// The watcher over the Linux source on a private bus (standing in for both the
// system and the session bus) with logind's session c1 and a screen saver
// owning org.freedesktop.ScreenSaver; /sys is a fake tree whose last wake came
// from the lid. The lock grace timer is fired by hand.
class LinuxSourceFixture : public ::testing::Test {
  protected:
    using Details = std::map<std::string, std::string>;
    static inline const QString login1 = "org.freedesktop.login1";
    static inline const QString sessionPath = "/org/freedesktop/login1/session/c1";

    void SetUp() override {
        bus.startMock("logind", login1);
        bus.call(login1, "/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddSession",
                 {"c1", "seat0", 1000u, "tester", true});
        for (const auto& [path, text] : std::map<std::string, std::string>{
                 {"sys/power/pm_wakeup_irq", "9"},
                 {"sys/kernel/irq/9/actions", "acpi"},
                 {"sys/class/wakeup/wakeup0/name", "PNP0C0D:00"},
                 {"sys/class/wakeup/wakeup0/event_count", "2"},
                 {"sys/class/wakeup/wakeup0/last_change_ms", "1200"}}) {
            writeFile(root / path, text + "\n");
        }
        ASSERT_TRUE(screenSaver.registerService("org.freedesktop.ScreenSaver"));
    }
    void addGetSessionByPID() {
        bus.call(login1, "/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddMethod",
                 {"org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o",
                  "ret = '" + sessionPath + "'"});
    }
    // Every event but the sentinel's will-sleep goes to `events`.
    void startWatcher() {
        auto timer = std::make_unique<ManualMainThreadTimer>();
        lockTimer = timer.get();
        source = std::make_unique<LinuxSystemEventSource>(veyrune, veyrune, root.path(),
                                                          std::move(timer));
        watcher = std::make_unique<SystemEventWatcher>(*source, wakeReasons, clock);
        watcher->rawEventHandler = [this](const RawSystemEvent& event) {
            if (event.kind == SecurityEventKind::willSleep) {
                ++sentinels;
            } else {
                events.emplace_back(event.kind, event.details);
            }
        };
        watcher->start();
    }
    void callSession(const QString& method, const QVariantList& arguments = {}) {
        bus.call(login1, sessionPath, "org.freedesktop.login1.Session", method, arguments);
    }
    void setSessionActive(bool active) {
        bus.call(login1, sessionPath, "org.freedesktop.DBus.Mock", "UpdateProperties",
                 {"org.freedesktop.login1.Session", QVariantMap{{"Active", active}}});
    }
    // ActiveChanged from `from`; returns once the bus has routed it.
    static void sendScreenSaverActive(QDBusConnection& from, bool active) {
        auto signal = QDBusMessage::createSignal("/org/freedesktop/ScreenSaver",
                                                 "org.freedesktop.ScreenSaver", "ActiveChanged");
        signal << active;
        ASSERT_TRUE(from.send(signal));
        from.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                 "org.freedesktop.DBus", "GetId"));
    }
    // Sends logind's PrepareForSleep(true) and waits for its event: every
    // signal sent before it has then been handled.
    bool settle() {
        const int expected = sentinels + 1;
        bus.emitLogindSignal("PrepareForSleep", "b", {true});
        return waitForEvents([&] { return sentinels == expected; });
    }

    PrivateBus bus;
    QDBusConnection veyrune = bus.connect("veyrune");
    QDBusConnection screenSaver = bus.connect("screensaver");
    TempDirectory root;
    SysfsWakeReasonReader wakeReasons{root.path()};
    ManualClock clock;
    std::unique_ptr<LinuxSystemEventSource> source;
    ManualMainThreadTimer* lockTimer = nullptr;  // owned by `source`
    std::unique_ptr<SystemEventWatcher> watcher;
    std::vector<std::pair<SecurityEventKind, Details>> events;
    int sentinels = 0;
};

}  // namespace veyrune::test
