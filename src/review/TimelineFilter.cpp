#include "review/TimelineFilter.h"

namespace veyrune {

namespace {

bool withinBounds(Instant instant, const std::optional<TimelineDateRange::Bounds>& bounds) {
    return !bounds || (bounds->first <= instant && instant <= bounds->second);
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty()) {
            text += separator;
        }
        text += part;
    }
    return text;
}

}  // namespace

bool TimelineFilter::isDefault() const {
    return dateRange == TimelineDateRange::allTime() && kinds == allKinds();
}

bool TimelineFilter::matches(const SecurityEvent& event, Instant now,
                             const LocalCalendar& calendar) const {
    if (!kinds.contains(event.kind)) {
        return false;
    }
    return withinBounds(event.occurredAt, dateRange.bounds(now, calendar));
}

std::vector<SecurityEvent> TimelineFilter::apply(const std::vector<SecurityEvent>& events,
                                                 Instant now) const {
    // The bounds depend only on `now` and the calendar, so they are worked out once.
    LocalCalendar calendar;
    auto bounds = dateRange.bounds(now, calendar);
    std::vector<SecurityEvent> passed;
    for (const auto& event : events) {
        if (kinds.contains(event.kind) && withinBounds(event.occurredAt, bounds)) {
            passed.push_back(event);
        }
    }
    return passed;
}

std::optional<std::string> TimelineFilter::summaryDescription() const {
    if (isDefault()) {
        return std::nullopt;
    }
    std::vector<std::string> parts;
    if (kinds != allKinds()) {
        std::vector<std::string> titles;
        for (auto kind : allSecurityEventKinds) {
            if (kinds.contains(kind)) {
                titles.emplace_back(displayTitle(kind));
            }
        }
        parts.push_back(titles.empty() ? "no kinds" : joined(titles, ", "));
    }
    if (auto fragment = dateRange.descriptionFragment()) {
        parts.push_back(*fragment);
    }
    return joined(parts, "; ");
}

}  // namespace veyrune
