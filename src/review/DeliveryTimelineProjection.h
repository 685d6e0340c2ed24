#pragma once

#include <optional>
#include <string>

#include "record/DeliveryAttempt.h"
#include "review/DeliveryTimelineTintIntent.h"

namespace veyrune {

// One alert delivery as a timeline row shows it.
struct DeliveryTimelineProjection {
    std::string title;
    std::optional<std::string> detail;  // always absent in this version
    std::string systemImage;
    DeliveryTimelineTintIntent tintIntent = DeliveryTimelineTintIntent::inactive;
    bool canRetry = false;

    static DeliveryTimelineProjection make(const DeliveryAttempt& attempt);
    bool operator==(const DeliveryTimelineProjection&) const = default;
};

}  // namespace veyrune
