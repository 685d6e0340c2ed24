#pragma once

#include <chrono>

namespace veyrune::test {

// Steps the wall clock (CLOCK_REALTIME) as this test program sees it, by
// `offset`, while the object lives; the monotonic clock is left alone. It
// works by defining clock_gettime in the program ahead of the C library's, so
// it reaches std::chrono::system_clock and Asio's wall-clock timers. One at a time.
class ScopedWallClockStep {
  public:
    explicit ScopedWallClockStep(std::chrono::nanoseconds offset);
    ~ScopedWallClockStep();
    ScopedWallClockStep(const ScopedWallClockStep&) = delete;
    ScopedWallClockStep& operator=(const ScopedWallClockStep&) = delete;
};

}  // namespace veyrune::test
