#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "base/PosixFileSystem.h"
#include "model/AppModel.h"
#include "support/FakeCaptures.h"
#include "support/FakePowerManagerRegistration.h"
#include "support/FakeSleepTransitionClock.h"
#include "support/InMemoryKeychainStore.h"
#include "support/InMemoryPreferences.h"
#include "support/InMemorySecurityEventStore.h"
#include "support/InlineTaskPool.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ManualTaskPool.h"
#include "support/ManualTimerScheduler.h"
#include "support/TempDirectory.h"
#include "system/MonotonicClock.h"

using namespace veyrune;
using Kind = SecurityEventKind;
using Mode = ScreenshotCapturing::Mode;

namespace {

// The model on manual queues with fake capturers; the dispatcher's released
// alerts and the test alert's enqueue land in `enqueued`.
struct Harness {
    test::TempDirectory folder;
    test::InMemoryPreferences preferences;
    test::InMemoryKeychainStore keychain;
    SettingsBridge settings{preferences, keychain};
    test::InMemorySecurityEventStore events;
    test::InMemoryEvidenceItemStore links;
    test::ManualClock clock{addSeconds(referenceDate(), 800'000'000)};
    test::ManualSerialQueue main{"main"};
    test::ManualSerialQueue dispatchQueue{AlertDispatcher::queueLabel};
    test::ManualTimerScheduler timer;
    test::ManualTaskPool dispatchTasks;
    test::InlineTaskPool inlineTasks;
    test::FakeSleepTransitionClock sleepClock;
    test::FakeScreenshotCapturing screenshots;
    test::FakePhotoCapturing camera;
    test::FakeCameraAuthorization authorization;
    test::FakePowerManagerRegistration power;
    SleepGateStatus sleepStatus{[] { return false; }};
    SteadyMonotonicClock monotonic;
    std::vector<SecurityEvent> enqueued;
    DeliveryEnqueueOutcome testOutcome = DeliveryEnqueueOutcome::queued;
    std::atomic<int> flushNowCount{0};
    std::shared_ptr<AppModel> model;

    Harness() {
        auto dispatcher = AlertDispatcher::make(
            std::make_unique<AlertBurstCoalescer>(AlertBurstConfiguration{}, sleepClock),
            [this](SecurityEvent event, std::function<void()> done) {
                enqueued.push_back(std::move(event));
                done();
            },
            dispatchQueue, clock, timer, dispatchTasks);
        DeliveryHooks delivery{
            [this](const SecurityEvent& event, std::function<void(DeliveryEnqueueOutcome)> done) {
                enqueued.push_back(event);
                done(testOutcome);
            },
            [this] { ++flushNowCount; }, [] { return true; }};
        model = AppModel::make({events, links, settings, clock, main, PosixFileSystem::shared(),
                                [] { return EventContext{}; }, dispatcher, delivery, screenshots,
                                camera, authorization, power, sleepStatus, monotonic, inlineTasks});
    }

    RawSystemEvent raw(Kind kind) { return RawSystemEvent{Uuid::random(), clock.now(), kind, {}}; }
    void handle(Kind kind) {
        model->handle(raw(kind));
        settle();
    }
    void settle() {
        for (int i = 0; i < 10; ++i) {
            main.drain();
            dispatchQueue.drain();
            dispatchTasks.drain();
        }
    }
    std::filesystem::path savedFile(const char* name, std::size_t bytes) {
        auto path = folder.path() / name;
        std::ofstream(path) << std::string(bytes, 'x');
        return path;
    }
    std::string status() { return model->lastStatusMessage().value_or("(none)"); }
    // Settles the manual queues until `done` holds (the sleep gate runs on a thread of its own).
    bool settleUntil(const std::function<bool()>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            settle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }
};

struct AppModelTest : ::testing::Test, Harness {};

}  // namespace

TEST_F(AppModelTest, RecentEventsKeepTheNewestFive) {
    model->setArmed(true);
    for (int i = 0; i < 6; ++i) {
        clock.advance(60);
        handle(Kind::didWake);
    }
    ASSERT_EQ(model->recentEvents().size(), 5u);
    auto stored = events.allEvents();
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(model->recentEvents()[i].id, stored[5 - i].id);
    }
    model->clearRecentEvents();
    EXPECT_TRUE(model->recentEvents().empty());
    EXPECT_EQ(events.allEvents().size(), 6u);
}

TEST_F(AppModelTest, DisarmedRecordsNothingAndLatestActivityFallsBackToTheStatus) {
    handle(Kind::screenLocked);
    EXPECT_TRUE(events.allEvents().empty());
    EXPECT_EQ(model->latestActivityText(), std::nullopt);
    preferences.set(Settings::autoArmOnSleep.key, true);
    handle(Kind::willSleep);
    EXPECT_EQ(model->latestActivityText(), events.allEvents().at(0).summary);
    model->clearRecentEvents();
    EXPECT_EQ(model->latestActivityText(), "Veyrune armed before sleep");
}

TEST_F(AppModelTest, WillSleepArmsFirstOnlyWithAutoArm) {
    handle(Kind::willSleep);
    EXPECT_FALSE(model->isArmed());
    EXPECT_TRUE(events.allEvents().empty());

    preferences.set(Settings::autoArmOnSleep.key, true);
    handle(Kind::willSleep);
    EXPECT_TRUE(model->isArmed());
    ASSERT_EQ(events.allEvents().size(), 1u);
    EXPECT_EQ(events.allEvents()[0].kind, Kind::willSleep);
    ASSERT_EQ(enqueued.size(), 1u);
    EXPECT_EQ(model->lastStatusMessage(), "Veyrune armed before sleep");
}

TEST_F(AppModelTest, CapturesAreThrottledAndACameraInFlightDropsTheNext) {
    preferences.set(Settings::captureCamera.key, true);
    preferences.set(Settings::captureScreenshots.key, true);
    model->setArmed(true);
    handle(Kind::screenUnlocked);
    EXPECT_EQ(screenshots.pending.size(), 1u);
    screenshots.answer(std::nullopt);
    auto before = status();

    clock.advance(3);
    handle(Kind::screenUnlocked);
    EXPECT_EQ(events.allEvents().size(), 2u);  // still recorded
    EXPECT_TRUE(screenshots.pending.empty());
    EXPECT_EQ(camera.pending.size(), 1u);
    EXPECT_EQ(status(), before);  // a drop writes no status

    clock.advance(2);  // 5 s after the first: allowed again
    handle(Kind::screenUnlocked);
    EXPECT_EQ(screenshots.pending.size(), 1u);
    EXPECT_EQ(camera.pending.size(), 1u);  // the first photo is still running
    EXPECT_TRUE(model->cameraCaptureInFlight());
}

TEST_F(AppModelTest, CaptureResultsAndTheirTexts) {
    struct Row {
        const char* name;
        std::function<void(Harness&)> act;
        std::string expected;
        std::size_t links;
    };
    auto unlock = [](Harness& t) {
        t.model->setArmed(true);
        t.handle(Kind::screenUnlocked);
    };
    std::vector<Row> rows = {
        {"stitched mode with one display",
         [&](Harness& t) {
             t.preferences.set(Settings::captureScreenshots.key, true);
             unlock(t);
             t.screenshots.answer(ScreenshotCapturing::CaptureOutcome{t.savedFile("s.png", 10), 1});
         },
         "Unlock: Stitched screenshot (1 displays) \u2192 s.png", 1},
        {"screenshot link not saved",
         [&](Harness& t) {
             t.preferences.set(Settings::captureScreenshots.key, true);
             t.links.failAppends = true;
             unlock(t);
             t.screenshots.answer(ScreenshotCapturing::CaptureOutcome{t.savedFile("l.png", 10), 2});
         },
         "Unlock: Stitched screenshot (2 displays) captured, but its event link could not be saved",
         0},
        {"screenshot failed",
         [&](Harness& t) {
             t.preferences.set(Settings::captureScreenshots.key, true);
             unlock(t);
             t.screenshots.answer(std::nullopt);
         },
         "Screenshot (Unlock) failed or permission denied", 0},
        {"photo saved",
         [&](Harness& t) {
             t.preferences.set(Settings::captureCamera.key, true);
             unlock(t);
             t.camera.answer(t.savedFile("c.jpg", 42));
         },
         "Unlock: Photo \u2192 c.jpg", 1},
        {"camera access refused when asked",
         [&](Harness& t) {
             t.preferences.set(Settings::captureCamera.key, true);
             t.authorization.current = CameraAuthorizationStatus::notDetermined;
             t.authorization.grants = false;
             unlock(t);
             t.settle();
         },
         "Camera (Unlock) permission denied", 0},
        {"manual camera test while disarmed",
         [&](Harness& t) {
             t.preferences.set(Settings::captureCamera.key, true);
             t.model->testCameraSnapshot();
             t.camera.answer(t.savedFile("m.jpg", 1));
         },
         "Manual Test: Photo \u2192 m.jpg", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Harness t;
        row.act(t);
        EXPECT_EQ(t.status(), row.expected);
        EXPECT_EQ(t.links.allItems().size(), row.links);
        EXPECT_FALSE(t.model->cameraCaptureInFlight());
    }
}

TEST_F(AppModelTest, EvidenceLinkCarriesTheEventFileAndSize) {
    preferences.set(Settings::captureCamera.key, true);
    model->setArmed(true);
    handle(Kind::didWake);
    camera.answer(savedFile("w.jpg", 42));
    auto items = links.allItems();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].eventID, events.allEvents().at(0).id);
    EXPECT_EQ(items[0].kind, EvidenceKind::cameraPhoto);
    EXPECT_EQ(items[0].byteCount, 42);
    EXPECT_TRUE(items[0].fileURL.ends_with("/w.jpg"));
}

TEST_F(AppModelTest, TestAlertOutcomes) {
    model->sendTestAlert();
    settle();
    EXPECT_EQ(status(), "Test alert queued");
    EXPECT_TRUE(model->recentEvents().empty());  // not through the pipeline
    EXPECT_EQ(events.allEvents().at(0).summary, "Test alert requested");

    testOutcome = DeliveryEnqueueOutcome::notConfigured;
    model->sendTestAlert();
    settle();
    EXPECT_EQ(status(), "Test alert skipped: add credentials in Settings \u25B8 Alerts");

    events.setFailAppends(true);
    model->sendTestAlert();
    settle();
    EXPECT_EQ(status(), "Test alert could not be queued");
    EXPECT_EQ(enqueued.size(), 2u);  // the unrecorded one is not enqueued
}

TEST_F(AppModelTest, SleepGateRegistersOnceAndHoldsSleepUntilFlushed) {
    EXPECT_TRUE(model->installSleepGate());
    EXPECT_TRUE(model->installSleepGate());
    EXPECT_EQ(power.registerCount, 1);
    EXPECT_TRUE(sleepStatus.isAvailable());

    std::atomic<int> allowed{0};
    power.sendWillSleep([&] { ++allowed; });
    EXPECT_TRUE(settleUntil([&] { return allowed > 0; }));  // the flush runs on the manual queue
    EXPECT_EQ(allowed, 1);
    EXPECT_EQ(flushNowCount, 1);
}

TEST_F(AppModelTest, SleepWaitsForTheSealAfterTheFlush) {
    std::mutex mutex;
    std::function<void()> sealDone;
    int flushesBeforeSeal = -1;
    model->setBeforeSleep([&](std::function<void()> done) {
        std::lock_guard lock(mutex);
        flushesBeforeSeal = flushNowCount;
        sealDone = std::move(done);
    });
    ASSERT_TRUE(model->installSleepGate());
    std::atomic<int> allowed{0};
    power.sendWillSleep([&] { ++allowed; });
    auto sealing = [&] {
        std::lock_guard lock(mutex);
        return bool(sealDone);
    };
    ASSERT_TRUE(settleUntil(sealing));
    EXPECT_EQ(flushesBeforeSeal, 1);
    settle();
    EXPECT_EQ(allowed, 0);
    {
        std::lock_guard lock(mutex);
        sealDone();
    }
    EXPECT_TRUE(settleUntil([&] { return allowed > 0; }));
    EXPECT_EQ(allowed, 1);
}

TEST_F(AppModelTest, AFailedRegistrationIsRecordedAsUnavailable) {
    power.accepts = false;
    EXPECT_FALSE(model->installSleepGate());
    EXPECT_FALSE(model->isSleepGateActive());
    EXPECT_FALSE(sleepStatus.isAvailable());
}
