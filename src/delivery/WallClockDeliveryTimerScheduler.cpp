#include "delivery/WallClockDeliveryTimerScheduler.h"

#include <algorithm>
#include <cmath>

namespace veyrune {

WallClockDeliveryTimerScheduler::WallClockDeliveryTimerScheduler(asio::thread_pool& pool,
                                                                 WakeNotificationSource* wake,
                                                                 const Clock& clock)
    : state_(std::make_shared<State>(pool, clock)), wake_(wake) {
    if (wake_) {
        wake_->observeWake([weak = std::weak_ptr<State>(state_)] {
            if (auto state = weak.lock()) {
                rearm(state);
            }
        });
    }
}

WallClockDeliveryTimerScheduler::~WallClockDeliveryTimerScheduler() {
    if (wake_) {
        wake_->stopObservingWake();
    }
    cancel();
}

void WallClockDeliveryTimerScheduler::schedule(SerialQueue& queue, double delaySeconds,
                                               std::function<void()> handler) {
    const auto delay = std::chrono::milliseconds(std::llround(std::max(delaySeconds, 0.0) * 1000));
    std::unique_ptr<asio::system_timer> replaced;
    {
        std::lock_guard lock(state_->mutex);
        state_->pending = Pending{&queue, state_->clock.now() + delay, std::move(handler)};
        replaced = std::move(state_->timer);
        arm(state_);
    }
    // Destroying the replaced timer aborts its wait.
}

void WallClockDeliveryTimerScheduler::cancel() {
    std::unique_ptr<asio::system_timer> taken;
    {
        std::lock_guard lock(state_->mutex);
        ++state_->generation;
        state_->pending.reset();
        taken = std::move(state_->timer);
    }
}

void WallClockDeliveryTimerScheduler::rearm(const std::shared_ptr<State>& state) {
    std::unique_ptr<asio::system_timer> replaced;
    std::lock_guard lock(state->mutex);
    if (state->pending) {
        replaced = std::move(state->timer);
        arm(state);
    }
}

void WallClockDeliveryTimerScheduler::arm(const std::shared_ptr<State>& state) {
    const std::uint64_t generation = ++state->generation;
    const auto remaining = std::max(state->pending->deadline - state->clock.now(),
                                    std::chrono::system_clock::duration::zero());
    state->timer = std::make_unique<asio::system_timer>(state->pool.get_executor());
    state->timer->expires_after(remaining);
    state->timer->async_wait([state, generation](const std::error_code& error) {
        if (error) {
            return;
        }
        // Checked and posted under the lock: once cancel() has returned,
        // nothing reaches the queue, which its owner may then destroy.
        std::lock_guard lock(state->mutex);
        if (state->generation == generation && state->pending) {
            state->pending->queue->post([state, generation] { fire(state, generation); });
        }
    });
}

void WallClockDeliveryTimerScheduler::fire(const std::shared_ptr<State>& state,
                                           std::uint64_t generation) {
    std::function<void()> handler;
    {
        // A completion already on its way when the timer was cancelled,
        // replaced or re-armed must not run.
        std::lock_guard lock(state->mutex);
        if (state->generation != generation || !state->pending) {
            return;
        }
        handler = std::move(state->pending->handler);
        state->pending.reset();
    }
    handler();
}

}  // namespace veyrune
