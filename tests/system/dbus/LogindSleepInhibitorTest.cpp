#include "system/linux/LogindSleepInhibitor.h"

#include <gtest/gtest.h>

#include <QDBusVariant>
#include <thread>

#include "PrivateBus.h"
#include "system/linux/LogindWakeNotificationSource.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

const std::vector<QString> sleepInhibitor = {"sleep", "Veyrune",
                                             "Sending queued alerts before sleep", "delay"};

class LogindSleepInhibitorTest : public ::testing::Test {
  protected:
    void SetUp() override { bus.startMock("logind", "org.freedesktop.login1"); }

    bool inhibitorListed() {
        auto rows = bus.logindInhibitors();
        return std::find(rows.begin(), rows.end(), sleepInhibitor) != rows.end();
    }
    void addManagerProperty(const QString& name, const QVariant& value) {
        bus.call(
            "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.DBus.Mock",
            "AddProperty",
            {"org.freedesktop.login1.Manager", name, QVariant::fromValue(QDBusVariant(value))});
    }

    PrivateBus bus;
    LogindSleepInhibitor inhibitor{bus.connect("veyrune")};
};

}  // namespace

TEST_F(LogindSleepInhibitorTest, HoldsSleepUntilAllowedAndAgainAfterWake) {
    std::vector<std::function<void()>> allows;
    ASSERT_TRUE(inhibitor.registerForSleep(
        [&](std::function<void()> allow) { allows.push_back(std::move(allow)); }));
    EXPECT_TRUE(inhibitorListed());

    bus.emitLogindSignal("PrepareForSleep", "b", {true});
    ASSERT_TRUE(waitForEvents([&] { return allows.size() == 1; }));
    EXPECT_TRUE(inhibitorListed()) << "held until allowed";
    allows[0]();
    allows[0]();
    EXPECT_TRUE(waitForEvents([&] { return !inhibitorListed(); }));
    EXPECT_FALSE(inhibitor.isHoldingSleep());

    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    EXPECT_TRUE(waitForEvents([&] { return inhibitor.isHoldingSleep() && inhibitorListed(); }));
    EXPECT_EQ(bus.logindInhibitors().size(), 1u) << "one inhibitor, not one per allow";
}

// The sleep gate allows sleep from a thread of its own.
TEST_F(LogindSleepInhibitorTest, AllowFromAnotherThreadReleasesTheInhibitor) {
    std::thread allowing;
    ASSERT_TRUE(inhibitor.registerForSleep(
        [&](std::function<void()> allow) { allowing = std::thread(std::move(allow)); }));
    bus.emitLogindSignal("PrepareForSleep", "b", {true});
    ASSERT_TRUE(waitForEvents([&] { return allowing.joinable(); }));
    allowing.join();
    EXPECT_TRUE(waitForEvents([&] { return !inhibitorListed(); }));
    EXPECT_FALSE(inhibitor.isHoldingSleep());
}

TEST_F(LogindSleepInhibitorTest, SignalsFromOtherPeersOrOfOtherShapesAreIgnored) {
    int notices = 0;
    QDBusConnection veyrune = bus.connect("watched");
    LogindSleepInhibitor watched(veyrune);
    ASSERT_TRUE(watched.registerForSleep([&](std::function<void()>) { ++notices; }));
    // Hears every well-formed PrepareForSleep(false) on the same connection.
    LogindWakeNotificationSource sentinel(veyrune);
    bool sentinelWoke = false;
    sentinel.observeWake([&] { sentinelWoke = true; });

    // A peer that does not own login1 sends the signal straight to us.
    QDBusConnection hostile = bus.connect("hostile");
    auto forged =
        QDBusMessage::createTargetedSignal(veyrune.baseService(), "/org/freedesktop/login1",
                                           "org.freedesktop.login1.Manager", "PrepareForSleep");
    forged << true;
    ASSERT_TRUE(hostile.send(forged));
    bus.emitLogindSignal("PrepareForSleep", "s", {QStringLiteral("true")});
    bus.emitLogindSignal("PrepareForSleep", "bb", {true, true});
    bus.emitLogindSignal("PrepareForSleep", "", {});
    // A well-formed signal after them proves that they had all arrived.
    bus.emitLogindSignal("PrepareForSleep", "b", {false});
    ASSERT_TRUE(waitForEvents([&] { return sentinelWoke; }));
    EXPECT_EQ(notices, 0);
    bus.emitLogindSignal("PrepareForSleep", "b", {true});
    EXPECT_TRUE(waitForEvents([&] { return notices == 1; })) << "still subscribed";
}

TEST_F(LogindSleepInhibitorTest, ProbeAndRegistrationNeedLogind) {
    EXPECT_TRUE(inhibitor.probe());
    EXPECT_TRUE(waitForEvents([&] { return !inhibitorListed(); }))
        << "the probe keeps no inhibitor";
    bus.stopMocks();
    LogindSleepInhibitor orphan(bus.connect("orphan"));
    EXPECT_FALSE(orphan.probe());
    EXPECT_FALSE(orphan.registerForSleep([](std::function<void()>) {}));
}

namespace {

std::vector<std::string>* capturedWarnings = nullptr;

void captureWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && capturedWarnings) {
        capturedWarnings->push_back(message.toStdString());
    }
}

}  // namespace

// Veyrune writes nothing to the terminal: a short delay limit is kept for
// whoever asks, never printed.
TEST_F(LogindSleepInhibitorTest, DelayLimitIsKeptAndNeverPrinted) {
    for (const quint64 limit : {quint64{3'000'000}, quint64{5'000'000}}) {
        bus.stopMocks();
        bus.startMock("logind", "org.freedesktop.login1");
        addManagerProperty("InhibitDelayMaxUSec", QVariant::fromValue(limit));
        std::vector<std::string> warnings;
        capturedWarnings = &warnings;
        auto previous = qInstallMessageHandler(captureWarning);
        LogindSleepInhibitor checked(bus.connect("checked"));
        ASSERT_TRUE(checked.registerForSleep([](std::function<void()>) {}));
        qInstallMessageHandler(previous);
        capturedWarnings = nullptr;
        EXPECT_EQ(checked.inhibitDelayMaxUSec(), limit);
        EXPECT_TRUE(warnings.empty()) << limit;
    }
}
