#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "delivery/DeliveryTimerScheduling.h"

namespace veyrune::test {

// Records the one pending timer; the test fires it by hand.
class ManualTimerScheduler final : public DeliveryTimerScheduling {
  public:
    void schedule(SerialQueue& queue, double delaySeconds, std::function<void()> handler) override {
        std::lock_guard lock(mutex_);
        pending_ = Pending{&queue, delaySeconds < 0 ? 0 : delaySeconds, std::move(handler)};
    }
    void cancel() override {
        std::lock_guard lock(mutex_);
        pending_.reset();
    }

    bool isPending() const {
        std::lock_guard lock(mutex_);
        return pending_.has_value();
    }
    // Delay of the pending timer; nothing when none is pending.
    std::optional<double> pendingDelay() const {
        std::lock_guard lock(mutex_);
        return pending_ ? std::optional<double>(pending_->delay) : std::nullopt;
    }
    // Posts the pending handler onto its queue and clears it. False if none.
    bool fire() {
        std::optional<Pending> taken;
        {
            std::lock_guard lock(mutex_);
            taken.swap(pending_);
        }
        if (!taken) {
            return false;
        }
        taken->queue->post(std::move(taken->handler));
        return true;
    }

  private:
    struct Pending {
        SerialQueue* queue;
        double delay;
        std::function<void()> handler;
    };
    mutable std::mutex mutex_;
    std::optional<Pending> pending_;  // guarded by mutex_
};

}  // namespace veyrune::test
