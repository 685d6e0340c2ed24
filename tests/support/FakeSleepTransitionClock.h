#pragma once

#include <mutex>

#include "system/SleepTransitionClock.h"

namespace veyrune::test {

// A sleep transition clock whose last display sleep the test sets.
class FakeSleepTransitionClock final : public SleepTransitionClock {
  public:
    std::optional<Instant> displaySleptAt() const override {
        std::lock_guard lock(mutex_);
        return sleptAt_;
    }
    void set(std::optional<Instant> sleptAt) {
        std::lock_guard lock(mutex_);
        sleptAt_ = sleptAt;
    }

  private:
    mutable std::mutex mutex_;
    std::optional<Instant> sleptAt_;  // guarded by mutex_
};

}  // namespace veyrune::test
