#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "base/Clock.h"
#include "system/DisplaySleepSource.h"
#include "system/SleepTransitionClock.h"

namespace veyrune {

// Remembers the wall-clock time of the latest display sleep reported by a
// `DisplaySleepSource`. One per process. `clock` and the started-on source
// must outlive it; the observer holds the clock weakly.
class DisplaySleepTransitionClock final
    : public SleepTransitionClock,
      public std::enable_shared_from_this<DisplaySleepTransitionClock> {
  public:
    static std::shared_ptr<DisplaySleepTransitionClock> make(Clock& clock);
    ~DisplaySleepTransitionClock() override;
    DisplaySleepTransitionClock(const DisplaySleepTransitionClock&) = delete;
    DisplaySleepTransitionClock& operator=(const DisplaySleepTransitionClock&) = delete;

    // Observes `source`, replacing any earlier observation.
    void start(DisplaySleepSource& source);
    std::optional<Instant> displaySleptAt() const override;

  private:
    explicit DisplaySleepTransitionClock(Clock& clock) : clock_(clock) {}
    void displaysDidSleep();

    Clock& clock_;
    mutable std::mutex mutex_;
    std::optional<Instant> displaySleptAt_;                   // guarded by mutex_
    DisplaySleepSource* source_ = nullptr;                    // guarded by mutex_
    std::optional<DisplaySleepSource::ObserverID> observer_;  // guarded by mutex_
};

}  // namespace veyrune
