#pragma once

#include <memory>

#include "base/Instant.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class Calendar;
U_NAMESPACE_END

namespace veyrune {

// The user's calendar in the local time zone, read from the environment (TZ)
// when the calendar is made. Not thread-safe: make one per thread or per pass.
class LocalCalendar {
  public:
    LocalCalendar();
    ~LocalCalendar();
    LocalCalendar(const LocalCalendar&) = delete;
    LocalCalendar& operator=(const LocalCalendar&) = delete;

    // The first instant of the local day that contains `instant`; on a day
    // whose midnight is skipped by a clock change, the first instant that exists.
    Instant startOfDay(Instant instant) const;

  private:
    std::unique_ptr<icu::Calendar> calendar_;
};

}  // namespace veyrune
