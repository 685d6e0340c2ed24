#include "system/SystemSleepGate.h"

#include <memory>

#include "system/OneShotLatch.h"

namespace veyrune {

SystemSleepGate::SystemSleepGate(double budgetSeconds, std::chrono::milliseconds pollInterval,
                                 std::function<bool()> isQueueEmpty, Flush flush,
                                 std::function<void()> allowSleep, MonotonicClock& clock,
                                 TaskPool& tasks)
    : budget_(std::chrono::duration_cast<MonotonicClock::TimePoint::duration>(
          std::chrono::duration<double>(budgetSeconds))),
      pollInterval_(pollInterval),
      isQueueEmpty_(std::move(isQueueEmpty)),
      flush_(std::move(flush)),
      allowSleep_(std::move(allowSleep)),
      clock_(clock),
      tasks_(tasks) {}

void SystemSleepGate::run(std::stop_token stop) {
    const auto deadline = clock_.now() + budget_;
    // The latch is shared with the flush, which may finish after this gate is gone.
    auto flushed = std::make_shared<OneShotLatch>();
    tasks_.run([flush = flush_, flushed] { flush([flushed] { flushed->set(); }); });
    while (clock_.now() < deadline) {
        if (flushed->isSet() && isQueueEmpty_()) {
            break;
        }
        if (!clock_.sleepUntil(clock_.now() + pollInterval_, stop)) {
            break;
        }
    }
    finish();
}

void SystemSleepGate::finish() {
    bool alreadyAllowed = false;
    {
        std::lock_guard lock(mutex_);
        alreadyAllowed = hasAllowedSleep_;
        hasAllowedSleep_ = true;
    }
    if (!alreadyAllowed) {
        allowSleep_();
    }
}

}  // namespace veyrune
