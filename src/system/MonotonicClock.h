#pragma once

#include <chrono>
#include <stop_token>

namespace veyrune {

// A clock that never jumps, for bounded waits. Injectable so tests run the
// waits in virtual time. Any thread.
class MonotonicClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~MonotonicClock() = default;
    virtual TimePoint now() const = 0;
    // Blocks until `deadline` or until `stop` is requested. False when stopped.
    virtual bool sleepUntil(TimePoint deadline, std::stop_token stop) = 0;
};

// The process's steady clock.
class SteadyMonotonicClock final : public MonotonicClock {
  public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    bool sleepUntil(TimePoint deadline, std::stop_token stop) override;
};

}  // namespace veyrune
