#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/SecurityEvent.h"
#include "review/DeliveryTimelineProjection.h"
#include "review/TimestampFormatter.h"

namespace veyrune {

// The texts of one timeline row. Identity is `id`.
struct EventTimelineRowModel {
    Uuid id;
    std::string title;
    std::string summary;
    std::string timestampText;
    std::optional<std::string> evidenceText;
    std::optional<std::string> contextText;
    std::vector<DeliveryTimelineProjection> deliveries;
    std::string accessibilitySummary;

    // `evidenceCount`: items in the evidence store for this event; `deliveries`
    // in the order the delivery manager gave them.
    static EventTimelineRowModel make(const SecurityEvent& event, std::int64_t evidenceCount,
                                      const std::vector<DeliveryAttempt>& deliveries,
                                      const TimestampFormatter& formatter);

    bool operator==(const EventTimelineRowModel&) const = default;
};

}  // namespace veyrune
