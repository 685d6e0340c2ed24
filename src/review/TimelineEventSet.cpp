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
    TimelineEventSet set;
    set.all = store.recentEvents(std::numeric_limits<long>::max());
    sortNewestFirst(set.all);
    set.filtered = filter.apply(set.all, now);

    bool alreadyShown =
        linkedEventID && std::any_of(set.filtered.begin(), set.filtered.end(),
                                     [&](const auto& event) { return event.id == *linkedEventID; });
    if (linkedEventID && !alreadyShown) {
        auto found = store.events({*linkedEventID});
        if (!found.empty()) {
            set.linked.push_back(std::move(found.front()));
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
