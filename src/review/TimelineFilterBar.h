#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "review/TimelineFilter.h"

namespace veyrune {

// The texts and behaviour of the bar above the timeline list, so that the
// window only draws it. Every change of the filter is reported to
// `onFilterChange`. Used on the user-interface thread.
class TimelineFilterBar {
  public:
    struct MenuItem {
        enum class Type { action, separator, toggle };
        Type type = Type::action;
        std::string title;
        bool isOn = false;  // toggles only

        bool operator==(const MenuItem&) const = default;
    };

    TimelineFilterBar(TimelineFilter filter, int showing, int total,
                      std::function<void(const TimelineFilter&)> onFilterChange = {});

    const TimelineFilter& filter() const { return filter_; }
    void setCounts(int showing, int total);

    // "Range: " and the range's title.
    std::string rangeLabel() const;
    // The presets, a separator and "Custom…".
    static std::vector<MenuItem> rangeMenuItems();
    void choosePreset(TimelineDateRange::Case preset);
    // Always starts over with the week ending `now`.
    void chooseCustom(Instant now);

    // "Kinds: " and "All kinds", the one kind's title, or the count and " kinds".
    std::string kindsLabel() const;
    // "All kinds", a separator, then one toggle per kind in canonical order.
    std::vector<MenuItem> kindsMenuItems() const;
    void selectAllKinds();
    void setKind(SecurityEventKind kind, bool on);

    // The "From" and "To" pickers, shown only for a custom range.
    bool showsCustomDates() const;
    Instant fromDate(Instant now) const;
    Instant toDate(Instant now) const;
    void setFromDate(Instant date);  // ignored unless the range is custom
    void setToDate(Instant date);

    // "42 events" for the default filter, "3 of 42 events" otherwise.
    std::string countText() const;
    bool showsClear() const { return !filter_.isDefault(); }
    void clear();

  private:
    void change(TimelineFilter filter);

    TimelineFilter filter_;
    int showing_;
    int total_;
    std::function<void(const TimelineFilter&)> onFilterChange_;
};

}  // namespace veyrune
