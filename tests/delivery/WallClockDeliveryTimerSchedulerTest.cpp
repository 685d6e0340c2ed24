#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "delivery/WakeNotificationFanOut.h"
#include "delivery/WallClockDeliveryTimerScheduler.h"
#include "support/FakeWakeNotificationSource.h"
#include "support/ManualClock.h"

using namespace veyrune;

namespace {

constexpr auto kPatience = std::chrono::seconds(30);

// Counts the work posted onto a real serial queue, so a test can tell when a
// timer's completion has reached the queue.
class CountingQueue final : public SerialQueue {
  public:
    explicit CountingQueue(asio::thread_pool& pool) : queue_(pool, "Veyrune.Test") {}
    // Posts made while this is set are counted apart.
    std::atomic<bool> closed = false;
    std::atomic<int> postsWhileClosed = 0;

    void post(std::function<void()> work) override {
        if (closed) {
            ++postsWhileClosed;
        }
        queue_.post(std::move(work));
        // Notified under the lock: the waiting test may destroy this queue right after.
        std::lock_guard lock(mutex_);
        ++posted_;
        postedChanged_.notify_all();
    }
    bool isCurrent() const override { return queue_.isCurrent(); }
    const std::string& label() const override { return queue_.label(); }
    int posted() {
        std::lock_guard lock(mutex_);
        return posted_;
    }
    void waitForPosts(int count) {
        std::unique_lock lock(mutex_);
        postedChanged_.wait(lock, [&] { return posted_ >= count; });
    }

  private:
    AsioSerialQueue queue_;
    std::mutex mutex_;
    std::condition_variable postedChanged_;
    int posted_ = 0;  // guarded by mutex_
};

struct TimerTest : ::testing::Test {
    AsioTaskPool pool{2};
    CountingQueue queue{pool.pool()};

    // Waits until everything posted onto the queue so far has run.
    void settle() {
        runSync(queue, [] {});
    }
};

}  // namespace

TEST_F(TimerTest, ScheduleReplacesThePendingTimerRunsOnTheQueueAndCancelStopsIt) {
    WallClockDeliveryTimerScheduler scheduler(pool.pool());
    WallClockDeliveryTimerScheduler cancelled(pool.pool());
    std::atomic<bool> replacedRan = false, cancelledRan = false;
    std::promise<bool> laterRanOnQueue;
    scheduler.schedule(queue, 0.01, [&] { replacedRan = true; });
    scheduler.schedule(queue, 0.05, [&] { laterRanOnQueue.set_value(queue.isCurrent()); });
    cancelled.schedule(queue, 0.01, [&] { cancelledRan = true; });
    cancelled.cancel();
    auto result = laterRanOnQueue.get_future();
    ASSERT_EQ(result.wait_for(kPatience), std::future_status::ready);
    EXPECT_TRUE(result.get());
    settle();
    EXPECT_FALSE(replacedRan);
    EXPECT_FALSE(cancelledRan);
}

TEST_F(TimerTest, CancelAfterTheCompletionReachedTheQueueStillWins) {
    for (bool destroyInsteadOfCancel : {false, true}) {
        auto scheduler = std::make_unique<WallClockDeliveryTimerScheduler>(pool.pool());
        std::atomic<bool> ran = false;
        std::promise<void> release;
        const int before = queue.posted();
        queue.post([&] { release.get_future().wait(); });  // holds the queue
        scheduler->schedule(queue, 0, [&] { ran = true; });
        queue.waitForPosts(before + 2);  // the completion is queued behind the hold
        if (destroyInsteadOfCancel) {
            scheduler.reset();
        } else {
            scheduler->cancel();
        }
        release.set_value();
        settle();
        EXPECT_FALSE(ran) << destroyInsteadOfCancel;
    }
}

TEST_F(TimerTest, NothingReachesTheQueueOnceCancelHasReturned) {
    // The queue's owner may destroy it right after cancel(), so a completion
    // that had already expired must not post any more. Many short tries hit
    // the narrow window between expiry and posting.
    WallClockDeliveryTimerScheduler scheduler(pool.pool());
    auto spin = [](std::chrono::microseconds span) {
        auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
        }
    };
    for (int i = 0; i < 3000; ++i) {
        queue.closed = false;
        scheduler.schedule(queue, 0, [] {});
        spin(std::chrono::microseconds(i % 40));
        scheduler.cancel();
        queue.closed = true;
        spin(std::chrono::microseconds(50));
    }
    queue.closed = false;
    settle();
    EXPECT_EQ(queue.postsWhileClosed, 0);
}

TEST_F(TimerTest, PendingDeadlineIsArmedAgainAfterEveryWake) {
    // The deadlines are on `wallClock`; the waits run on the real clocks.
    test::ManualClock wallClock;
    test::FakeWakeNotificationSource wake;
    WakeNotificationFanOut wakes(wake);
    WallClockDeliveryTimerScheduler scheduler(pool.pool(), &wakes.branch(), wallClock);
    std::promise<void> ran;
    scheduler.schedule(queue, 3600, [&] { ran.set_value(); });
    auto result = ran.get_future();

    wallClock.advance(1800);  // half an hour asleep: the wait did not count it
    wake.wake();
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);

    wallClock.advance(1800);  // the deadline passed during the next sleep
    wake.wake();
    EXPECT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    scheduler.cancel();
}
