#include "system/SystemEventWatcher.h"

#include <gtest/gtest.h>

#include <set>

#include "support/FakeSystemEventSource.h"
#include "support/FakeWakeReasonProvider.h"
#include "support/ManualClock.h"

using namespace veyrune;
using namespace veyrune::test;
using Kind = SecurityEventKind;
using Details = std::map<std::string, std::string>;

namespace {

class SystemEventWatcherTest : public ::testing::Test {
  protected:
    SystemEventWatcherTest() {
        watcher.rawEventHandler = [this](const RawSystemEvent& event) { events.push_back(event); };
    }

    FakeSystemEventSource source;
    FakeWakeReasonProvider wakeReasons;
    ManualClock clock{referenceDate() + std::chrono::hours(24 * 9000)};
    SystemEventWatcher watcher{source, wakeReasons, clock};
    std::vector<RawSystemEvent> events;
};

}  // namespace

TEST_F(SystemEventWatcherTest, StartRegistersInOrderAndWithoutUsbTheRestStillRegisters) {
    EXPECT_TRUE(source.registrations.empty()) << "registered before start";
    watcher.start();
    std::vector<std::string> expected(9, "signal");
    expected.insert(expected.end(),
                    {"mount", "unmount", "usb", "usb arrival", "usb removal", "displays", "audio"});
    EXPECT_EQ(source.registrations, expected);

    FakeSystemEventSource noUsb;
    noUsb.usbAvailable = false;
    SystemEventWatcher other{noUsb, wakeReasons, clock};
    other.start();
    EXPECT_FALSE(noUsb.usbHandlers.contains(UsbDirection::arrival));
    EXPECT_FALSE(noUsb.usbHandlers.contains(UsbDirection::removal));
    EXPECT_EQ(noUsb.registrations.back(), "audio");
}

TEST_F(SystemEventWatcherTest, EachSystemSignalGivesOneEventWithItsSource) {
    struct Case {
        SystemSignal signal;
        Kind kind;
        const char* source;
    };
    const Case cases[] = {
        {SystemSignal::prepareForSleepFalse, Kind::didWake, "logind.PrepareForSleep"},
        {SystemSignal::prepareForSleepTrue, Kind::willSleep, "logind.PrepareForSleep"},
        {SystemSignal::lockedByLockedHint, Kind::screenLocked, "logind.Session.LockedHint"},
        {SystemSignal::unlockedByScreenSaver, Kind::screenUnlocked,
         "org.freedesktop.ScreenSaver.ActiveChanged"},
        {SystemSignal::unlockedBySessionActive, Kind::screenUnlocked, "logind.Session.Active"},
    };
    watcher.start();
    for (const auto& c : cases) {
        events.clear();
        source.send(c.signal);
        ASSERT_EQ(events.size(), 1u) << c.source;
        EXPECT_EQ(events[0].kind, c.kind) << c.source;
        EXPECT_EQ(events[0].details, (Details{{"source", c.source}}));
    }
}

TEST_F(SystemEventWatcherTest, WakeDetailsCarryOnlyNonEmptyReasonAndType) {
    struct Case {
        WakeReason wake;
        Details expected;
    };
    const std::string text = "logind.PrepareForSleep";
    const Case cases[] = {
        {{"lid", "User"}, {{"source", text}, {"wakeReason", "lid"}, {"wakeType", "User"}}},
        {{"rtc", ""}, {{"source", text}, {"wakeReason", "rtc"}}},
        {{"", "Maintenance"}, {{"source", text}, {"wakeType", "Maintenance"}}},
        {{std::nullopt, std::nullopt}, {{"source", text}}},
    };
    watcher.start();
    for (const auto& c : cases) {
        events.clear();
        wakeReasons.wake = c.wake;
        source.send(SystemSignal::prepareForSleepFalse);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].details, c.expected);
    }
    source.send(SystemSignal::prepareForSleepTrue);
    EXPECT_EQ(wakeReasons.readCount, 4) << "the reason is read on wake only";
}

TEST_F(SystemEventWatcherTest, EventsGetNewIdentifiersAndTheTimeTheyAreHandled) {
    watcher.start();
    source.send(SystemSignal::lockedByLockRequest);
    clock.advance(7);
    source.send(SystemSignal::lockedByLockRequest);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_NE(events[0].id, events[1].id);
    EXPECT_EQ(secondsBetween(events[0].occurredAt, events[1].occurredAt), 7);
    EXPECT_EQ(events[1].occurredAt, clock.now());
}

TEST_F(SystemEventWatcherTest, UsbDetailsNameAndIdentifyEachDeviceOfABatch) {
    using P = DeviceProperty;
    const P none;
    struct Case {
        UsbDeviceProperties device;
        Details expected;
    };
    const Case cases[] = {
        {{P{0x5AC}, P{0x12A8}, P{"iPhone"}, P{"Apple Inc."}, P{"ABC123"}},
         {{"name", "iPhone"},
          {"vendorID", "0x05AC"},
          {"productID", "0x12A8"},
          {"serial", "ABC123"}}},
        {{P{0x1234}, P{0xBEEF1}, none, P{"Acme"}, P{""}},
         {{"name", "Acme"}, {"vendorID", "0x1234"}, {"productID", "0xBEEF1"}}},
        {{none, none, none, none, none},
         {{"name", "USB Device"}, {"vendorID", "0x0000"}, {"productID", "0x0000"}}},
        {{P{"05ac"}, P{7}, P{""}, P{"Acme"}, P{42}},
         {{"name", ""}, {"vendorID", "0x0000"}, {"productID", "0x0007"}}},
    };
    watcher.start();
    std::vector<UsbDeviceProperties> batch;
    for (const auto& c : cases) {
        batch.push_back(c.device);
    }
    source.sendUsb(UsbDirection::removal, batch);  // one event per device, in order
    ASSERT_EQ(events.size(), std::size(cases));
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, Kind::usbDetached);
        EXPECT_EQ(events[i].details, cases[i].expected);
    }
    source.sendUsb(UsbDirection::arrival, {cases[0].device});
    EXPECT_EQ(events.back().kind, Kind::usbAttached);
}

TEST_F(SystemEventWatcherTest, VolumesAndAudioOutputHaveDefaultsForMissingValues) {
    watcher.start();
    source.mountHandler("/media/tester/DISK");
    source.unmountHandler(std::nullopt);
    source.audioOutputName = "USB Speakers";
    source.audioHandler();
    source.audioOutputName.reset();
    source.audioHandler();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, Kind::volumeMounted);
    EXPECT_EQ(events[0].details, (Details{{"path", "/media/tester/DISK"}}));
    EXPECT_EQ(events[1].kind, Kind::volumeUnmounted);
    EXPECT_EQ(events[1].details, (Details{{"path", "?"}}));
    EXPECT_EQ(events[2].kind, Kind::audioOutputChanged);
    EXPECT_EQ(events[2].details, (Details{{"name", "USB Speakers"}}));
    EXPECT_EQ(events[3].details, (Details{{"name", "(unknown)"}}));
}

TEST_F(SystemEventWatcherTest, DisplaysAreNamedFromTheCacheUntilTheirRemoval) {
    constexpr auto add = SystemEventSource::displayAddFlag;
    constexpr auto remove = SystemEventSource::displayRemoveFlag;
    source.screens = {{1, "Built-in"}, {2, "External"}, {std::nullopt, "No id"}, {4, ""}};
    watcher.start();
    // Screens change after start: only an add refreshes the cache.
    source.screens = {{1, "Built-in"}, {3, "Projector"}};
    struct Step {
        std::uint32_t display;
        std::uint32_t flags;
        std::vector<std::pair<Kind, Details>> expected;
    };
    const Step steps[] = {
        {3, 1, {}},  // begin configuration: nothing
        {2, remove, {{Kind::displayRemoved, {{"name", "External"}}}}},
        {2, remove, {{Kind::displayRemoved, {}}}},
        {4, remove, {{Kind::displayRemoved, {}}}},
        {3, remove, {{Kind::displayRemoved, {}}}},
        {3, add, {{Kind::displayAdded, {{"name", "Projector"}}}}},
        {3,
         add | remove,
         {{Kind::displayAdded, {{"name", "Projector"}}},
          {Kind::displayRemoved, {{"name", "Projector"}}}}},
        {1, remove, {{Kind::displayRemoved, {{"name", "Built-in"}}}}},
        {9, add, {{Kind::displayAdded, {}}}},
    };
    for (const auto& step : steps) {
        events.clear();
        source.sendDisplay(step.display, step.flags);
        std::vector<std::pair<Kind, Details>> got;
        for (const auto& event : events) {
            got.emplace_back(event.kind, event.details);
        }
        EXPECT_EQ(got, step.expected) << "display " << step.display << " flags " << step.flags;
    }
}

TEST_F(SystemEventWatcherTest, ContextTakesTheFirstQualifyingBatteryAndTheSourcesNames) {
    struct Case {
        std::vector<PowerSourceDescription> sources;
        std::optional<std::int64_t> expected;
    };
    const Case cases[] = {
        {{{4999, 5000}}, 99},      {{{150, 100}}, 150},
        {{{50, 0}, {30, 60}}, 50}, {{{std::nullopt, 100}, {10, std::nullopt}, {1, 4}}, 25},
        {{}, std::nullopt},
    };
    source.ssid = "Office";
    source.machine = "Tester's Laptop";
    for (const auto& c : cases) {
        source.powerSourceList = c.sources;
        EXPECT_EQ(watcher.currentEventContext(),
                  (EventContext{c.expected, "Office", "Tester's Laptop", "tester", std::nullopt}));
    }
}
