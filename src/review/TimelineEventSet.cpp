#include "review/TimelineEventSet.h"

#include <algorithm>
#include <limits>

namespace veyrune {

void sortNewestFirst(std::vector<SecurityEvent>& events) {
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.occurredAt > b.occurredAt; });
}

TimelineEventSet TimelineEventSet::load(const SecurityEventStore& store,
                                        const TimelineFilter& filter,
                                        const std::optional<Uuid>& linkedEventID, Instant now) {
    auto all = store.recentEvents(std::numeric_limits<long>::max());
    sortNewestFirst(all);
    return make(
        std::move(all), filter, linkedEventID,
        [&](const Uuid& id) -> std::optional<SecurityEvent> {
            auto found = store.events({id});
            if (found.empty()) {
                return std::nullopt;
            }
            return std::move(found.front());
        },
        now);
}

TimelineEventSet TimelineEventSet::make(
    std::vector<SecurityEvent> all, const TimelineFilter& filter,
    const std::optional<Uuid>& linkedEventID,
    const std::function<std::optional<SecurityEvent>(const Uuid&)>& find, Instant now) {
    TimelineEventSet set;
    set.all = std::move(all);
    set.filtered = filter.apply(set.all, now);

    bool alreadyShown =
        linkedEventID && std::any_of(set.filtered.begin(), set.filtered.end(),
                                     [&](const auto& event) { return event.id == *linkedEventID; });
    if (linkedEventID && !alreadyShown) {
        if (auto found = find(*linkedEventID)) {
            set.linked.push_back(std::move(*found));
        }
    }

    set.displayed = set.filtered;
    if (!set.linked.empty()) {
        set.displayed.push_back(set.linked.front());
        sortNewestFirst(set.displayed);
    }
    return set;
}

}  // namespace veyrune
