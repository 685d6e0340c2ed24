#include <condition_variable>
#include <mutex>

#include "system/MonotonicClock.h"

namespace veyrune {

bool SteadyMonotonicClock::sleepUntil(TimePoint deadline, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    // Only a stop request or the deadline ends the wait; the predicate never holds.
    wakeUp.wait_until(lock, stop, deadline, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace veyrune
