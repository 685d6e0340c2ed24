#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/SecurityEvent.h"

namespace veyrune {

// The CSV document: comment lines saying what the extract is and how far the
// chain was checked, a header row and one row per event in the given order.
// No trailing line feed. `shownCount` defaults to the events less the linked
// ones, `totalCount` to the number of events.
std::string exportCSV(const std::vector<SecurityEvent>& events,
                      const std::optional<std::string>& chainSummary,
                      std::optional<std::int64_t> shownCount,
                      std::optional<std::int64_t> totalCount,
                      const std::optional<std::string>& filterDescription,
                      std::int64_t linkedCount);

// The nine fields of one event, unquoted: id, occurredAt, kind, summary,
// machine, user, wifi, batteryPercent, evidenceCount.
std::vector<std::string> csvRow(const SecurityEvent& event);

// A field as written: with an apostrophe in front when it begins with "=",
// "+", "-", "@", a tab or a carriage return (a spreadsheet would run it as a
// formula); then quoted, with doubled quotes, when it holds a comma, a quote,
// a line feed or a carriage return.
std::string csvField(const std::string& value);

}  // namespace veyrune
