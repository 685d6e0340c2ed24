#include "review/DeliveryTimelineProjection.h"

namespace veyrune {

DeliveryTimelineProjection DeliveryTimelineProjection::make(const DeliveryAttempt& attempt) {
    using Tint = DeliveryTimelineTintIntent;
    const std::string name(channelLabel(attempt.channel));
    switch (attempt.status) {
        case DeliveryAttemptStatus::pending:
            return {name + (attempt.nextAttemptAt ? " alert retry scheduled" : " alert queued"),
                    std::nullopt, "arrow.clockwise.circle.fill", Tint::inactive, false};
        case DeliveryAttemptStatus::sent:
            return {name + " alert sent", std::nullopt, "checkmark.circle.fill", Tint::ready,
                    false};
        case DeliveryAttemptStatus::failed:
            return {name + " alert failed", std::nullopt, "exclamationmark.triangle.fill",
                    Tint::attention, true};
    }
    return {};
}

}  // namespace veyrune
