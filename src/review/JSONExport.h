#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "review/TimelineFilter.h"

namespace veyrune {

// The JSON document of an export: pretty-printed, keys sorted, every "/"
// escaped, no trailing line feed. Throws nlohmann::json::exception when a
// text is not valid UTF-8.
std::string exportJSON(const std::vector<SecurityEvent>& events, const TimelineFilter& filter,
                       std::int64_t totalCount, const std::optional<std::string>& chainSummary,
                       bool chainWasVerified, std::int64_t linkedCount, Instant exportedAt,
                       const std::string& generator);

// One event without its chain fields; absent context values are null.
nlohmann::json jsonObject(const SecurityEvent& event);

// Two blanks per level, " : " between key and value, keys in byte order,
// empty containers opened and closed on their own lines, "/" written as "\/".
std::string prettyJSONText(const nlohmann::json& value);

}  // namespace veyrune
