#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Instant.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class GregorianCalendar;
U_NAMESPACE_END

namespace veyrune {

// The Gregorian calendar in the local time zone, read from the environment
// (TZ) when the calendar is made: day starts for the timeline, day folder names
// and day arithmetic for the evidence folder. Not thread-safe: make one per
// thread or per pass.
class LocalCalendar {
  public:
    LocalCalendar();
    ~LocalCalendar();
    LocalCalendar(const LocalCalendar&) = delete;
    LocalCalendar& operator=(const LocalCalendar&) = delete;

    // The first instant of the local day that contains `instant`; on a day
    // whose midnight is skipped by a clock change, the first instant that exists.
    Instant startOfDay(Instant instant) const;

    // The local date of `instant` as "yyyy-MM-dd".
    std::string dayText(Instant instant) const;

    // The start of the local day named "yyyy-MM-dd" (exactly four, two and two
    // digits, a real date); nothing for any other text.
    std::optional<Instant> startOfDay(std::string_view dayText) const;

    // The same local wall-clock time `days` calendar days earlier; nothing
    // when it cannot be computed (a count beyond the calendar's range).
    std::optional<Instant> subtractingDays(Instant instant, std::int64_t days) const;

  private:
    std::unique_ptr<icu::GregorianCalendar> calendar_;
};

}  // namespace veyrune
