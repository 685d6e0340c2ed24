// The delivery path on real threads, as the application wires it: Asio
// strands for the queues on one pool, the wall-clock timer, the SQLite outbox,
// sends completing on pool threads. Run under ThreadSanitizer in CI.

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "delivery/AlertDispatcher.h"
#include "delivery/DeliveryManager.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "outbox/SQLiteOutboxStore.h"
#include "support/EventFactory.h"
#include "support/FakeDeliveryChannel.h"
#include "support/FakeSleepTransitionClock.h"
#include "support/TempDirectory.h"
#include "support/WaitUntil.h"
#include "system/MonotonicClock.h"
#include "system/SystemSleepGate.h"

using namespace veyrune;
using namespace std::chrono_literals;
using Kind = DeliveryChannelKind;

namespace {

struct DeliveryThreadsTest : ::testing::Test {
    test::TempDirectory folder;
    SQLiteOutboxStore store{folder / "VeyruneModel.sqlite"};
    AsioTaskPool pool{4};
    AsioSerialQueue deliveryQueue{pool.pool(), DeliveryManager::queueLabel};
    AsioSerialQueue dispatcherQueue{pool.pool(), AlertDispatcher::queueLabel};
    WallClockDeliveryTimerScheduler deliveryTimer{pool.pool()};
    WallClockDeliveryTimerScheduler dispatcherTimer{pool.pool()};
    std::shared_ptr<test::FakeDeliveryChannel> webhook =
        std::make_shared<test::FakeDeliveryChannel>(Kind::webhook);
    std::shared_ptr<DeliveryManager> manager =
        DeliveryManager::create({store,
                                 deliveryQueue,
                                 {{Kind::webhook, webhook}},
                                 [] { return std::set{Kind::webhook}; },
                                 SystemClock::shared(),
                                 deliveryTimer,
                                 pool});

    void SetUp() override { manager->start(false); }
    void TearDown() override {
        manager.reset();
        pool.shutdown();
    }
    std::map<Uuid, int> sendsByEvent() const {
        std::map<Uuid, int> counts;
        for (const auto& event : webhook->sentEvents()) {
            ++counts[event.id];
        }
        return counts;
    }
};

}  // namespace

TEST_F(DeliveryThreadsTest, AlertsFromSeveralThreadsAreEachSentOnceWhileHopsAnswer) {
    constexpr int threads = 4, perThread = 25;
    std::atomic<int> queued = 0;
    std::vector<SecurityEvent> events;
    std::vector<Uuid> ids;
    for (int i = 0; i < threads * perThread; ++i) {
        events.push_back(test::makeEvent());
        ids.push_back(events.back().id);
    }
    std::atomic<bool> enqueueing = true;
    std::jthread asking([&] {
        // Synchronous hops from a thread of their own, while sends complete.
        while (enqueueing) {
            (void)manager->queueSummary();
            (void)manager->deliveryAttempts({ids[0]});
        }
    });
    {
        std::vector<std::jthread> enqueuers;
        for (int t = 0; t < threads; ++t) {
            enqueuers.emplace_back([&, t] {
                for (int i = 0; i < perThread; ++i) {
                    const auto& event = events[std::size_t(t * perThread + i)];
                    manager->enqueueWithOutcome(event, [&](DeliveryEnqueueOutcome outcome) {
                        queued += outcome == DeliveryEnqueueOutcome::queued ? 1 : 0;
                    });
                }
            });
        }
    }
    enqueueing = false;
    ASSERT_TRUE(test::waitUntil([&] {
        return queued == threads * perThread && manager->isQueueEmpty() &&
               webhook->sentEvents().size() >= ids.size();
    }));
    auto counts = sendsByEvent();
    EXPECT_EQ(counts.size(), ids.size());
    for (const auto& id : ids) {
        EXPECT_EQ(counts[id], 1) << id.uuidString();
    }
    EXPECT_EQ(manager->queueSummary().pendingCount, 0);
}

TEST_F(DeliveryThreadsTest, TheSleepGateWaitsForHeldAlertsToLeave) {
    test::FakeSleepTransitionClock sleepClock;
    auto dispatcher = AlertDispatcher::make(
        std::make_unique<AlertBurstCoalescer>(AlertBurstConfiguration{}, sleepClock),
        [this](SecurityEvent event, std::function<void()> done) {
            manager->enqueueWithOutcome(event, [done](auto) { done(); });
        },
        dispatcherQueue, SystemClock::shared(), dispatcherTimer, pool);
    // Three hot-plug alerts wait in a burst group; the lock goes at once.
    for (int i = 0; i < 3; ++i) {
        dispatcher->submit({test::makeEvent(SecurityEventKind::usbAttached), {}});
    }
    dispatcher->submit({test::makeEvent(SecurityEventKind::screenLocked), {}});

    SteadyMonotonicClock clock;
    std::size_t sentWhenAllowed = 0;
    int allowed = 0;
    // A budget no run reaches: sleep is allowed by the flush and the empty queue alone.
    SystemSleepGate gate(
        600, 5ms, [this] { return manager->isQueueEmpty(); },
        [dispatcher](std::function<void()> done) { dispatcher->flushForSleep(std::move(done)); },
        [&] {
            ++allowed;
            sentWhenAllowed = webhook->sentEvents().size();
        },
        clock, pool);
    gate.run();
    EXPECT_EQ(allowed, 1);
    // The lock and one burst summary of the three attachments.
    EXPECT_EQ(sentWhenAllowed, 2u);
    dispatcher.reset();
    dispatcherTimer.cancel();
}
