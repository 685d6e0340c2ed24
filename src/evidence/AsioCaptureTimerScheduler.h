#pragma once

#include <asio/thread_pool.hpp>

#include "evidence/CaptureTimerScheduling.h"

namespace veyrune {

// Timers on the monotonic clock, so a step of the wall clock moves no
// time-out, on the process's queue pool; a timer that fires posts its handler
// to its queue.
class AsioCaptureTimerScheduler final : public CaptureTimerScheduling {
  public:
    explicit AsioCaptureTimerScheduler(asio::thread_pool& pool) : pool_(pool) {}

    std::shared_ptr<CaptureTimer> schedule(SerialQueue& queue, std::chrono::milliseconds delay,
                                           std::function<void()> handler) override;

  private:
    asio::thread_pool& pool_;
};

}  // namespace veyrune
