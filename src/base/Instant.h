#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace veyrune {

// An absolute instant. Stored data counts seconds from the reference date
// 2001-01-01T00:00:00Z.
using Instant = std::chrono::system_clock::time_point;

// The reference date, zero of every numeric date in stored data.
Instant referenceDate();

// Seconds since the reference date, with fraction.
double secondsSinceReferenceDate(Instant instant);
// Rounds to the nearest tick, so that a stored date read and written again
// stays the same number. Saturates at the ends of the range of Instant.
Instant instantFromReferenceSeconds(double seconds);
// The same for a stored date: nothing when the value is not finite or lies
// beyond what an Instant holds (about the years 1677 to 2262). Every decoder
// of stored numeric dates goes through this, so such a record is undecodable.
std::optional<Instant> checkedInstantFromReferenceSeconds(double seconds);

// Seconds between two instants (b - a), with fraction.
double secondsBetween(Instant a, Instant b);
// Saturates at the ends of the range of Instant; a value that is not finite
// leaves the instant as it is.
Instant addSeconds(Instant instant, double seconds);

// "2026-12-04T21:40:00Z": UTC, whole seconds (the fraction is dropped).
std::string iso8601String(Instant instant);

// Parses the internet date-time form at whole seconds with "Z" or a
// "+hh:mm"/"-hh:mm" offset. A fraction of a second is rejected, and so is a
// date the clock cannot hold (before 1677 or after 2262).
std::optional<Instant> parseISO8601(std::string_view text);

// The earliest representable instant, used for "due at once".
Instant distantPast();

}  // namespace veyrune
