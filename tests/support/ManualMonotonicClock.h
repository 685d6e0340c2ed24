#pragma once

#include <algorithm>
#include <functional>
#include <mutex>
#include <vector>

#include "system/MonotonicClock.h"

namespace veyrune::test {

// A monotonic clock in virtual time: sleeping moves it forward at once and runs
// the actions planned for the instants passed, each at its own instant.
class ManualMonotonicClock final : public MonotonicClock {
  public:
    TimePoint now() const override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    bool sleepUntil(TimePoint deadline, std::stop_token stop) override {
        if (stop.stop_requested()) {
            return false;
        }
        advanceTo(deadline);
        return !stop.stop_requested();
    }

    // Runs `action` when the clock reaches `seconds` after its start.
    void at(double seconds, std::function<void()> action) {
        std::lock_guard lock(mutex_);
        planned_.push_back({start_ + toDuration(seconds), std::move(action)});
    }
    double elapsedSeconds() const {
        std::lock_guard lock(mutex_);
        return std::chrono::duration<double>(now_ - start_).count();
    }
    void advanceTo(TimePoint deadline) {
        while (auto action = takeNextDue(deadline)) {
            action();
        }
        std::lock_guard lock(mutex_);
        now_ = std::max(now_, deadline);
    }

  private:
    struct Planned {
        TimePoint when;
        std::function<void()> action;
    };
    static TimePoint::duration toDuration(double seconds) {
        return std::chrono::duration_cast<TimePoint::duration>(
            std::chrono::duration<double>(seconds));
    }
    // Moves the clock to the earliest planned instant not after `deadline`.
    std::function<void()> takeNextDue(TimePoint deadline) {
        std::lock_guard lock(mutex_);
        auto next = std::min_element(planned_.begin(), planned_.end(),
                                     [](const auto& a, const auto& b) { return a.when < b.when; });
        if (next == planned_.end() || next->when > deadline) {
            return nullptr;
        }
        now_ = std::max(now_, next->when);
        auto action = std::move(next->action);
        planned_.erase(next);
        return action;
    }

    mutable std::mutex mutex_;
    const TimePoint start_{std::chrono::hours(1)};
    TimePoint now_ = start_;        // guarded by mutex_
    std::vector<Planned> planned_;  // guarded by mutex_
};

}  // namespace veyrune::test
