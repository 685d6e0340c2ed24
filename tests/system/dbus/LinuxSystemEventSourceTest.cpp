#include "system/linux/LinuxSystemEventSource.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusVariant>

#include "PrivateBus.h"
#include "support/ManualClock.h"
#include "support/TempDirectory.h"
#include "system/SystemEventWatcher.h"
#include "system/linux/SysfsWakeReasonReader.h"

using namespace veyrune;
using namespace veyrune::test;
using Kind = SecurityEventKind;
using Details = std::map<std::string, std::string>;

namespace {

const QString login1 = "org.freedesktop.login1";
const QString sessionPath = "/org/freedesktop/login1/session/c1";

// The watcher over the Linux source on a private bus with logind's session c1,
// reading /sys from a fake tree whose last wake came from the lid.
class LinuxSystemEventSourceTest : public ::testing::Test {
  protected:
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
            std::filesystem::create_directories((root / path).parent_path());
            writeFile(root / path, text + "\n");
        }
    }
    void addGetSessionByPID() {
        bus.call(login1, "/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddMethod",
                 {"org.freedesktop.login1.Manager", "GetSessionByPID", "u", "o",
                  "ret = '" + sessionPath + "'"});
    }
    void startWatcher() {
        source = std::make_unique<LinuxSystemEventSource>(veyrune, veyrune, root.path());
        watcher = std::make_unique<SystemEventWatcher>(*source, wakeReasons, clock);
        watcher->rawEventHandler = [this](const RawSystemEvent& event) {
            events.emplace_back(event.kind, event.details);
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
    // Waits for `count` events; a logind signal sent afterwards that must come
    // through proves that nothing else was on its way.
    bool waitForEvents(std::size_t count) {
        return waitUntil([&] { return events.size() >= count; });
    }

    PrivateBus bus;
    QDBusConnection veyrune = bus.connect("veyrune");
    TempDirectory root;
    SysfsWakeReasonReader wakeReasons{root.path()};
    ManualClock clock;
    std::unique_ptr<LinuxSystemEventSource> source;
    std::unique_ptr<SystemEventWatcher> watcher;
    std::vector<std::pair<Kind, Details>> events;
};

}  // namespace

TEST_F(LinuxSystemEventSourceTest, SleepWakeLockUnlockAndActivationBecomeEvents) {
    addGetSessionByPID();
    startWatcher();
    bus.emitLogindSignal("PrepareForSleep", "b", {true});
    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    callSession("Lock");
    callSession("SetLockedHint", {true});
    callSession("SetLockedHint", {true});  // no change: no event
    callSession("Unlock");
    callSession("SetLockedHint", {false});
    setSessionActive(false);
    setSessionActive(true);
    ASSERT_TRUE(waitForEvents(7));
    const std::vector<std::pair<Kind, Details>> expected = {
        {Kind::willSleep, {{"source", "logind.PrepareForSleep"}}},
        {Kind::didWake, {{"source", "logind.PrepareForSleep"}, {"wakeReason", "lid"}}},
        {Kind::screenLocked, {{"source", "logind.Session.Lock"}}},
        {Kind::screenLocked, {{"source", "logind.Session.LockedHint"}}},
        {Kind::screenUnlocked, {{"source", "logind.Session.Unlock"}}},
        {Kind::screenUnlocked, {{"source", "logind.Session.LockedHint"}}},
        {Kind::screenUnlocked, {{"source", "logind.Session.Active"}}},
    };
    EXPECT_EQ(events, expected);
}

TEST_F(LinuxSystemEventSourceTest, SessionFromXdgSessionIdWhenLogindCannotTellByPid) {
    qputenv("XDG_SESSION_ID", "c1");
    startWatcher();
    qunsetenv("XDG_SESSION_ID");
    callSession("Lock");
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_EQ(events.front().second, (Details{{"source", "logind.Session.Lock"}}));
}

TEST_F(LinuxSystemEventSourceTest, ScreenSaverOfTheOwnerLocksAndUnlocks) {
    addGetSessionByPID();
    startWatcher();
    auto send = [](QDBusConnection& from, bool active) {
        auto signal = QDBusMessage::createSignal("/org/freedesktop/ScreenSaver",
                                                 "org.freedesktop.ScreenSaver", "ActiveChanged");
        signal << active;
        ASSERT_TRUE(from.send(signal));
    };
    QDBusConnection stranger = bus.connect("stranger");
    send(stranger, true);  // not the owner of org.freedesktop.ScreenSaver
    QDBusConnection screenSaver = bus.connect("screensaver");
    ASSERT_TRUE(screenSaver.registerService("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(waitUntil([&] {
        return veyrune.interface()->serviceOwner("org.freedesktop.ScreenSaver").value() ==
               screenSaver.baseService();
    }));
    // Let the watcher see the new owner before the owner speaks.
    QCoreApplication::processEvents();
    send(screenSaver, true);
    send(screenSaver, false);
    ASSERT_TRUE(waitForEvents(2));
    const std::vector<std::pair<Kind, Details>> expected = {
        {Kind::screenLocked, {{"source", "org.freedesktop.ScreenSaver.ActiveChanged"}}},
        {Kind::screenUnlocked, {{"source", "org.freedesktop.ScreenSaver.ActiveChanged"}}},
    };
    EXPECT_EQ(events, expected);
}

TEST_F(LinuxSystemEventSourceTest, ForgedSessionSignalsChangeNothing) {
    addGetSessionByPID();
    startWatcher();
    QDBusConnection hostile = bus.connect("hostile");
    for (const char* member : {"Lock", "Unlock"}) {
        hostile.send(QDBusMessage::createTargetedSignal(veyrune.baseService(), sessionPath,
                                                        "org.freedesktop.login1.Session", member));
    }
    auto properties = QDBusMessage::createTargetedSignal(
        veyrune.baseService(), sessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    properties << QString("org.freedesktop.login1.Session") << QVariantMap{{"LockedHint", true}}
               << QStringList();
    hostile.send(properties);
    bus.emitLogindSignal("PrepareForSleep", "b", {true});
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(events.front().first, Kind::willSleep);
}
