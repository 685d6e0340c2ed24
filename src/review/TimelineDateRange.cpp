#include "review/TimelineDateRange.h"

#include <algorithm>

namespace veyrune {

namespace {

constexpr double kWeekSeconds = 604800;
constexpr double kThirtyDaysSeconds = 2592000;

// Year-month-day in UTC.
std::string fullDate(Instant instant) {
    return iso8601String(instant).substr(0, 10);
}

}  // namespace

std::string TimelineDateRange::title() const {
    switch (kind_) {
        case Case::custom:
            return "Custom";
        case Case::allTime:
            return "All time";
        case Case::today:
            return "Today";
        case Case::last7:
            return "Last 7 days";
        case Case::last30:
            return "Last 30 days";
    }
    return "";
}

std::optional<std::string> TimelineDateRange::descriptionFragment() const {
    switch (kind_) {
        case Case::custom:
            return fullDate(std::min(start_, end_)) + " to " + fullDate(std::max(start_, end_));
        case Case::allTime:
            return std::nullopt;
        case Case::today:
            return "today";
        case Case::last7:
            return "last 7 days";
        case Case::last30:
            return "last 30 days";
    }
    return std::nullopt;
}

std::optional<TimelineDateRange::Bounds> TimelineDateRange::bounds(
    Instant now, const LocalCalendar& calendar) const {
    switch (kind_) {
        case Case::custom:
            return Bounds{std::min(start_, end_), std::max(start_, end_)};
        case Case::allTime:
            return std::nullopt;
        case Case::today:
            return Bounds{calendar.startOfDay(now), now};
        case Case::last7:
            return Bounds{addSeconds(now, -kWeekSeconds), now};
        case Case::last30:
            return Bounds{addSeconds(now, -kThirtyDaysSeconds), now};
    }
    return std::nullopt;
}

}  // namespace veyrune
