#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include <asio/system_timer.hpp>
#include <asio/thread_pool.hpp>

#include "delivery/DeliveryTimerScheduling.h"

namespace veyrune {

// A one-shot timer on the wall clock (`asio::system_timer`), so time spent
// asleep counts toward the deadline. The handler is posted onto the queue given
// to `schedule`. Thread-safe; `pool` must outlive the scheduler.
class WallClockDeliveryTimerScheduler final : public DeliveryTimerScheduling {
  public:
    explicit WallClockDeliveryTimerScheduler(asio::thread_pool& pool);
    ~WallClockDeliveryTimerScheduler() override;
    WallClockDeliveryTimerScheduler(const WallClockDeliveryTimerScheduler&) = delete;
    WallClockDeliveryTimerScheduler& operator=(const WallClockDeliveryTimerScheduler&) = delete;

    void schedule(SerialQueue& queue, double delaySeconds, std::function<void()> handler) override;
    void cancel() override;

  private:
    // Shared with pending completions, which may outlive the scheduler. A
    // completion runs its handler only while its generation is still current.
    struct State {
        std::mutex mutex;
        std::uint64_t generation = 0;  // guarded by mutex
    };

    static void fire(const std::shared_ptr<State>& state, std::uint64_t generation,
                     const std::function<void()>& handler);

    asio::thread_pool& pool_;
    std::shared_ptr<State> state_;
    std::unique_ptr<asio::system_timer> timer_;  // guarded by state_->mutex
};

}  // namespace veyrune
