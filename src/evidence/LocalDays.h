#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Instant.h"

namespace veyrune {

// Local-day names and calendar-day arithmetic for the evidence folders, in the process's current
// time zone (TZ, read through tzset). Safe from any thread once the zone is set.

// The local date of `instant` as "yyyy-MM-dd".
std::string localDayText(Instant instant);

// The start of the local day named "yyyy-MM-dd" (exactly four, two and two
// digits, a real date); nothing for any other text.
std::optional<Instant> startOfLocalDay(std::string_view text);

// The same local wall-clock time `days` calendar days earlier; nothing when it
// cannot be computed (for example a count beyond the calendar's range).
std::optional<Instant> subtractingLocalDays(Instant instant, std::int64_t days);

}  // namespace veyrune
