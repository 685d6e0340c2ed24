#pragma once

#include <functional>

#include "base/SerialQueue.h"

namespace veyrune {

// Holds at most one pending one-shot timer. Thread-safe.
class DeliveryTimerScheduling {
  public:
    virtual ~DeliveryTimerScheduling() = default;
    // Cancels any pending timer, then runs `handler` once on `queue` after
    // `delaySeconds` (negative counts as 0). `queue` must outlive the timer.
    virtual void schedule(SerialQueue& queue, double delaySeconds,
                          std::function<void()> handler) = 0;
    // Drops the pending timer; a cancelled handler never runs.
    virtual void cancel() = 0;
};

}  // namespace veyrune
