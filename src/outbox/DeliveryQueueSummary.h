#pragma once

#include <cstdint>

#include "outbox/DeliveryStorageAvailability.h"

namespace veyrune {

struct DeliveryQueueSummary {
    std::int64_t pendingCount = 0;  // queued and not yet sent, including those being sent
    std::int64_t failedCount = 0;   // given up
    DeliveryStorageAvailability storageAvailability = DeliveryStorageAvailability::available;

    bool operator==(const DeliveryQueueSummary&) const = default;
};

}  // namespace veyrune
