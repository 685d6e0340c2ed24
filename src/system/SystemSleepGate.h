#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <stop_token>

#include "base/TaskPool.h"
#include "system/MonotonicClock.h"

namespace veyrune {

// Holds one system sleep for a bounded time while held alerts flush: sleep is
// allowed once the flush has finished and the delivery queue is empty, or when
// the budget is spent, whichever comes first. One gate per sleep request.
class SystemSleepGate {
  public:
    // Starts the flush; calls `done` once (any thread) when it has finished.
    using Flush = std::function<void(std::function<void()> done)>;

    static constexpr double defaultBudget = 5.0;
    static constexpr std::chrono::milliseconds defaultPollInterval{50};

    // `isQueueEmpty` is polled only after the flush has finished. `allowSleep`
    // is called exactly once per gate, on the thread of `run`, outside any lock.
    // `clock` and `tasks` must outlive the gate; the flush runs on `tasks` and
    // may outlive the gate.
    SystemSleepGate(double budgetSeconds, std::chrono::milliseconds pollInterval,
                    std::function<bool()> isQueueEmpty, Flush flush,
                    std::function<void()> allowSleep, MonotonicClock& clock, TaskPool& tasks);

    // Blocks the calling thread (at most the budget) until sleep is allowed.
    // A stop request ends the wait at once and allows sleep.
    void run(std::stop_token stop = {});

  private:
    void finish();

    MonotonicClock::TimePoint::duration budget_;
    std::chrono::milliseconds pollInterval_;
    std::function<bool()> isQueueEmpty_;
    Flush flush_;
    std::function<void()> allowSleep_;
    MonotonicClock& clock_;
    TaskPool& tasks_;
    std::mutex mutex_;
    bool hasAllowedSleep_ = false;  // guarded by mutex_
};

}  // namespace veyrune
