#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "record/SecurityEventStore.h"
#include "review/TimelineFilter.h"

namespace veyrune {

// The four event lists of one timeline refresh, each newest first.
struct TimelineEventSet {
    std::vector<SecurityEvent> all;        // the whole log
    std::vector<SecurityEvent> filtered;   // those of `all` that pass the filter
    std::vector<SecurityEvent> linked;     // the event opened from a link, when the filter hides it
    std::vector<SecurityEvent> displayed;  // filtered plus linked

    // Reads the whole log. The store's read errors propagate unchanged.
    static TimelineEventSet load(const SecurityEventStore& store, const TimelineFilter& filter,
                                 const std::optional<Uuid>& linkedEventID, Instant now);

    // The same from events already read: `all` newest first, and `find` for
    // the linked event, asked only when the filter hides it.
    static TimelineEventSet make(
        std::vector<SecurityEvent> all, const TimelineFilter& filter,
        const std::optional<Uuid>& linkedEventID,
        const std::function<std::optional<SecurityEvent>(const Uuid&)>& find, Instant now);

    bool operator==(const TimelineEventSet&) const = default;
};

// Sorts by occurredAt, newest first, keeping the given order among equal instants.
void sortNewestFirst(std::vector<SecurityEvent>& events);

}  // namespace veyrune
