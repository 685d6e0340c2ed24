#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/Instant.h"
#include "base/Uuid.h"
#include "outbox/DeliveryFailureCode.h"
#include "outbox/OutboxStatus.h"
#include "record/DeliveryChannelKind.h"

namespace veyrune {

// One alert queued for one channel.
struct OutboxRecord {
    Uuid id;
    std::optional<Uuid> eventID;  // the event the alert belongs to
    DeliveryChannelKind channel = DeliveryChannelKind::telegram;
    Instant createdAt;
    std::string payload;  // opaque bytes: the encoded event
    OutboxStatus status = OutboxStatus::pending;
    std::int64_t attempts = 0;             // completed send attempts
    std::optional<Instant> nextAttemptAt;  // not due before this
    std::optional<DeliveryFailureCode> lastFailure;

    bool operator==(const OutboxRecord&) const = default;
};

}  // namespace veyrune
