#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "delivery/AlertDispatcher.h"
#include "support/EventFactory.h"
#include "support/FakeSleepTransitionClock.h"
#include "support/ManualClock.h"
#include "support/ManualSerialQueue.h"
#include "support/ManualTaskPool.h"
#include "support/ManualTimerScheduler.h"

using namespace veyrune;

namespace {

// A dispatcher on manual executors whose enqueue calls complete when the test says so.
struct DispatcherTest : ::testing::Test {
    test::ManualSerialQueue queue{AlertDispatcher::queueLabel};
    test::ManualClock clock{addSeconds(referenceDate(), 5000)};
    test::ManualTimerScheduler timer;
    test::ManualTaskPool tasks;
    test::FakeSleepTransitionClock sleepClock;
    std::vector<SecurityEvent> enqueued;
    std::vector<std::function<void()>> pendingDone;
    bool completeAtOnce = true;

    std::shared_ptr<AlertDispatcher> dispatcher = AlertDispatcher::make(
        std::make_unique<AlertBurstCoalescer>(AlertBurstConfiguration{}, sleepClock),
        [this](SecurityEvent event, std::function<void()> done) {
            enqueued.push_back(std::move(event));
            if (completeAtOnce) {
                done();
            } else {
                pendingDone.push_back(std::move(done));
            }
        },
        queue, clock, timer, tasks);

    AlertCandidate submit(SecurityEventKind kind) {
        AlertCandidate candidate{test::makeEvent(kind, clock.now(), "own"), {}};
        dispatcher->submit(candidate);
        queue.drain();
        return candidate;
    }
    void advanceAndFire(double seconds) {
        clock.advance(seconds);
        ASSERT_TRUE(timer.fire());
        queue.drain();
    }
    // Completes the oldest outstanding enqueue and lets the release go on.
    void completeNext() {
        ASSERT_FALSE(pendingDone.empty());
        auto done = std::move(pendingDone.front());
        pendingDone.erase(pendingDone.begin());
        done();
        tasks.drain();
    }
};

}  // namespace

TEST_F(DispatcherTest, TimerFollowsTheEarliestDeadlineAndStopsWhenNoGroupIsOpen) {
    auto lock = submit(SecurityEventKind::screenLocked);
    EXPECT_FALSE(timer.isPending());  // immediate kinds need no timer
    EXPECT_TRUE(enqueued.empty());    // the queue does not enqueue itself
    auto usb = submit(SecurityEventKind::usbAttached);
    EXPECT_EQ(timer.pendingDelay(), 2.0);
    clock.advance(1);
    auto volume = submit(SecurityEventKind::volumeMounted);
    EXPECT_EQ(timer.pendingDelay(), 1.0);

    advanceAndFire(1);
    EXPECT_EQ(timer.pendingDelay(), 1.0);
    advanceAndFire(1);
    EXPECT_FALSE(timer.isPending());

    tasks.drain();
    ASSERT_EQ(enqueued.size(), 3u);
    EXPECT_EQ(enqueued[0], lock.event);
    EXPECT_EQ(enqueued[1].id, usb.event.id);
    EXPECT_EQ(enqueued[2].id, volume.event.id);
}

TEST_F(DispatcherTest, BurstIsEnqueuedUnderItsFirstEvent) {
    auto first = submit(SecurityEventKind::usbDetached);
    clock.advance(0.5);
    submit(SecurityEventKind::usbDetached);
    submit(SecurityEventKind::usbDetached);
    advanceAndFire(2);
    tasks.drain();
    ASSERT_EQ(enqueued.size(), 1u);
    auto expected = first.event;
    expected.summary = "3 USB devices detached within 0.5s";
    EXPECT_EQ(enqueued[0], expected);
}

TEST_F(DispatcherTest, FlushForSleepCompletesAfterEveryEnqueueCompleted) {
    completeAtOnce = false;
    auto usb = submit(SecurityEventKind::usbAttached);
    auto display = submit(SecurityEventKind::displayAdded);
    bool completed = false;
    dispatcher->flushForSleep([&] { completed = true; });
    queue.drain();
    EXPECT_FALSE(timer.isPending());
    tasks.drain();
    ASSERT_EQ(enqueued.size(), 1u);
    EXPECT_EQ(enqueued[0].id, usb.event.id);
    completeNext();
    ASSERT_EQ(enqueued.size(), 2u);
    EXPECT_EQ(enqueued[1].id, display.event.id);
    EXPECT_FALSE(completed);
    completeNext();
    EXPECT_TRUE(completed);
}

TEST_F(DispatcherTest, FlushForSleepWithoutCompletionStillFlushes) {
    auto usb = submit(SecurityEventKind::usbAttached);
    dispatcher->flushForSleep(nullptr);
    EXPECT_NO_THROW(queue.drain());
    tasks.drain();
    ASSERT_EQ(enqueued.size(), 1u);
    EXPECT_EQ(enqueued[0].id, usb.event.id);
    bool completed = false;
    dispatcher->flushForSleep([&] { completed = true; });  // nothing left to flush
    queue.drain();
    tasks.drain();
    EXPECT_TRUE(completed);
    EXPECT_EQ(enqueued.size(), 1u);
}

TEST_F(DispatcherTest, WorkQueuedForAGoneDispatcherDoesNothing) {
    dispatcher->submit({test::makeEvent(SecurityEventKind::screenLocked, clock.now()), {}});
    bool completed = false;
    dispatcher->flushForSleep([&] { completed = true; });
    dispatcher.reset();
    queue.drain();
    tasks.drain();
    EXPECT_TRUE(enqueued.empty());
    EXPECT_TRUE(completed);
}

TEST(AlertDispatcher, SubmitsFromSeveralThreadsAreAllEnqueued) {
    AsioTaskPool pool(3);
    AsioSerialQueue queue(pool.pool(), AlertDispatcher::queueLabel);
    test::ManualTimerScheduler timer;
    test::FakeSleepTransitionClock sleepClock;
    AlertBurstConfiguration configuration;
    configuration.burstThreshold = 1'000'000;
    constexpr int threads = 4;
    constexpr int perThread = 200;
    std::atomic<int> enqueued = 0;
    std::promise<void> allEnqueued;
    auto dispatcher = AlertDispatcher::make(
        std::make_unique<AlertBurstCoalescer>(configuration, sleepClock),
        [&](SecurityEvent, std::function<void()> done) {
            if (++enqueued == threads * perThread) {
                allEnqueued.set_value();
            }
            done();
        },
        queue, SystemClock::shared(), timer, pool);
    {
        std::vector<std::jthread> submitting;
        for (int t = 0; t < threads; ++t) {
            submitting.emplace_back([&, t] {
                for (int i = 0; i < perThread; ++i) {
                    auto kind = allSecurityEventKinds[(t + i) % allSecurityEventKinds.size()];
                    dispatcher->submit({test::makeEvent(kind), {}});
                }
            });
        }
    }
    // Grouped kinds leave with the flush, immediate ones in releases of their own.
    dispatcher->flushForSleep([] {});
    ASSERT_EQ(allEnqueued.get_future().wait_for(std::chrono::seconds(30)),
              std::future_status::ready);
    EXPECT_EQ(enqueued.load(), threads * perThread);
    pool.shutdown();
}
