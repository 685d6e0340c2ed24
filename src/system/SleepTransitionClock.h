#pragma once

#include <optional>

#include "base/Instant.h"

namespace veyrune {

// When the displays last went to sleep. Any thread.
class SleepTransitionClock {
  public:
    virtual ~SleepTransitionClock() = default;
    // Nothing until the displays have slept once since the clock started.
    virtual std::optional<Instant> displaySleptAt() const = 0;
};

}  // namespace veyrune
