#include "review/TimelineFilterBar.h"

namespace veyrune {

namespace {

constexpr double kWeekSeconds = 604800;

constexpr TimelineDateRange::Case kPresets[] = {
    TimelineDateRange::Case::allTime, TimelineDateRange::Case::today,
    TimelineDateRange::Case::last7, TimelineDateRange::Case::last30};

}  // namespace

TimelineFilterBar::TimelineFilterBar(TimelineFilter filter, int showing, int total,
                                     std::function<void(const TimelineFilter&)> onFilterChange)
    : filter_(std::move(filter)),
      showing_(showing),
      total_(total),
      onFilterChange_(std::move(onFilterChange)) {}

void TimelineFilterBar::setCounts(int showing, int total) {
    showing_ = showing;
    total_ = total;
}

std::string TimelineFilterBar::rangeLabel() const {
    return "Range: " + filter_.dateRange.title();
}

std::vector<TimelineFilterBar::MenuItem> TimelineFilterBar::rangeMenuItems() {
    std::vector<MenuItem> items;
    for (auto preset : kPresets) {
        items.push_back({MenuItem::Type::action, TimelineDateRange::preset(preset).title()});
    }
    items.push_back({MenuItem::Type::separator, ""});
    items.push_back({MenuItem::Type::action, "Custom\u2026"});
    return items;
}

void TimelineFilterBar::choosePreset(TimelineDateRange::Case preset) {
    if (preset == TimelineDateRange::Case::custom) {
        return;  // custom ranges come only from chooseCustom
    }
    TimelineFilter next = filter_;
    next.dateRange = TimelineDateRange::preset(preset);
    change(next);
}

void TimelineFilterBar::chooseCustom(Instant now) {
    TimelineFilter next = filter_;
    next.dateRange = TimelineDateRange::custom(addSeconds(now, -kWeekSeconds), now);
    change(next);
}

std::string TimelineFilterBar::kindsLabel() const {
    if (filter_.kinds == TimelineFilter::allKinds()) {
        return "Kinds: All kinds";
    }
    if (filter_.kinds.size() == 1) {
        return "Kinds: " + std::string(displayTitle(*filter_.kinds.begin()));
    }
    return "Kinds: " + std::to_string(filter_.kinds.size()) + " kinds";
}

std::vector<TimelineFilterBar::MenuItem> TimelineFilterBar::kindsMenuItems() const {
    std::vector<MenuItem> items{{MenuItem::Type::action, "All kinds"},
                                {MenuItem::Type::separator, ""}};
    for (auto kind : allSecurityEventKinds) {
        items.push_back({MenuItem::Type::toggle, std::string(displayTitle(kind)),
                         filter_.kinds.contains(kind)});
    }
    return items;
}

void TimelineFilterBar::selectAllKinds() {
    TimelineFilter next = filter_;
    next.kinds = TimelineFilter::allKinds();
    change(next);
}

void TimelineFilterBar::setKind(SecurityEventKind kind, bool on) {
    TimelineFilter next = filter_;
    if (on) {
        next.kinds.insert(kind);
    } else {
        next.kinds.erase(kind);
    }
    change(next);
}

bool TimelineFilterBar::showsCustomDates() const {
    return filter_.dateRange.kind() == TimelineDateRange::Case::custom;
}

Instant TimelineFilterBar::fromDate(Instant now) const {
    return showsCustomDates() ? filter_.dateRange.start() : addSeconds(now, -kWeekSeconds);
}

Instant TimelineFilterBar::toDate(Instant now) const {
    return showsCustomDates() ? filter_.dateRange.end() : now;
}

void TimelineFilterBar::setFromDate(Instant date) {
    if (!showsCustomDates()) {
        return;
    }
    TimelineFilter next = filter_;
    next.dateRange = TimelineDateRange::custom(date, filter_.dateRange.end());
    change(next);
}

void TimelineFilterBar::setToDate(Instant date) {
    if (!showsCustomDates()) {
        return;
    }
    TimelineFilter next = filter_;
    next.dateRange = TimelineDateRange::custom(filter_.dateRange.start(), date);
    change(next);
}

std::string TimelineFilterBar::countText() const {
    if (filter_.isDefault()) {
        return std::to_string(total_) + " events";
    }
    return std::to_string(showing_) + " of " + std::to_string(total_) + " events";
}

void TimelineFilterBar::clear() {
    change(TimelineFilter::defaultFilter());
}

void TimelineFilterBar::change(TimelineFilter filter) {
    if (filter == filter_) {
        return;
    }
    filter_ = std::move(filter);
    if (onFilterChange_) {
        onFilterChange_(filter_);
    }
}

}  // namespace veyrune
