#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "system/WakeNotificationSource.h"

namespace veyrune {

// Shares one wake source, which takes one observer, among several observers:
// each `branch()` is a wake source of its own, told of every wake of `source`.
//
//   WakeNotificationFanOut wakes(*system.wake);
//   WallClockDeliveryTimerScheduler deliveryTimer(queuePool.pool(), &wakes.branch());
//   deliveryManager->observeWake(wakes.branch());
//
// Thread-safe. `source` must outlive the fan-out, and the fan-out everything
// observing one of its branches.
class WakeNotificationFanOut {
  public:
    explicit WakeNotificationFanOut(WakeNotificationSource& source);
    ~WakeNotificationFanOut();
    WakeNotificationFanOut(const WakeNotificationFanOut&) = delete;
    WakeNotificationFanOut& operator=(const WakeNotificationFanOut&) = delete;

    // A new branch, owned by the fan-out.
    WakeNotificationSource& branch();

  private:
    class Branch;
    struct Observers {
        std::mutex mutex;
        std::vector<std::function<void()>> handlers;  // guarded by mutex; one per branch
    };

    WakeNotificationSource& source_;
    std::shared_ptr<Observers> observers_;
    std::vector<std::unique_ptr<Branch>> branches_;  // guarded by observers_->mutex
};

}  // namespace veyrune
