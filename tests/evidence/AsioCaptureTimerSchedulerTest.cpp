#include "evidence/AsioCaptureTimerScheduler.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>

#include "base/AsioSerialQueue.h"
#include "base/AsioTaskPool.h"
#include "support/WallClockStep.h"

namespace veyrune::test {
namespace {

using namespace std::chrono_literals;

TEST(AsioCaptureTimerSchedulerTest, FiresOnItsQueueInDueOrderAndCancelledTimersNeverRun) {
    AsioTaskPool pool(2);
    AsioSerialQueue queue(pool.pool(), "Veyrune.Test");
    AsioCaptureTimerScheduler timers(pool.pool());
    std::mutex mutex;
    std::vector<std::string> ran;  // guarded by mutex
    std::promise<void> last;
    auto record = [&](std::string name) {
        return [&, name] {
            std::lock_guard lock(mutex);
            ran.push_back(name + (queue.isCurrent() ? "" : " off the queue"));
        };
    };

    auto cancelled = timers.schedule(queue, 200ms, record("cancelled"));
    timers.schedule(queue, 300ms, [&] {
        record("late")();
        last.set_value();
    });
    timers.schedule(queue, 1ms, record("early"));
    runSync(queue, [&] { cancelled->cancel(); });

    ASSERT_EQ(last.get_future().wait_for(10s), std::future_status::ready);
    std::lock_guard lock(mutex);
    EXPECT_EQ(ran, (std::vector<std::string>{"early", "late"}));
}

TEST(AsioCaptureTimerSchedulerTest, AWallClockStepBackDoesNotPostponeATimeOut) {
    AsioTaskPool pool(2);
    AsioSerialQueue queue(pool.pool(), "Veyrune.Test");
    AsioCaptureTimerScheduler timers(pool.pool());
    std::promise<void> fired;
    auto timer = timers.schedule(queue, 200ms, [&] { fired.set_value(); });
    {
        ScopedWallClockStep stepBack(-std::chrono::hours(1));
        EXPECT_EQ(fired.get_future().wait_for(5s), std::future_status::ready);
    }
    runSync(queue, [&] { timer->cancel(); });
}

}  // namespace
}  // namespace veyrune::test
