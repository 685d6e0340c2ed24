#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "record/SecurityEvent.h"
#include "review/TimelineDateRange.h"

namespace veyrune {

// What the timeline shows: a date range and a set of kinds. A default-made
// filter is the default one (all time, all eleven kinds).
struct TimelineFilter {
    TimelineDateRange dateRange = TimelineDateRange::allTime();
    std::set<SecurityEventKind> kinds{allSecurityEventKinds.begin(), allSecurityEventKinds.end()};

    static TimelineFilter defaultFilter() { return {}; }
    static std::set<SecurityEventKind> allKinds() { return TimelineFilter{}.kinds; }

    bool isDefault() const;
    bool matches(const SecurityEvent& event, Instant now, const LocalCalendar& calendar) const;
    // The events that pass, in their given order, with the user's calendar.
    std::vector<SecurityEvent> apply(const std::vector<SecurityEvent>& events, Instant now) const;
    // "USB Attached; 2026-01-01 to 2026-01-31"; nothing for the default filter.
    std::optional<std::string> summaryDescription() const;

    bool operator==(const TimelineFilter&) const = default;
};

}  // namespace veyrune
