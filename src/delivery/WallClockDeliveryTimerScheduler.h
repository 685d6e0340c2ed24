#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <asio/system_timer.hpp>
#include <asio/thread_pool.hpp>

#include "base/Clock.h"
#include "delivery/DeliveryTimerScheduling.h"
#include "system/WakeNotificationSource.h"

namespace veyrune {

// A one-shot timer whose deadline is on the wall clock, so time spent asleep
// counts. The wait behind it runs on the monotonic clock, which stops while the
// system sleeps, so after every wake the pending timer is armed again on its
// deadline; one that passed during sleep then fires at once. The handler is
// posted onto the queue given to `schedule`. Thread-safe.
//
//   WallClockDeliveryTimerScheduler timer(queuePool.pool(), &wakeBranch);
//
// `pool` runs the waits; `wake` (none: no re-arming) is a wake source of the
// scheduler's own (see WakeNotificationFanOut); `clock` gives the deadlines.
// All three must outlive the scheduler.
class WallClockDeliveryTimerScheduler final : public DeliveryTimerScheduling {
  public:
    explicit WallClockDeliveryTimerScheduler(asio::thread_pool& pool,
                                             WakeNotificationSource* wake = nullptr,
                                             const Clock& clock = SystemClock::shared());
    ~WallClockDeliveryTimerScheduler() override;
    WallClockDeliveryTimerScheduler(const WallClockDeliveryTimerScheduler&) = delete;
    WallClockDeliveryTimerScheduler& operator=(const WallClockDeliveryTimerScheduler&) = delete;

    void schedule(SerialQueue& queue, double delaySeconds, std::function<void()> handler) override;
    void cancel() override;

  private:
    struct Pending {
        SerialQueue* queue;
        Instant deadline;
        std::function<void()> handler;
    };
    // Shared with pending completions and the wake observer, which may outlive
    // the scheduler. A completion posts, and its handler runs, only while its
    // generation is still current.
    struct State {
        State(asio::thread_pool& timerPool, const Clock& wallClock)
            : pool(timerPool), clock(wallClock) {}
        asio::thread_pool& pool;
        const Clock& clock;
        std::mutex mutex;
        std::uint64_t generation = 0;               // guarded by mutex
        std::optional<Pending> pending;             // guarded by mutex
        std::unique_ptr<asio::system_timer> timer;  // guarded by mutex
    };

    // Starts a wait for the pending timer under a new generation; the lock is held.
    static void arm(const std::shared_ptr<State>& state);
    // Arms the pending timer again on its deadline (after a wake).
    static void rearm(const std::shared_ptr<State>& state);
    static void fire(const std::shared_ptr<State>& state, std::uint64_t generation);

    std::shared_ptr<State> state_;
    WakeNotificationSource* wake_;
};

}  // namespace veyrune
