#pragma once

#include <optional>
#include <string>
#include <utility>

#include "base/Instant.h"
#include "base/LocalCalendar.h"

namespace veyrune {

// Which instants the timeline shows. A custom range may have its ends in
// either order; the bounds put them right.
class TimelineDateRange {
  public:
    enum class Case { custom, allTime, today, last7, last30 };
    using Bounds = std::pair<Instant, Instant>;  // lower, upper; both inclusive

    static TimelineDateRange custom(Instant start, Instant end) {
        return {Case::custom, start, end};
    }
    static TimelineDateRange allTime() { return {Case::allTime, {}, {}}; }
    static TimelineDateRange today() { return {Case::today, {}, {}}; }
    static TimelineDateRange last7() { return {Case::last7, {}, {}}; }
    static TimelineDateRange last30() { return {Case::last30, {}, {}}; }
    static TimelineDateRange preset(Case kind) { return {kind, {}, {}}; }

    Case kind() const { return kind_; }
    Instant start() const { return start_; }  // meaningful only for custom
    Instant end() const { return end_; }

    // "Custom", "All time", "Today", "Last 7 days", "Last 30 days".
    std::string title() const;
    // Text for the filter's description; nothing for allTime.
    std::optional<std::string> descriptionFragment() const;
    // Nothing for allTime: every instant passes.
    std::optional<Bounds> bounds(Instant now, const LocalCalendar& calendar) const;

    bool operator==(const TimelineDateRange&) const = default;

  private:
    TimelineDateRange(Case kind, Instant start, Instant end)
        : kind_(kind), start_(start), end_(end) {}

    Case kind_;
    Instant start_;
    Instant end_;
};

}  // namespace veyrune
