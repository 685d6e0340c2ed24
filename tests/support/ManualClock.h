#pragma once

#include <mutex>

#include "base/Clock.h"

namespace veyrune::test {

// A wall clock that moves only when told to. Thread-safe.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(Instant start = referenceDate()) : now_(start) {}

    Instant now() const override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void set(Instant instant) {
        std::lock_guard lock(mutex_);
        now_ = instant;
    }
    void advance(double seconds) {
        std::lock_guard lock(mutex_);
        now_ = addSeconds(now_, seconds);
    }

  private:
    mutable std::mutex mutex_;
    Instant now_;  // guarded by mutex_
};

}  // namespace veyrune::test
