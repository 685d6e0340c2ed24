#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "base/SerialQueue.h"

namespace veyrune {

// A pending one-shot timer. `cancel` must be called on the timer's queue;
// after it the handler never runs. Dropping the handle does not cancel.
class CaptureTimer {
  public:
    virtual ~CaptureTimer() = default;
    virtual void cancel() = 0;
};

// One-shot timers for the capture time-outs and delays. Any thread; several
// timers may be pending at once.
class CaptureTimerScheduling {
  public:
    virtual ~CaptureTimerScheduling() = default;
    // Runs `handler` once on `queue` after `delay`. `queue` must outlive the timer.
    virtual std::shared_ptr<CaptureTimer> schedule(SerialQueue& queue,
                                                   std::chrono::milliseconds delay,
                                                   std::function<void()> handler) = 0;
};

}  // namespace veyrune
