#include "system/linux/LinuxSystemEventSource.h"

#include <gtest/gtest.h>

#include <optional>

#include "LinuxSourceFixture.h"

using namespace veyrune;
using namespace veyrune::test;
using Kind = SecurityEventKind;

namespace {

class LinuxSystemEventSourceTest : public LinuxSourceFixture {};

}  // namespace

TEST_F(LinuxSystemEventSourceTest, WakeCarriesTheWakeReasonAndSleepIsHeard) {
    addGetSessionByPID();
    startWatcher();
    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    ASSERT_TRUE(settle());
    const std::vector<std::pair<Kind, Details>> expected = {
        {Kind::didWake, {{"source", "logind.PrepareForSleep"}, {"wakeReason", "lid"}}},
    };
    EXPECT_EQ(events, expected);
    EXPECT_EQ(sentinels, 1);
}

TEST_F(LinuxSystemEventSourceTest, SessionFromXdgSessionIdWhenLogindCannotTellByPid) {
    qputenv("XDG_SESSION_ID", "c1");
    startWatcher();
    qunsetenv("XDG_SESSION_ID");
    callSession("SetLockedHint", {true});
    ASSERT_TRUE(waitForEvents([&] { return !events.empty(); }));
    EXPECT_EQ(events.front().second, (Details{{"source", "logind.Session.LockedHint"}}));
}

TEST_F(LinuxSystemEventSourceTest, OnlyTheScreenSaversOwnerAnswersALockRequest) {
    addGetSessionByPID();
    startWatcher();
    callSession("Lock");
    QDBusConnection stranger = bus.connect("stranger");
    sendScreenSaverActive(stranger, true);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(lockTimer->isPending()) << "a stranger confirmed the lock";
    sendScreenSaverActive(screenSaver, true);
    ASSERT_TRUE(settle());
    const std::vector<std::pair<Kind, Details>> expected = {
        {Kind::screenLocked, {{"source", "org.freedesktop.ScreenSaver.ActiveChanged"}}},
    };
    EXPECT_EQ(events, expected);
    EXPECT_FALSE(lockTimer->isPending());
}

TEST_F(LinuxSystemEventSourceTest, ForgedSessionSignalsChangeNothing) {
    addGetSessionByPID();
    startWatcher();
    QDBusConnection hostile = bus.connect("hostile");
    auto forge = [&](const char* member, std::optional<bool> lockedHint = std::nullopt) {
        auto signal = QDBusMessage::createTargetedSignal(
            veyrune.baseService(), sessionPath,
            lockedHint ? "org.freedesktop.DBus.Properties" : "org.freedesktop.login1.Session",
            member);
        if (lockedHint) {
            signal << QString("org.freedesktop.login1.Session")
                   << QVariantMap{{"LockedHint", *lockedHint}} << QStringList();
        }
        hostile.send(signal);
        hostile.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "GetId"));
    };
    forge("Lock");
    forge("PropertiesChanged", true);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(lockTimer->isPending()) << "a forged Lock started the grace time";

    callSession("SetLockedHint", {true});
    forge("Unlock");
    forge("PropertiesChanged", false);
    ASSERT_TRUE(settle());
    const std::vector<std::pair<Kind, Details>> expected = {
        {Kind::screenLocked, {{"source", "logind.Session.LockedHint"}}},
    };
    EXPECT_EQ(events, expected);
}
