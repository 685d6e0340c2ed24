#include "delivery/WallClockDeliveryTimerScheduler.h"

#include <algorithm>
#include <cmath>

namespace veyrune {

WallClockDeliveryTimerScheduler::WallClockDeliveryTimerScheduler(asio::thread_pool& pool)
    : pool_(pool), state_(std::make_shared<State>()) {}

WallClockDeliveryTimerScheduler::~WallClockDeliveryTimerScheduler() {
    cancel();
}

void WallClockDeliveryTimerScheduler::schedule(SerialQueue& queue, double delaySeconds,
                                               std::function<void()> handler) {
    const auto delay = std::chrono::milliseconds(std::llround(std::max(delaySeconds, 0.0) * 1000));
    auto timer = std::make_unique<asio::system_timer>(pool_.get_executor());
    timer->expires_after(delay);
    std::unique_ptr<asio::system_timer> replaced;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(state_->mutex);
        generation = ++state_->generation;
        replaced = std::exchange(timer_, std::move(timer));
        timer_->async_wait([state = state_, generation, queue = &queue,
                            handler = std::move(handler)](const std::error_code& error) {
            if (error) {
                return;
            }
            // Checked and posted under the lock: once cancel() has returned,
            // nothing reaches the queue, which its owner may then destroy.
            std::lock_guard stateLock(state->mutex);
            if (state->generation == generation) {
                queue->post([state, generation, handler] { fire(state, generation, handler); });
            }
        });
    }
    // Destroying the replaced timer aborts its wait.
}

void WallClockDeliveryTimerScheduler::cancel() {
    std::unique_ptr<asio::system_timer> taken;
    {
        std::lock_guard lock(state_->mutex);
        ++state_->generation;
        taken = std::move(timer_);
    }
}

void WallClockDeliveryTimerScheduler::fire(const std::shared_ptr<State>& state,
                                           std::uint64_t generation,
                                           const std::function<void()>& handler) {
    {
        // A completion already on its way when the timer was cancelled or
        // replaced must not run.
        std::lock_guard lock(state->mutex);
        if (state->generation != generation) {
            return;
        }
    }
    handler();
}

}  // namespace veyrune
