#include "support/WallClockStep.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

namespace {

std::atomic<std::int64_t> realtimeOffset{0};  // nanoseconds

}  // namespace

// Takes the place of the C library's function for the whole program.
extern "C" int clock_gettime(clockid_t clock, struct timespec* time) noexcept {
    int result = int(::syscall(SYS_clock_gettime, clock, time));
    std::int64_t offset = realtimeOffset.load(std::memory_order_relaxed);
    if (result == 0 && clock == CLOCK_REALTIME && offset != 0) {
        std::int64_t total = std::int64_t(time->tv_sec) * 1'000'000'000 + time->tv_nsec + offset;
        time->tv_sec = time_t(total / 1'000'000'000);
        time->tv_nsec = long(total % 1'000'000'000);
        if (time->tv_nsec < 0) {
            time->tv_sec -= 1;
            time->tv_nsec += 1'000'000'000;
        }
    }
    return result;
}

namespace veyrune::test {

ScopedWallClockStep::ScopedWallClockStep(std::chrono::nanoseconds offset) {
    realtimeOffset = offset.count();
}

ScopedWallClockStep::~ScopedWallClockStep() {
    realtimeOffset = 0;
}

}  // namespace veyrune::test
