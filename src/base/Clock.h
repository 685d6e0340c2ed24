#pragma once

#include "base/Instant.h"

namespace veyrune {

// The wall clock, injectable so tests can fix and advance time. Any thread.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual Instant now() const = 0;
};

class SystemClock final : public Clock {
  public:
    Instant now() const override { return std::chrono::system_clock::now(); }
    static SystemClock& shared() {
        static SystemClock instance;
        return instance;
    }
};

}  // namespace veyrune
